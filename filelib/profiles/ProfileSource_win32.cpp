// Private profiles in a named stream on Windows: GetPrivateProfileIntW,
// GetPrivateProfileStringW and WritePrivateProfileStringW on "file:stream".
#include "filelib/profiles/ProfileSource.h"

#include "platform/win32/Win32.h"

#include <algorithm>
#include <optional>

namespace profiles {

namespace {

// "path:stream" as the profile functions take it: absolute, for they look for a name
// without a folder in the Windows folder. Nothing for a name that holds NUL (the system
// would address another file), a stream name that is no plain name, or an empty path.
std::optional<std::wstring> ProfilePath(const std::u16string& path, const std::u16string& stream)
{
    if (path.empty() || stream.empty() ||
        stream.find_first_of(std::u16string_view(u":\\/\0", 4)) != std::u16string::npos)
        return std::nullopt;
    std::wstring full;
    if (platform::win32::SystemPath(path, full, platform::winpath::PathUse::Absolute)) return std::nullopt;
    return full + L":" + std::wstring(stream.begin(), stream.end());
}

std::wstring Wide(std::u16string_view text)
{
    return std::wstring(text.begin(), text.end());
}

}  // namespace

std::int32_t ReadInt(const std::u16string& path, const std::u16string& stream, std::u16string_view section,
                     std::u16string_view key, std::int32_t defaultValue)
{
    const auto file = ProfilePath(path, stream);
    if (!file) return defaultValue;
    return static_cast<std::int32_t>(
        ::GetPrivateProfileIntW(Wide(section).c_str(), Wide(key).c_str(), defaultValue, file->c_str()));
}

bool KeyExists(const std::u16string& path, const std::u16string& stream, std::u16string_view section,
               std::u16string_view key)
{
    const auto file = ProfilePath(path, stream);
    if (!file) return false;
    // Without a key name GetPrivateProfileStringW lists the section's keys, each ended by
    // a zero and the list by one more. A list cut short to fit is told by a length of
    // the buffer's size less 2: then again with twice the room.
    const std::wstring name = Wide(section);
    std::wstring keys(1024, L'\0');
    DWORD got = 0;
    for (;;) {
        got = ::GetPrivateProfileStringW(name.c_str(), nullptr, L"", keys.data(), static_cast<DWORD>(keys.size()),
                                         file->c_str());
        if (got + 2 < keys.size() || keys.size() >= (1u << 24)) break;
        keys.assign(keys.size() * 2, L'\0');
    }
    keys.resize(std::min<std::size_t>(got, keys.size()));
    const std::wstring wanted = Wide(key);
    for (std::size_t at = 0; at < keys.size();) {
        const std::size_t end = std::min(keys.find(L'\0', at), keys.size());
        if (::CompareStringOrdinal(keys.data() + at, static_cast<int>(end - at), wanted.data(),
                                   static_cast<int>(wanted.size()), TRUE) == CSTR_EQUAL)
            return true;
        at = end + 1;
    }
    return false;
}

bool WriteString(const std::u16string& path, const std::u16string& stream, std::u16string_view section,
                 std::u16string_view key, const std::u16string* value)
{
    const auto file = ProfilePath(path, stream);
    if (!file) return false;
    // A read-only file's streams stay as they are: NTFS refuses to open them for
    // writing, and under Wine, where a stream is a file beside the file, so do we.
    const DWORD attributes = ::GetFileAttributesW(file->substr(0, file->rfind(L':')).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
    const std::wstring text = value ? Wide(*value) : std::wstring();
    return ::WritePrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), value ? text.c_str() : nullptr,
                                        file->c_str()) != FALSE;
}

}  // namespace profiles
