// qvxFSO: zone identifiers, INI text in the file's Zone.Identifier
// stream read and written with the profile functions below.
#include <Hollin0106/qvxFSO.h>

#include <cerrno>
#include <optional>

#include "common/Utf16.h"
#include "filelib/modPrivateProfile.h"
#include "platform/platform.h"
#include "support/quovixsupportfbe.h"

namespace Hollin0106 {

namespace {

constexpr char16_t kZoneStream[] = u"Zone.Identifier";
constexpr char16_t kZoneSection[] = u"ZoneTransfer";
constexpr char16_t kZoneKey[] = u"ZoneId";

// The profile text in a stream of a file: empty for a missing stream, nothing when the
// stream cannot be read.
std::optional<std::vector<std::uint8_t>> ReadProfile(const std::u16string& file, const std::u16string& stream)
{
    std::vector<std::uint8_t> bytes;
    if (const std::error_code ec = platform::ReadStream(file, stream, bytes))
        return ec.value() == ENODATA ? std::optional(std::vector<std::uint8_t>()) : std::nullopt;
    return bytes;
}

std::int32_t GetPrivateProfileInt(std::u16string_view section, std::u16string_view key, std::int32_t defaultValue,
                                  const std::u16string& file, const std::u16string& stream)
{
    const auto bytes = ReadProfile(file, stream);
    if (!bytes) return defaultValue;
    return modPrivateProfile::GetInt(*bytes, section, key, defaultValue);
}

// Sets (or with no value removes) the key; True when the stream holds the result.
bool WritePrivateProfileString(std::u16string_view section, std::u16string_view key, const std::u16string* value,
                               const std::u16string& file, const std::u16string& stream)
{
    const auto bytes = ReadProfile(file, stream);
    if (!bytes) return false;
    const std::vector<std::uint8_t> updated = modPrivateProfile::WriteString(*bytes, section, key, value);
    if (updated == *bytes && (!bytes->empty() || !value)) return true;
    return !platform::WriteStream(file, stream, updated);
}

bool asIsINIKeyExist2(std::u16string_view section, std::u16string_view key, const std::u16string& file,
                      const std::u16string& stream)
{
    const auto bytes = ReadProfile(file, stream);
    return bytes && modPrivateProfile::KeyExists(*bytes, section, key);
}

}  // namespace

FileZone_Const qvxFSO::GetFileZone(const std::u16string& FileName)
{
    return static_cast<FileZone_Const>(GetPrivateProfileInt(kZoneSection, kZoneKey, 0, FileName, kZoneStream));
}

bool qvxFSO::SetFileZone(const std::u16string& FileName, FileZone_Const FileZone)
{
    if (!esIsFileExist(FileName)) return false;
    const std::u16string value = FromUtf8(std::to_string(static_cast<std::int32_t>(FileZone)));
    return WritePrivateProfileString(kZoneSection, kZoneKey, &value, FileName, kZoneStream);
}

bool qvxFSO::IsFileZoneDefined(const std::u16string& FileName)
{
    if (!esIsFileExist(FileName)) return false;
    return asIsINIKeyExist2(kZoneSection, kZoneKey, FileName, kZoneStream);
}

bool qvxFSO::DeleteFileZone(const std::u16string& FileName)
{
    if (!esIsFileExist(FileName)) return false;
    if (!IsFileZoneDefined(FileName)) return false;
    return WritePrivateProfileString(kZoneSection, kZoneKey, nullptr, FileName, kZoneStream);
}

}  // namespace Hollin0106
