// qvxFSO: zone identifiers, INI text in the file's Zone.Identifier stream read and
// written through the platform's private-profile calls.
#include <Hollin0106/qvxFSO.h>

#include "common/Utf16.h"
#include "filelib/profiles/ProfileSource.h"
#include "support/quovixsupportfbe.h"

namespace Hollin0106 {

namespace {

constexpr char16_t kZoneStream[] = u"Zone.Identifier";
constexpr char16_t kZoneSection[] = u"ZoneTransfer";
constexpr char16_t kZoneKey[] = u"ZoneId";

}  // namespace

FileZone_Const qvxFSO::GetFileZone(const std::u16string& FileName)
{
    return static_cast<FileZone_Const>(profiles::ReadInt(FileName, kZoneStream, kZoneSection, kZoneKey, 0));
}

bool qvxFSO::SetFileZone(const std::u16string& FileName, FileZone_Const FileZone)
{
    if (!esIsFileExist(FileName)) return false;
    const std::u16string value = FromUtf8(std::to_string(static_cast<std::int32_t>(FileZone)));
    return profiles::WriteString(FileName, kZoneStream, kZoneSection, kZoneKey, &value);
}

bool qvxFSO::IsFileZoneDefined(const std::u16string& FileName)
{
    if (!esIsFileExist(FileName)) return false;
    return profiles::KeyExists(FileName, kZoneStream, kZoneSection, kZoneKey);
}

bool qvxFSO::DeleteFileZone(const std::u16string& FileName)
{
    if (!esIsFileExist(FileName)) return false;
    if (!IsFileZoneDefined(FileName)) return false;
    return profiles::WriteString(FileName, kZoneStream, kZoneSection, kZoneKey, nullptr);
}

}  // namespace Hollin0106
