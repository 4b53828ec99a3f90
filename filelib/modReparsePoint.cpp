// Reparse point reading, validation and decoding.
#include "filelib/modReparsePoint.h"

#include "common/ByteReader.h"
#include "common/Utf16.h"
#include "platform/platform.h"
#include "support/quovixsupport.h"

using namespace Hollin0106;

namespace modReparsePoint {

namespace {

constexpr std::size_t kMountPointFixedPart = 16;
constexpr std::size_t kSymlinkFixedPart = 20;
constexpr std::size_t kLxSymlinkFixedPart = 12;
constexpr std::size_t kHeaderSize = 8;
constexpr std::uint32_t kLxSymlinkVersion = 2;
constexpr std::uint32_t kSymlinkFlagRelative = 1;

// One name of the path area: "" for length 0; false when offset + length runs past
// the returned bytes.
bool ReadName(std::span<const std::uint8_t> data, std::size_t fixedPart, std::uint16_t offset,
              std::uint16_t length, std::u16string& name)
{
    if (length == 0) {
        name.clear();
        return true;
    }
    ByteReader reader(data);
    const auto bytes = reader.sub(fixedPart + offset, length);
    if (!reader.ok()) return false;
    name = asGetStringFromPointerW(bytes);
    return true;
}

// Mount points and symbolic links share their header; only the fixed part and the
// flags word differ.
SymlinkTargetError_Const ParseNameBuffer(std::span<const std::uint8_t> data, std::size_t fixedPart,
                                         bool hasFlags, ReparseResult& out)
{
    if (data.size() < fixedPart) return setInvalidReparseDataSize;
    ByteReader reader(data);
    reader.seek(4);
    const std::uint16_t dataLength = reader.u16le();
    reader.skip(2);  // reserved
    const std::uint16_t substituteOffset = reader.u16le();
    const std::uint16_t substituteLength = reader.u16le();
    const std::uint16_t printOffset = reader.u16le();
    const std::uint16_t printLength = reader.u16le();
    const std::uint32_t flags = hasFlags ? reader.u32le() : 0;
    if (!reader.ok()) return setInvalidReparseDataSize;

    if (dataLength > data.size() - kHeaderSize) return setInvalidReparseDataSize;
    if (!ReadName(data, fixedPart, substituteOffset, substituteLength, out.rawTarget))
        return setInvalidReparseStringSize;
    if (!ReadName(data, fixedPart, printOffset, printLength, out.printName))
        return setInvalidReparseStringSize;
    out.relative = hasFlags && (flags & kSymlinkFlagRelative) != 0;
    return steSuccess;
}

// The root of a volume named by its GUID: "\", two characters, "\volume{", the GUID in
// groups of 8-4-4-4-12 letters or digits, "}\" and nothing after it. Letter case does
// not matter.
bool IsVolumeGuidRoot(const std::u16string& rawTarget)
{
    static constexpr std::u16string_view kShape = u"\\**\\volume{########-####-####-####-############}\\";
    const std::u16string lower = AsciiLower(rawTarget);
    if (lower.size() != kShape.size()) return false;
    for (std::size_t i = 0; i < kShape.size(); ++i) {
        const char16_t c = lower[i];
        switch (kShape[i]) {
        case u'*': break;
        case u'#':
            if (!((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9'))) return false;
            break;
        default:
            if (c != kShape[i]) return false;
        }
    }
    return true;
}

}  // namespace

SymlinkTargetError_Const GetReparsePointTarget(const std::u16string& path, ReparseResult& out)
{
    out = ReparseResult{};
    if (!esIsFileOrDirectoryExist(path)) return setFileNotFound;
    if (!esIsHostWinNT()) return setUnsupportedOS;
    if (!esIsReparsePoint2(path)) return setNotSymlink;
    const SymlinkTargetError_Const code = ReadReparseData(path, out);
    // Runs whatever the code: a bad print name after a good substitute name still
    // yields a target.
    if (!out.rawTarget.empty()) out.target = NormalizeTargetPath(out.rawTarget, path, out.relative);
    return code;
}

SymlinkTargetError_Const ReadReparseData(const std::u16string& path, ReparseResult& out)
{
    {
        platform::ReparseHandle handle;
        if (platform::OpenReparsePoint(path, handle)) return setCreateFileFailed;
        std::vector<std::uint8_t> bytes;
        const std::error_code ec = platform::ReadReparseData(handle, kReparseBufferSize, bytes);
        handle.close();
        if (ec) return setDeviceIOControlFailed;
        out.data = std::move(bytes);
    }
    if (out.data.size() < 4) return setInvalidReparseDataSize;
    return ParseReparseData(out.data, out);
}

SymlinkTargetError_Const ParseReparseData(std::span<const std::uint8_t> data, ReparseResult& out)
{
    ByteReader reader(data);
    const std::uint32_t tag = reader.u32le();
    if (!reader.ok()) return setInvalidReparseDataSize;
    out.tag = static_cast<std::int32_t>(tag);
    switch (tag) {
    case kTagMountPoint: return ParseMountPointData(data, out);
    case kTagSymlink: return ParseSymlinkData(data, out);
    case kTagLxSymlink: return ParseLxSymlinkData(data, out);
    default: return setUnsupportedReparseTag;
    }
}

SymlinkTargetError_Const ParseMountPointData(std::span<const std::uint8_t> data, ReparseResult& out)
{
    return ParseNameBuffer(data, kMountPointFixedPart, false, out);
}

SymlinkTargetError_Const ParseSymlinkData(std::span<const std::uint8_t> data, ReparseResult& out)
{
    return ParseNameBuffer(data, kSymlinkFixedPart, true, out);
}

SymlinkTargetError_Const ParseLxSymlinkData(std::span<const std::uint8_t> data, ReparseResult& out)
{
    if (data.size() < kLxSymlinkFixedPart) return setInvalidReparseDataSize;
    ByteReader reader(data);
    reader.seek(4);
    const std::uint16_t dataLength = reader.u16le();
    reader.seek(8);
    const std::uint32_t version = reader.u32le();
    if (!reader.ok()) return setInvalidReparseDataSize;
    if (version != kLxSymlinkVersion) return setInvalidLXSymlinkVersion;
    if (dataLength > data.size() - kHeaderSize) return setInvalidReparseDataSize;
    const auto target = data.subspan(kLxSymlinkFixedPart);
    out.rawTarget = target.empty() ? std::u16string() : asUTF8ToUNICODE(asGetStringFromPointerA(target));
    out.printName.clear();
    out.relative = false;
    return steSuccess;
}

std::u16string NormalizeTargetPath(const std::u16string& rawTarget, const std::u16string& linkPath,
                                   bool relative, PathStyle style)
{
    static constexpr std::u16string_view kNetworkPrefix = u"\\??\\UNC\\";
    static constexpr std::u16string_view kObjectManagerPrefix = u"\\??\\";
    if (IsVolumeGuidRoot(rawTarget)) return rawTarget;
    std::u16string result = rawTarget;
    if (result.starts_with(kNetworkPrefix))
        result = u"\\\\" + result.substr(kNetworkPrefix.size());
    if (result.starts_with(kObjectManagerPrefix)) result.erase(0, kObjectManagerPrefix.size());
    if (relative) result = esGetAbsoluteFileName(result, esGetFilePath(linkPath, style), style);
    return result;
}

}  // namespace modReparsePoint
