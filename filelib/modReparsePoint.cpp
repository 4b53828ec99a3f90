// Reparse point reading, validation and decoding.
#include "filelib/modReparsePoint.h"

#include <algorithm>
#include <optional>

#include "common/ByteReader.h"
#include "common/Utf16.h"
#include "platform/Entries.h"
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

// One field at `offset`, or nothing when the bytes end before it.
template <typename T>
std::optional<T> FieldAt(std::span<const std::uint8_t> data, std::size_t offset)
{
    ByteReader reader(data);
    reader.seek(offset);
    T value{};
    if constexpr (sizeof(T) == 2)
        value = reader.u16le();
    else
        value = reader.u32le();
    if (!reader.ok()) return std::nullopt;
    return value;
}

// The fixed fields of `data` read as the layout of `layout`: the tag's own layout for
// the report, a decoder's own layout when it is asked to read any buffer as its kind.
std::optional<ReparseHeader> DecodeHeaderAs(std::span<const std::uint8_t> data, std::optional<std::uint32_t> layout)
{
    const auto tag = FieldAt<std::uint32_t>(data, 0);
    if (!tag) return std::nullopt;
    ReparseHeader header;
    header.Tag = *tag;
    header.DataLength = FieldAt<std::uint16_t>(data, 4);
    header.Reserved = FieldAt<std::uint16_t>(data, 6);
    const std::uint32_t kind = layout.value_or(*tag);
    if ((kind & 0x80000000u) == 0) {
        ByteReader reader(data);
        const auto guid = reader.sub(8, 16);
        if (reader.ok()) {
            header.Guid.emplace();
            std::copy(guid.begin(), guid.end(), header.Guid->begin());
        }
    } else if (kind == kTagMountPoint || kind == kTagSymlink) {
        ByteReader reader(data);
        reader.seek(8);
        ReparseNameFields names;
        names.SubstituteOffset = reader.u16le();
        names.SubstituteLength = reader.u16le();
        names.PrintOffset = reader.u16le();
        names.PrintLength = reader.u16le();
        if (reader.ok()) header.Names = names;
        if (kind == kTagSymlink) header.SymlinkFlags = FieldAt<std::uint32_t>(data, 16);
    } else if (kind == kTagLxSymlink) {
        header.LxVersion = FieldAt<std::uint32_t>(data, 8);
    }
    return header;
}

// Mount points and symbolic links share their header; only the fixed part and the
// flags word differ.
SymlinkTargetError_Const ParseNameBuffer(std::span<const std::uint8_t> data, std::size_t fixedPart,
                                         std::uint32_t layout, ReparseResult& out)
{
    if (data.size() < fixedPart) return setInvalidReparseDataSize;
    const auto header = DecodeHeaderAs(data, layout);
    if (!header || !header->DataLength || !header->Names) return setInvalidReparseDataSize;
    const ReparseNameFields& names = *header->Names;

    if (*header->DataLength > data.size() - kHeaderSize) return setInvalidReparseDataSize;
    if (!ReadName(data, fixedPart, names.SubstituteOffset, names.SubstituteLength, out.rawTarget))
        return setInvalidReparseStringSize;
    if (!ReadName(data, fixedPart, names.PrintOffset, names.PrintLength, out.printName))
        return setInvalidReparseStringSize;
    out.relative = (header->SymlinkFlags.value_or(0) & kSymlinkFlagRelative) != 0;
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
    return ReadReparseData(path, out);
}

SymlinkTargetError_Const ReadReparseData(const std::u16string& path, ReparseResult& out)
{
    std::vector<std::uint8_t> bytes;
    {
        platform::ReparseHandle handle;
        if (platform::OpenReparsePoint(path, handle)) return setCreateFileFailed;
        const std::error_code ec = platform::ReadReparseData(handle, kReparseBufferSize, bytes);
        handle.close();
        if (ec) return setDeviceIOControlFailed;
    }
    return DecodeReparseBuffer(std::move(bytes), path, kNativePathStyle, out);
}

SymlinkTargetError_Const DecodeReparseBuffer(std::vector<std::uint8_t> data, const std::u16string& linkPath,
                                             PathStyle style, ReparseResult& out)
{
    out.data = std::move(data);
    const SymlinkTargetError_Const code =
        out.data.size() < 4 ? setInvalidReparseDataSize : ParseReparseData(out.data, out);
    // Runs whatever the code: a bad print name after a good substitute name still
    // yields a target.
    if (!out.rawTarget.empty()) out.target = NormalizeTargetPath(out.rawTarget, linkPath, out.relative, style);
    return code;
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
    return ParseNameBuffer(data, kMountPointFixedPart, kTagMountPoint, out);
}

SymlinkTargetError_Const ParseSymlinkData(std::span<const std::uint8_t> data, ReparseResult& out)
{
    return ParseNameBuffer(data, kSymlinkFixedPart, kTagSymlink, out);
}

SymlinkTargetError_Const ParseLxSymlinkData(std::span<const std::uint8_t> data, ReparseResult& out)
{
    if (data.size() < kLxSymlinkFixedPart) return setInvalidReparseDataSize;
    const auto header = DecodeHeaderAs(data, kTagLxSymlink);
    if (!header || !header->DataLength || !header->LxVersion) return setInvalidReparseDataSize;
    if (*header->LxVersion != kLxSymlinkVersion) return setInvalidLXSymlinkVersion;
    if (*header->DataLength > data.size() - kHeaderSize) return setInvalidReparseDataSize;
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

namespace Hollin0106 {

std::optional<ReparseHeader> DecodeReparseHeader(std::span<const std::uint8_t> data)
{
    return modReparsePoint::DecodeHeaderAs(data, std::nullopt);
}

}  // namespace Hollin0106
