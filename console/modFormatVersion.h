// Version text of the running program.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace modFormatVersion {

// major.MM.RRRR: the minor number with at least two digits, the revision with at least
// four (1.0.19 gives 1.00.0019; a minor number of 123 keeps its three digits).
std::u16string GetAppVersion(std::int16_t major, std::int16_t minor, std::int16_t revision);
// The same for the identity of this build.
std::u16string GetAppVersion();

// The menu-bar version tag: "v." + major.minor.revision in plain decimal, a blank and the
// processor word (1.0.19 with "x86" gives "v.1.0.19 x86").
std::u16string GetAppVersionTag(std::int16_t major, std::int16_t minor, std::int16_t revision,
                                std::u16string_view processor);
// The same for the identity of this build and the processor it was compiled for.
std::u16string GetAppVersionTag();
// The processor word of this build in the Windows naming ("x86", "x64", "arm64", "arm"),
// a short instruction-set name for a few other targets, "unknown" for the rest.
std::u16string_view GetBuildProcessorName();

}  // namespace modFormatVersion
