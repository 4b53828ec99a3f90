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

std::u16string GetAppVersionTag(std::int16_t major, std::int16_t minor, std::int16_t revision,
                                std::u16string_view processor)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "v.%d.%d.%d ", major, minor, revision);
    return FromUtf8(buf) + std::u16string(processor);
}

std::u16string GetAppVersionTag()
{
    return GetAppVersionTag(AppIdentity::Major, AppIdentity::Minor, AppIdentity::Revision, GetBuildProcessorName());
}

std::u16string_view GetBuildProcessorName()
{
    // The tag names the instruction set the program was built for, so a 64-bit build
    // does not claim to be a 32-bit one.
#if defined(__x86_64__) || defined(_M_X64)
    return u"x64";
#elif defined(__i386__) || defined(_M_IX86)
    return u"x86";
#elif defined(__aarch64__) || defined(_M_ARM64)
    return u"arm64";
#elif defined(__arm__) || defined(_M_ARM)
    return u"arm";
#elif defined(__riscv) && __riscv_xlen == 64
    return u"riscv64";
#elif defined(__powerpc64__)
    return u"ppc64";
#elif defined(__s390x__)
    return u"s390x";
#else
    return u"unknown";
#endif
}

}  // namespace modFormatVersion
