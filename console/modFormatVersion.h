// Version text of the running program.
#pragma once

#include <cstdint>
#include <string>

namespace modFormatVersion {

// major.MM.RRRR: the minor number with at least two digits, the revision with at least
// four (1.0.19 gives 1.00.0019; a minor number of 123 keeps its three digits).
std::u16string GetAppVersion(std::int16_t major, std::int16_t minor, std::int16_t revision);
// The same for the identity of this build.
std::u16string GetAppVersion();

}  // namespace modFormatVersion
