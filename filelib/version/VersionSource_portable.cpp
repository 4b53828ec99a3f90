// The version resources where the system has no version functions: the executable's
// headers, resource directory and version block read at their offsets through the
// platform layer, the block found by modPEImage and walked by modVersionResource, the way
// GetFileVersionInfo and VerQueryValue answer on Windows.
#include "filelib/version/VersionSource.h"

#include <new>

#include "filelib/ImageFileSource.h"
#include "filelib/modPEImage.h"
#include "filelib/modVersionResource.h"
#include "platform/Process.h"

namespace version {

std::error_code ReadVersionInfo(const std::u16string& path, std::vector<std::uint8_t>& info)
{
    info.clear();
    ImageFileSource file(path);
    if (file.error()) return file.error();
    std::optional<std::vector<std::uint8_t>> block;
    try {
        block = modPEImage::ReadVersionResource(file, platform::UserInterfaceLanguage());
    } catch (const std::bad_alloc&) {
        // Directories that claim more entries than memory holds: no version to be had.
        return std::make_error_code(std::errc::not_enough_memory);
    }
    if (file.error()) return file.error();
    if (!block) return std::make_error_code(std::errc::no_message_available);
    info = std::move(*block);
    return {};
}

std::optional<std::vector<std::uint8_t>> QueryBinaryValue(std::span<const std::uint8_t> info,
                                                          std::u16string_view subBlock)
{
    const auto value = modVersionResource::VerQueryValue(info, subBlock);
    if (!value) return std::nullopt;
    return std::vector<std::uint8_t>(value->bytes.begin(), value->bytes.end());
}

std::optional<std::u16string> QueryTextValue(std::span<const std::uint8_t> info, std::u16string_view subBlock)
{
    const auto value = modVersionResource::VerQueryValue(info, subBlock);
    if (!value || value->bytes.empty()) return std::nullopt;
    return modVersionResource::ValueText(*value);
}

std::u16string LanguageName(std::uint16_t languageId)
{
    return modVersionResource::VerLanguageName(languageId);
}

}  // namespace version
