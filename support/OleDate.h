// Automation dates (days since 30 December 1899, the fraction being the time of day)
// and the wall-clock milliseconds they stand for. Pure arithmetic; no time zones.
#pragma once

#include <cstdint>
#include <optional>

#include "common/FileTime.h"

namespace oledate {

// Milliseconds of a wall-clock time counted from 1970-01-01 00:00:00.000 of the same
// clock (no leap seconds), the form both conversions below take.
using WallMillis = std::int64_t;

// The range both conversions accept: 1601-01-01 00:00:00.000 (the first moment a
// Windows file time can hold) to 9999-12-31 23:59:59.999 (the last day an automation
// date can hold).
inline constexpr WallMillis kFirstMillis = -filetime::kSecondsFrom1601To1970 * 1000;
inline constexpr WallMillis kLastMillis = 253402300799999;

// The automation date of a wall-clock time. Dates before 30 December 1899 are
// negative with the time of day as a positive fraction (-1.25 is 29 December 1899,
// 06:00). Nothing for a time outside the range.
std::optional<double> FromWallMillis(WallMillis ms);

// The wall-clock time of an automation date, rounded to the millisecond. Nothing for a
// NaN, an infinity, or a date outside the range.
std::optional<WallMillis> ToWallMillis(double date);

// Windows file times (100-nanosecond units since 1601-01-01 00:00 UTC) as milliseconds
// since 1970 UTC, the sub-millisecond part dropped, and back. A file time beyond
// 9999-12-31 gives nothing; so does a time outside the range on the way back.
std::optional<WallMillis> FileTimeToUnixMillis(std::uint64_t fileTime);
std::optional<std::uint64_t> UnixMillisToFileTime(WallMillis ms);

}  // namespace oledate
