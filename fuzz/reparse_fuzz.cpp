// libFuzzer target: one reparse buffer through the decoders, the report and the normalisation.
#include <cstdint>
#include <span>
#include <string>

#include <Hollin0106/qvxTypes.h>
#include "FuzzCheck.h"
#include "filelib/modReparsePoint.h"
#include "report/modRPParse.h"

using namespace Hollin0106;
namespace rp = modReparsePoint;

namespace {

void Normalize(const std::u16string& name, bool relative)
{
    rp::NormalizeTargetPath(name, u"/mnt/ntfs/Users/Public/link", relative, PathStyle::Posix);
    rp::NormalizeTargetPath(name, u"C:\\Users\\Public\\link", relative, PathStyle::Windows);
}

// Whatever the names hold, the report's only control characters are its CR LF pairs.
void Report(std::span<const std::uint8_t> data, SymlinkTargetError_Const code, const rp::ReparseResult& r)
{
    const modRPParse::ReparseRead read{code, {data.begin(), data.end()}, r.rawTarget, r.printName};
    for (const auto frontend : {modRPParse::Frontend::Console, modRPParse::Frontend::Window}) {
        std::u16string text = modRPParse::FormatReparseReport(frontend, u"/mnt/e\r\nntry", read);
        for (std::size_t at; (at = text.find(u"\r\n")) != std::u16string::npos;) text.erase(at, 2);
        for (const char16_t c : text) Check(c >= 0x20 && !(c >= 0x7F && c <= 0x9F), "a control character in the report");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    if (size > 16 * 1024 || size == 0) return 0;  // NTFS stores at most 16 KiB
    const std::span<const std::uint8_t> data(bytes, size);
    rp::ReparseResult parsed, mountPoint, symlink, lx;
    const auto code = size >= 4 ? rp::ParseReparseData(data, parsed) : setInvalidReparseDataSize;
    // Each decoder on its own too, whatever the tag says.
    (void)rp::ParseMountPointData(data, mountPoint);
    const auto symlinkCode = rp::ParseSymlinkData(data, symlink);
    (void)rp::ParseLxSymlinkData(data, lx);
    Report(data, code, parsed);
    Report(data, symlinkCode, symlink);
    Normalize(parsed.rawTarget, parsed.relative);
    Normalize(symlink.printName, true);
    Normalize(mountPoint.rawTarget, false);
    Normalize(lx.rawTarget, false);
    return 0;
}
