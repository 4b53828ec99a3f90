// libFuzzer target: one reparse buffer through the decoders, the report and the normalisation.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include <Hollin0106/qvxTypes.h>
#include "FuzzCheck.h"
#include "filelib/modReparsePoint.h"
#include "report/modRPParse.h"

using namespace Hollin0106;

namespace {

// NTFS stores at most 16 KiB of reparse data; the reader never sees more.
constexpr std::size_t kMaxReparseSize = 16 * 1024;

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

// The report of any bytes is the full report, and whatever the names hold, its only
// control characters are the CR LF pairs between its lines.
void Report(std::span<const std::uint8_t> data, SymlinkTargetError_Const code, const modReparsePoint::ReparseResult& r)
{
    if (data.empty()) return;
    const modRPParse::ReparseRead read{code, {data.begin(), data.end()}, r.rawTarget, r.printName};
    for (const auto frontend : {modRPParse::Frontend::Console, modRPParse::Frontend::Window}) {
        const std::u16string text = modRPParse::FormatReparseReport(frontend, u"/mnt/ntfs/e\r\nntry", read);
        Check(text.starts_with(u"File name: /mnt/ntfs/e\uFFFD\uFFFDntry\r\n\r\n"), "report does not start with the name");
        Check(text.ends_with(u" bytes"), "report does not end with the total size");
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char16_t c = text[i];
            if (c == u'\r') Check(i + 1 < text.size() && text[i + 1] == u'\n', "a lone CR in the report");
            else if (c == u'\n') Check(i > 0 && text[i - 1] == u'\r', "a lone LF in the report");
            else Check(c >= 0x20 && !(c >= 0x7F && c <= 0x9F), "a control character in the report");
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    if (size > kMaxReparseSize) return 0;
    const std::span<const std::uint8_t> data(bytes, size);

    modReparsePoint::ReparseResult parsed;
    SymlinkTargetError_Const code = setInvalidReparseDataSize;
    if (size >= 4) {
        code = modReparsePoint::ParseReparseData(data, parsed);
        CheckDecoded(data, code, parsed);
        const std::uint32_t tag = static_cast<std::uint32_t>(parsed.tag);
        const bool decodedTag = tag == modReparsePoint::kTagMountPoint || tag == modReparsePoint::kTagSymlink ||
                                tag == modReparsePoint::kTagLxSymlink;
        Check(decodedTag == (code != setUnsupportedReparseTag), "code 3 does not match the tag");
        if (code == steSuccess && tag != modReparsePoint::kTagSymlink) Check(!parsed.relative, "relative flag outside a symbolic link");
    }

    // Each decoder on its own, whatever the tag says, so that none depends on the
    // dispatcher for its safety.
    modReparsePoint::ReparseResult mountPoint;
    CheckDecoded(data, modReparsePoint::ParseMountPointData(data, mountPoint), mountPoint);
    Check(!mountPoint.relative, "a mount point is never relative");
    modReparsePoint::ReparseResult symlink;
    const SymlinkTargetError_Const symlinkCode = modReparsePoint::ParseSymlinkData(data, symlink);
    CheckDecoded(data, symlinkCode, symlink);
    modReparsePoint::ReparseResult lx;
    CheckDecoded(data, modReparsePoint::ParseLxSymlinkData(data, lx), lx);
    Check(lx.printName.empty(), "LX symlink with a print name");

    Report(data, code, parsed);
    // Names of a symbolic link next to bytes of another kind: the report must stay sound.
    Report(data, symlinkCode, symlink);

    Normalize(parsed.rawTarget, parsed.relative);
    Normalize(symlink.rawTarget, true);
    Normalize(symlink.printName, false);
    Normalize(lx.rawTarget, false);
    return 0;
}
