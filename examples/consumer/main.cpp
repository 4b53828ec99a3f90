// A small program built against the installed library Hollin0106: it reads the reparse
// point of an entry (on an NTFS volume mounted with ntfs-3g), then writes a UTF-16 text
// file and a byte file into a folder and reads both back.
//
//   hollin0106-example ENTRY FOLDER
//
// Exit status 0 when everything read back as written, 1 otherwise, 2 for wrong arguments.
#include <Hollin0106/Hollin0106.h>

#include <cstdint>
#include <filesystem>
#include <iostream>
#include <string>

namespace {

using namespace Hollin0106;

// The library speaks UTF-16; the terminal and argv speak UTF-8.
std::string Utf8(const std::u16string& text) { return std::filesystem::path(text).string(); }
std::u16string Utf16(const char* text) { return std::filesystem::path(text).u16string(); }

bool ShowReparsePoint(qvxFSO& fso, const std::u16string& entry)
{
    std::u16string raw;
    std::u16string printName;
    std::int32_t tag = 0;
    SymlinkTargetError_Const code = steSuccess;
    const std::u16string target = fso.GetSymlinkTargetEx(entry, &raw, &printName, &tag, nullptr, nullptr, &code);
    if (code != steSuccess) {
        std::cerr << "hollin0106-example: no reparse point read from " << Utf8(entry) << " (result code " << code
                  << ")\n";
        return false;
    }
    std::cout << "tag: 0x" << std::hex << std::uppercase << static_cast<std::uint32_t>(tag) << std::dec << '\n'
              << "target: " << Utf8(target) << '\n'
              << "print name: " << Utf8(printName) << '\n';
    return true;
}

// Writes and reads back with RaiseErrors true: a failure arrives as an AutomationError.
bool RoundTripFiles(qvxFSO& fso, const std::u16string& folder)
{
    const std::u16string textFile = folder + u"/Grüße.txt";
    const std::u16string text = u"Grüße, Привет, 𝄞\r\nsecond line";
    fso.PutFile2(textFile, text, true, feUTF16, fbBOM);
    FileEncoding_Const encoding = feAuto;
    FileBOM_Const bom = fbAuto;
    const std::u16string back = fso.GetFile2(textFile, true, feAuto, fbAuto, ibAuto, &encoding, &bom);
    // On disk: the mark FF FE, then two bytes for every UTF-16 unit.
    const ByteArray stored = fso.GetFileB(textFile, true);
    if (back != text || encoding != feUTF16 || bom != fbBOM || stored.size() != 2 + 2 * text.size() ||
        stored[0] != 0xFF || stored[1] != 0xFE) {
        std::cerr << "hollin0106-example: the UTF-16 text did not read back as written\n";
        return false;
    }
    std::cout << "text: " << Utf8(back.substr(0, back.find(u'\r'))) << '\n';

    // The byte writers take a constant array and a temporary alike.
    const std::u16string byteFile = folder + u"/bytes.bin";
    const ByteArray head{0x01, 0x02};
    fso.PutFileB(byteFile, head, true);
    fso.AppendFileB(byteFile, ByteArray{0x03}, true);
    if (fso.GetFileB(byteFile, true) != ByteArray{0x01, 0x02, 0x03}) {
        std::cerr << "hollin0106-example: the bytes did not read back as written\n";
        return false;
    }
    std::cout << "bytes: 3\n";
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: hollin0106-example ENTRY FOLDER\n";
        return 2;
    }
    qvxFSO fso;
    try {
        const bool read = ShowReparsePoint(fso, Utf16(argv[1]));
        return read && RoundTripFiles(fso, Utf16(argv[2])) ? 0 : 1;
    } catch (const AutomationError& error) {
        std::cerr << "hollin0106-example: error " << error.Number << ": " << Utf8(error.Description) << '\n';
        return 1;
    }
}
