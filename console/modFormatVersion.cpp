// Version text of the running program.
#include "console/modFormatVersion.h"

#include <cstdio>

#include "AppIdentity.h"
#include "common/Utf16.h"

namespace modFormatVersion {

std::u16string GetAppVersion(std::int16_t major, std::int16_t minor, std::int16_t revision)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d.%02d.%04d", major, minor, revision);
    return FromUtf8(buf);
}

std::u16string GetAppVersion()
{
    return GetAppVersion(AppIdentity::Major, AppIdentity::Minor, AppIdentity::Revision);
}

}  // namespace modFormatVersion
