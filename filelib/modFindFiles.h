// Pure pieces of the file search: find-data times as automation dates.
#pragma once

#include <cstdint>

namespace modFindFiles {

// A FILETIME (100 ns since 1601-01-01 UTC) moved by `biasSeconds` (the local offset
// from UTC) and given as an automation date (days since 1899-12-30; before that day the
// time of day counts forward from the negative day, so 1899-12-29 06:00 is -1.25).
// Milliseconds are dropped, as Windows' SystemTimeToVariantTime drops them. A time that
// cannot be converted (before 1601 or from the year 10000 on, after the bias) gives 0.
double FileTimeToVariantDate(std::uint64_t fileTime, std::int64_t biasSeconds);

}  // namespace modFindFiles
