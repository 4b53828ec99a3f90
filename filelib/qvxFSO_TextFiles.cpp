// qvxFSO: text files in ANSI, UTF-8 and UTF-16. They take the byte
// methods' file steps (qvxFileWork) with the rules of modTextEncoding, encoding and
// decoding the text as it goes to and comes from the file.
#include <algorithm>
#include <memory>

#include <Hollin0106/AutomationError.h>
#include "filelib/modTextEncoding.h"
#include "filelib/qvxByVarArgs.h"
#include <Hollin0106/qvxFSO.h>
#include "filelib/qvxFileWork.h"
#include "platform/Files.h"
#include "platform/Memory.h"
#include "support/quovixsupportfbe.h"

namespace Hollin0106 {

using modTextEncoding::FileFormat;
using namespace qvxByVarArgs;
using qvxFileWork::Check;

namespace {

// Raised whatever RaiseErrors says, before any file is touched.
void CheckFormatArguments(FileEncoding_Const encoding, FileBOM_Const bom, InvertBytes_Const invert)
{
    if (encoding < feAuto || encoding > feUTF16 || bom < fbAuto || bom > fbBOM || invert < ibAuto ||
        invert > ibInvertBytes)
        throw AutomationError(errnum::InvalidProcedureCall, u"qvxFSO");
}

// Each Auto value takes the value of its own kind from `fallback`.
FileFormat Resolve(FileEncoding_Const encoding, FileBOM_Const bom, InvertBytes_Const invert, const FileFormat& fallback)
{
    return {encoding == feAuto ? fallback.Encoding : encoding, bom == fbAuto ? fallback.FileBOM : bom,
            invert == ibAuto ? fallback.InvertBytes : invert};
}

qvxFileWork::ByteSource SourceOf(modTextEncoding::TextEncoder& encoder)
{
    return [&encoder] { return encoder.Next(); };
}

// What a writer uses where the caller left a value to Auto.
constexpr FileFormat kWriterDefaults{feANSI, fbBOM, ibDontInvertBytes};

void Report(const FileFormat& format, FileEncoding_Const* lpEncoding, FileBOM_Const* lpFileBOM,
            InvertBytes_Const* lpInvertBytes)
{
    if (lpEncoding) *lpEncoding = format.Encoding;
    if (lpFileBOM) *lpFileBOM = format.FileBOM;
    if (lpInvertBytes) *lpInvertBytes = format.InvertBytes;
}

}  // namespace

bool qvxFSO::PutFile2(const std::u16string& FileName, const std::u16string& Data, bool RaiseErrors,
                      FileEncoding_Const Encoding, FileBOM_Const FileBOM, InvertBytes_Const InvertBytes)
{
    CheckFormatArguments(Encoding, FileBOM, InvertBytes);
    modTextEncoding::TextEncoder encoder(Data, Resolve(Encoding, FileBOM, InvertBytes, kWriterDefaults));
    return qvxFileWork::Guarded(RaiseErrors, [&] { qvxFileWork::PutBytes(FileName, SourceOf(encoder)); });
}

Variant qvxFSO::GetFileFormat2ByVar(const Variant& FileName, const Variant& RaiseErrors, Variant* lpEncoding,
                                    Variant* lpFileBOM, Variant* lpInvertBytes)
{
    const std::u16string name = FileName.toString();
    const bool raise = BoolArg(RaiseErrors, false);
    FormatOutputs out(lpEncoding, lpFileBOM, lpInvertBytes);
    const bool result = GetFileFormat2(name, raise, &out.Encoding, &out.FileBOM, &out.InvertBytes);
    out.Store();
    return Variant(result);
}

bool qvxFSO::GetFileFormat2(const std::u16string& FileName, bool RaiseErrors, FileEncoding_Const* lpEncoding,
                            FileBOM_Const* lpFileBOM, InvertBytes_Const* lpInvertBytes)
{
    FileFormat detected;
    const bool done = qvxFileWork::Guarded(RaiseErrors, [&] {
        std::uint64_t length = 0;
        platform::File file = qvxFileWork::OpenToRead(FileName, length);
        // The head is read whatever length the open told: /proc and sysfs files tell 0.
        std::uint8_t head[3] = {};
        std::size_t count = 0;
        Check(platform::ReadFile(file, head, sizeof head, count), FileName);
        Check(file.Close(), FileName);
        detected = modTextEncoding::DetectFileFormat(std::span(head, count), static_cast<std::int32_t>(count));
    });
    if (done) Report(detected, lpEncoding, lpFileBOM, lpInvertBytes);
    return done;
}

Variant qvxFSO::OverwriteFile2ByVar(const Variant& FileName, const Variant& Data, const Variant& RaiseErrors,
                                    const Variant& Encoding, const Variant& FileBOM, const Variant& InvertBytes)
{
    const std::u16string name = FileName.toString();
    const std::u16string data = Data.toString();
    const bool raise = BoolArg(RaiseErrors, false);
    const FormatValues format = FormatArgs(Encoding, FileBOM, InvertBytes, {feANSI, fbBOM, ibDontInvertBytes});
    return Variant(OverwriteFile2(name, data, raise, format.Encoding, format.FileBOM, format.InvertBytes));
}

bool qvxFSO::OverwriteFile2(const std::u16string& FileName, const std::u16string& Data, bool RaiseErrors,
                            FileEncoding_Const Encoding, FileBOM_Const FileBOM, InvertBytes_Const InvertBytes)
{
    CheckFormatArguments(Encoding, FileBOM, InvertBytes);
    modTextEncoding::TextEncoder encoder(Data, Resolve(Encoding, FileBOM, InvertBytes, kWriterDefaults));
    // As OverwriteFileB: the truncating open is not guarded.
    return qvxFileWork::OverwriteBytes(FileName, SourceOf(encoder), RaiseErrors);
}

Variant qvxFSO::AppendFile2ByVar(const Variant& FileName, const Variant& Data, const Variant& RaiseErrors,
                                 const Variant& Encoding, const Variant& FileBOM, const Variant& InvertBytes,
                                 Variant* lpEncoding, Variant* lpFileBOM, Variant* lpInvertBytes)
{
    const std::u16string name = FileName.toString();
    const std::u16string data = Data.toString();
    const bool raise = BoolArg(RaiseErrors, false);
    const FormatValues format = FormatArgs(Encoding, FileBOM, InvertBytes);
    FormatOutputs out(lpEncoding, lpFileBOM, lpInvertBytes);
    const bool result = AppendFile2(name, data, raise, format.Encoding, format.FileBOM, format.InvertBytes,
                                    &out.Encoding, &out.FileBOM, &out.InvertBytes);
    out.Store();
    return Variant(result);
}

bool qvxFSO::AppendFile2(const std::u16string& FileName, const std::u16string& Data, bool RaiseErrors,
                         FileEncoding_Const Encoding, FileBOM_Const FileBOM, InvertBytes_Const InvertBytes,
                         FileEncoding_Const* lpEncoding, FileBOM_Const* lpFileBOM, InvertBytes_Const* lpInvertBytes)
{
    CheckFormatArguments(Encoding, FileBOM, InvertBytes);
    FileFormat resolved = Resolve(Encoding, FileBOM, InvertBytes, kWriterDefaults);
    bool continuing = false;
    if (esIsFileExist(FileName)) {
        FileFormat detected;
        if (!GetFileFormat2(FileName, RaiseErrors, &detected.Encoding, &detected.FileBOM, &detected.InvertBytes))
            return false;
        resolved = Resolve(Encoding, FileBOM, InvertBytes, detected);
        double size = 0;
        if (!qvxFileWork::Guarded(RaiseErrors, [&] { size = esGetFileSizeEx(FileName); })) {
            // The detected format has reached the caller, as when the write itself fails.
            Report(resolved, lpEncoding, lpFileBOM, lpInvertBytes);
            return false;
        }
        continuing = size > 0;
    }
    Report(resolved, lpEncoding, lpFileBOM, lpInvertBytes);
    // Text added to a file that has content never carries a second mark; the caller
    // still learns the mark setting the file has.
    FileFormat written = resolved;
    if (continuing) written.FileBOM = fbNoBOM;
    modTextEncoding::TextEncoder encoder(Data, written);
    return qvxFileWork::Guarded(RaiseErrors, [&] { qvxFileWork::AppendBytes(FileName, SourceOf(encoder)); });
}

Variant qvxFSO::GetFile2ByVar(const std::u16string& FileName, const Variant& RaiseErrors, const Variant& Encoding,
                              const Variant& FileBOM, const Variant& InvertBytes, Variant* lpEncoding,
                              Variant* lpFileBOM, Variant* lpInvertBytes, Variant* lpSuccess)
{
    const bool raise = BoolArg(RaiseErrors, false);
    const FormatValues format = FormatArgs(Encoding, FileBOM, InvertBytes);
    FormatOutputs out(lpEncoding, lpFileBOM, lpInvertBytes);
    bool success = RefBool(lpSuccess);
    std::u16string text = GetFile2(FileName, raise, format.Encoding, format.FileBOM, format.InvertBytes,
                                   &out.Encoding, &out.FileBOM, &out.InvertBytes, &success);
    out.Store();
    StoreBool(lpSuccess, success);
    return Variant(std::move(text));
}

std::u16string qvxFSO::GetFile2(const std::u16string& FileName, bool RaiseErrors, FileEncoding_Const Encoding,
                                FileBOM_Const FileBOM, InvertBytes_Const InvertBytes, FileEncoding_Const* lpEncoding,
                                FileBOM_Const* lpFileBOM, InvertBytes_Const* lpInvertBytes, bool* lpSuccess)
{
    if (lpSuccess) *lpSuccess = false;
    CheckFormatArguments(Encoding, FileBOM, InvertBytes);
    // The file is decoded as it is read: the format comes from its first piece, which
    // holds its first three bytes (only those take part in detection).
    std::uint64_t length = 0;
    FileFormat resolved;
    std::unique_ptr<modTextEncoding::TextDecoder> decoder;
    const bool read = qvxFileWork::Guarded(RaiseErrors, [&] {
        qvxFileWork::ReadPieces(
            FileName, [&](std::uint64_t L) { length = L; },
            [&](std::span<const std::uint8_t> piece) {
                if (!decoder) {
                    const auto count = static_cast<std::int32_t>(std::min<std::size_t>(piece.size(), 3));
                    resolved = Resolve(Encoding, FileBOM, InvertBytes, modTextEncoding::DetectFileFormat(piece, count));
                    decoder = std::make_unique<modTextEncoding::TextDecoder>(resolved, length, platform::PrepareLargeFill);
                }
                decoder->Feed(piece);
            });
        // An empty file has the format of no bytes.
        if (!decoder) {
            resolved = Resolve(Encoding, FileBOM, InvertBytes, modTextEncoding::DetectFileFormat({}, 0));
            decoder = std::make_unique<modTextEncoding::TextDecoder>(resolved);
        }
    });
    if (!read) return {};
    Report(resolved, lpEncoding, lpFileBOM, lpInvertBytes);
    // Odd-length big-endian UTF-16 raises here, whatever RaiseErrors says.
    std::u16string text = decoder->Finish();
    if (lpSuccess) *lpSuccess = true;
    return text;
}

}  // namespace Hollin0106
