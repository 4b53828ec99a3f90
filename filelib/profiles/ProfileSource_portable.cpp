// Private profiles in a named stream where the system has no profile functions: the INI
// text of the stream read and written with modPrivateProfile.
#include "filelib/profiles/ProfileSource.h"

#include "filelib/modPrivateProfile.h"
#include "platform/NamedStreams.h"

namespace profiles {
namespace {

// The profile text in a stream of a file: empty for a missing stream, nothing when the
// stream cannot be read.
std::optional<std::vector<std::uint8_t>> ReadProfile(const std::u16string& path, const std::u16string& stream)
{
    std::vector<std::uint8_t> bytes;
    if (const std::error_code ec = platform::ReadStream(path, stream, bytes))
        return ec == std::errc::no_message_available ? std::optional(std::vector<std::uint8_t>()) : std::nullopt;
    return bytes;
}

}  // namespace

std::int32_t ReadInt(const std::u16string& path, const std::u16string& stream, std::u16string_view section,
                     std::u16string_view key, std::int32_t defaultValue)
{
    const auto bytes = ReadProfile(path, stream);
    if (!bytes) return defaultValue;
    return modPrivateProfile::GetInt(*bytes, section, key, defaultValue);
}

bool KeyExists(const std::u16string& path, const std::u16string& stream, std::u16string_view section,
               std::u16string_view key)
{
    const auto bytes = ReadProfile(path, stream);
    return bytes && modPrivateProfile::KeyExists(*bytes, section, key);
}

bool WriteString(const std::u16string& path, const std::u16string& stream, std::u16string_view section,
                 std::u16string_view key, const std::u16string* value)
{
    const auto bytes = ReadProfile(path, stream);
    if (!bytes) return false;
    const std::vector<std::uint8_t> updated = modPrivateProfile::WriteString(*bytes, section, key, value);
    // A key to remove that is not there: no empty stream is made for it. A value is
    // written even when the stream holds it already, so that a read-only file refuses
    // every change alike.
    if (!value && updated == *bytes) return true;
    return !platform::WriteStream(path, stream, updated);
}

}  // namespace profiles
