// libFuzzer target: one reparse buffer through the decoders, the header formatters, the
// byte dump and the target normalisation, checking what the decoders promise on the way.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <span>
#include <string>

#include <Hollin0106/AutomationError.h>
#include "filelib/modReparsePoint.h"
#include <Hollin0106/qvxTypes.h>
#include "report/modRPParse.h"
#include "report/modReparseFormat.h"
#include "support/quovixsupportfbe.h"

using namespace Hollin0106;

// The report module reaches its front-end only through this hook; nothing is shown here.
void modRPParse::ShowReportMessage(const std::u16string& /*text*/) {}

namespace {

// NTFS stores at most 16 KiB of reparse data; the reader never sees more.
constexpr std::size_t kMaxReparseSize = 16 * 1024;

// A broken promise is a finding: stop so that libFuzzer keeps the input.
void Check(bool condition, const char* what)
{
    if (condition) return;
    std::fprintf(stderr, "reparse_fuzz: %s\n", what);
    std::abort();
}

bool HasZeroUnit(const std::u16string& s)
{
    return s.find(u'\0') != std::u16string::npos;
}

// What every decoder promises whatever the bytes: a known code, names without zero units
// and no longer than the bytes they came from, names only after the checks that guard
// them, and the relative flag only for a fully decoded buffer.
void CheckDecoded(std::span<const std::uint8_t> data, SymlinkTargetError_Const code,
                  const modReparsePoint::ReparseResult& r)
{
    Check(code == steSuccess || code == setUnsupportedReparseTag || code == setInvalidReparseDataSize ||
              code == setInvalidReparseStringSize || code == setInvalidLXSymlinkVersion,
          "decoder returned a code that no decoder outcome has");
    Check(!HasZeroUnit(r.rawTarget) && !HasZeroUnit(r.printName), "a decoded name holds a zero unit");
    Check(r.rawTarget.size() <= data.size() && r.printName.size() <= data.size(),
          "a decoded name is longer than the buffer");
    Check(r.target.empty(), "a decoder set the normalised target");
    Check(r.data.empty(), "a decoder set the byte array");
    if (code != steSuccess) {
        Check(r.printName.empty(), "print name set on failure");
        Check(!r.relative, "relative flag set on failure");
    }
    if (code != steSuccess && code != setInvalidReparseStringSize)
        Check(r.rawTarget.empty(), "raw target set by a failure before the names");
}

void Normalize(const std::u16string& name, bool relative)
{
    if (name.empty()) return;
    const std::u16string posix =
        modReparsePoint::NormalizeTargetPath(name, u"/mnt/ntfs/Users/Public/link", relative, PathStyle::Posix);
    // A volume-GUID root is kept as it is, relative flag or not.
    if (relative && posix != name)
        Check(!posix.empty() && posix.front() == u'/', "a resolved relative target is not absolute");
    else Check(posix.size() <= name.size(), "normalising an absolute target made it longer");
    modReparsePoint::NormalizeTargetPath(name, u"C:\\Users\\Public\\link", relative, PathStyle::Windows);
}

// A header block starts with its tag line and ends without a line break; a formatter may
// refuse only a buffer too short to hold a tag.
template <typename F>
void CheckHeaderBlock(std::span<const std::uint8_t> data, F&& format, std::u16string_view tagLine)
{
    try {
        const std::u16string text = format();
        Check(text.starts_with(tagLine), "header block has no tag line");
        Check(text.back() != u'\r' && text.back() != u'\n', "header block ends in a line break");
    } catch (const AutomationError&) {
        Check(data.size() < 4, "formatter failed on a buffer that holds a tag");
    }
}

void Format(std::span<const std::uint8_t> data, const modReparsePoint::ReparseResult& r)
{
    // Both layouts on every buffer: the driver picks one by bit 31, but neither formatter
    // may misread bytes of the other kind.
    using namespace modReparseFormat;
    CheckHeaderBlock(
        data, [&] { return FormatMicrosoftReparseBuffer(data, r.rawTarget, r.printName, r.relative, u'\u2022'); },
        u"Reparse tag: ");
    CheckHeaderBlock(data, [&] { return FormatGuidReparseBuffer(data, u'-'); }, u"Reparse tag:  ");
}

void Dump(std::span<const std::uint8_t> data)
{
    const std::u16string dump = esExpandByteBuffer2(data);
    // 55 characters of offset and hex columns a line, one character per byte, CR LF
    // between lines.
    const std::size_t lines = (data.size() + 15) / 16;
    const std::size_t expected = lines == 0 ? 0 : 55 * lines + data.size() + 2 * (lines - 1);
    Check(dump.size() == expected, "byte dump has the wrong length");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    if (size > kMaxReparseSize) return 0;
    const std::span<const std::uint8_t> data(bytes, size);

    modReparsePoint::ReparseResult parsed;
    if (size >= 4) {
        const SymlinkTargetError_Const code = modReparsePoint::ParseReparseData(data, parsed);
        CheckDecoded(data, code, parsed);
        const std::uint32_t tag = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
        Check(parsed.tag == static_cast<std::int32_t>(tag), "tag output differs from the first 4 bytes");
        const bool decodedTag = tag == modReparsePoint::kTagMountPoint || tag == modReparsePoint::kTagSymlink ||
                                tag == modReparsePoint::kTagLxSymlink;
        Check(decodedTag == (code != setUnsupportedReparseTag), "code 3 does not match the tag");
        if (code == steSuccess && tag != modReparsePoint::kTagSymlink) Check(!parsed.relative, "relative flag outside a symbolic link");
        if (tag == modReparsePoint::kTagLxSymlink) Check(parsed.printName.empty(), "LX symlink with a print name");
    }

    // Each decoder on its own, whatever the tag says, so that none depends on the
    // dispatcher for its safety.
    modReparsePoint::ReparseResult mountPoint;
    CheckDecoded(data, modReparsePoint::ParseMountPointData(data, mountPoint), mountPoint);
    Check(!mountPoint.relative, "a mount point is never relative");
    modReparsePoint::ReparseResult symlink;
    CheckDecoded(data, modReparsePoint::ParseSymlinkData(data, symlink), symlink);
    modReparsePoint::ReparseResult lx;
    CheckDecoded(data, modReparsePoint::ParseLxSymlinkData(data, lx), lx);

    Format(data, parsed);
    Format(data, symlink);
    Dump(data);

    Normalize(parsed.rawTarget, parsed.relative);
    Normalize(symlink.rawTarget, true);
    Normalize(symlink.printName, false);
    Normalize(lx.rawTarget, false);
    return 0;
}
