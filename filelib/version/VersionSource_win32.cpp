// The version resources on Windows: GetFileVersionInfoSizeW, GetFileVersionInfoW,
// VerQueryValueW and VerLanguageNameW of version.dll.
#include "filelib/version/VersionSource.h"

#include "platform/win32/Win32.h"

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <utility>

namespace version {

using platform::win32::LastError;
using platform::win32::SystemPath;

namespace {

// The value VerQueryValueW finds for `subBlock`: its address and its length as the
// system counts it (bytes, or characters for a text). Nothing when the query fails or
// the value does not lie inside `info`: VerQueryValue trusts the block's own lengths,
// which come from the file.
struct Found {
    const std::uint8_t* data;
    std::size_t room;  // bytes from `data` to the end of `info`
    UINT length;
};

std::optional<Found> Query(std::span<const std::uint8_t> info, std::u16string_view subBlock)
{
    if (info.empty()) return std::nullopt;
    const std::wstring sub(subBlock.begin(), subBlock.end());
    LPVOID value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(info.data(), sub.c_str(), &value, &length) || value == nullptr) return std::nullopt;
    const auto* data = static_cast<const std::uint8_t*>(value);
    const auto* begin = info.data();
    if (data < begin || data > begin + info.size()) return std::nullopt;
    return Found{data, static_cast<std::size_t>(begin + info.size() - data), length};
}

// `path` as the version functions take it: absolute, for they look for a name without
// a folder along the library search path (the program's folder, the system folders)
// before the current folder, and would read another file of that name.
std::error_code VersionPath(const std::u16string& path, std::wstring& out)
{
    return SystemPath(path, out, platform::winpath::PathUse::Absolute);
}

}  // namespace

std::error_code ReadVersionInfo(const std::u16string& path, std::vector<std::uint8_t>& info)
{
    info.clear();
    std::wstring wide;
    if (const std::error_code ec = VersionPath(path, wide)) return ec;
    // The size call also tells a "handle", which GetFileVersionInfoW ignores since 32-bit
    // Windows; it is passed on as the interface asks.
    DWORD handle = 0;
    ::SetLastError(ERROR_SUCCESS);
    const DWORD size = ::GetFileVersionInfoSizeW(wide.c_str(), &handle);
    if (size == 0) return LastError();
    std::vector<std::uint8_t> bytes(size);
    if (!::GetFileVersionInfoW(wide.c_str(), handle, size, bytes.data())) return LastError();
    info = std::move(bytes);
    return {};
}

std::optional<std::vector<std::uint8_t>> QueryBinaryValue(std::span<const std::uint8_t> info,
                                                          std::u16string_view subBlock)
{
    const auto found = Query(info, subBlock);
    if (!found || found->length > found->room) return std::nullopt;
    return std::vector<std::uint8_t>(found->data, found->data + found->length);
}

std::optional<std::u16string> QueryTextValue(std::span<const std::uint8_t> info, std::u16string_view subBlock)
{
    const auto found = Query(info, subBlock);
    if (!found || found->length == 0) return std::nullopt;
    // The text up to its first zero, never beyond its length or the information's end.
    const std::size_t units = std::min<std::size_t>(found->length, found->room / 2);
    std::u16string text;
    for (std::size_t i = 0; i < units; ++i) {
        const auto unit = static_cast<char16_t>(found->data[2 * i] | found->data[2 * i + 1] << 8);
        if (unit == 0) break;
        text.push_back(unit);
    }
    return text;
}

std::u16string LanguageName(std::uint16_t languageId)
{
    wchar_t name[1024] = {};
    ::VerLanguageNameW(languageId, name, static_cast<DWORD>(std::size(name)));
    return platform::win32::FromWide(name, ::wcsnlen(name, std::size(name)));
}

}  // namespace version
