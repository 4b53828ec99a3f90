// The version calls of the platform layer where the system has no version functions:
// the executable's bytes read through the platform layer, its version resource found by
// modPEImage and walked by modVersionResource, the way GetFileVersionInfo and
// VerQueryValue answer on Windows.
#include "platform/platform.h"

#include <algorithm>
#include <new>

#include "filelib/modPEImage.h"
#include "filelib/modVersionResource.h"

namespace platform {
namespace {

constexpr std::size_t kHeadBytes = 64 * 1024;
// NE programs keep their resources anywhere in the file; they are small, and a larger
// file is not read whole.
constexpr std::uint64_t kLargestNEFile = 64 * 1024 * 1024;

// The bytes of the file that can hold its version resource: for a PE image the headers
// and sections (not what an installer appends after them), for an NE program the whole
// file; only the first bytes of any other file, so that a large file of another kind is
// not read.
std::error_code ReadExecutable(const std::u16string& path, std::vector<std::uint8_t>& data)
{
    File file;
    std::uint64_t length = 0;
    if (const std::error_code ec = OpenFile(path, FileOpenMode::Read, file)) return ec;
    if (const std::error_code ec = FileSize(file, length)) return ec;
    data.resize(static_cast<std::size_t>(std::min<std::uint64_t>(length, kHeadBytes)));
    std::size_t got = 0;
    if (const std::error_code ec = ReadFile(file, data.data(), data.size(), got)) return ec;
    data.resize(got);
    std::uint64_t want = 0;
    switch (modPEImage::ReadImageHeader(data).kind) {
    case modPEImage::ImageKind::PE:
        want = modPEImage::ImageExtent(data).value_or(0);
        break;
    case modPEImage::ImageKind::NE:
        want = length <= kLargestNEFile ? length : 0;
        break;
    default:
        break;
    }
    want = std::min(want, length);  // a file cut short keeps what it holds
    if (want <= data.size()) return {};
    const std::size_t have = data.size();
    data.resize(static_cast<std::size_t>(want));
    if (const std::error_code ec = ReadFile(file, data.data() + have, data.size() - have, got)) return ec;
    data.resize(have + got);  // a file that shrank meanwhile gives what it still holds
    return {};
}

}  // namespace

std::error_code GetFileVersionInfo(const std::u16string& path, std::vector<std::uint8_t>& info)
{
    info.clear();
    std::vector<std::uint8_t> image;
    try {
        if (const std::error_code ec = ReadExecutable(path, image)) return ec;
    } catch (const std::bad_alloc&) {
        // Sections that claim more than memory holds: no version to be had.
        return std::make_error_code(std::errc::not_enough_memory);
    }
    const auto block = modPEImage::FindVersionResource(image);
    if (!block) return std::make_error_code(std::errc::no_message_available);
    info.assign(block->begin(), block->end());
    return {};
}

std::optional<std::vector<std::uint8_t>> VerQueryBinaryValue(std::span<const std::uint8_t> info,
                                                             std::u16string_view subBlock)
{
    const auto value = modVersionResource::VerQueryValue(info, subBlock);
    if (!value) return std::nullopt;
    return std::vector<std::uint8_t>(value->bytes.begin(), value->bytes.end());
}

std::optional<std::u16string> VerQueryTextValue(std::span<const std::uint8_t> info, std::u16string_view subBlock)
{
    const auto value = modVersionResource::VerQueryValue(info, subBlock);
    if (!value || value->bytes.empty()) return std::nullopt;
    return modVersionResource::ValueText(*value);
}

std::u16string VerLanguageName(std::uint16_t languageId)
{
    return modVersionResource::VerLanguageName(languageId);
}

}  // namespace platform
