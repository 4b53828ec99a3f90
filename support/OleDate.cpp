// Automation dates and file times as millisecond counts.
#include "support/OleDate.h"

#include <cmath>

#include "common/FileTime.h"

namespace oledate {

namespace {

constexpr std::int64_t kMillisPerDay = 86400000;
// 1970-01-01 is day 25569 of the automation calendar.
constexpr std::int64_t kUnixEpochDay = 25569;
constexpr std::uint64_t kFileTimePerMilli = filetime::kTicksPerSecond / 1000;

// Floor division for a positive divisor.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b)
{
    const std::int64_t q = a / b;
    return (a % b != 0 && a < 0) ? q - 1 : q;
}

}  // namespace

std::optional<double> FromWallMillis(WallMillis ms)
{
    if (ms < kFirstMillis || ms > kLastMillis) return std::nullopt;
    const std::int64_t fromEpoch = ms + kUnixEpochDay * kMillisPerDay;
    const std::int64_t day = FloorDiv(fromEpoch, kMillisPerDay);
    const double fraction = static_cast<double>(fromEpoch - day * kMillisPerDay) / kMillisPerDay;
    // Before day 0 the day counts down while the time of day still counts up.
    return day >= 0 ? static_cast<double>(day) + fraction : static_cast<double>(day) - fraction;
}

std::optional<WallMillis> ToWallMillis(double date)
{
    // Beyond these bounds the multiplication below could overflow; they hold the range
    // with room to spare.
    if (!std::isfinite(date) || date < -200000.0 || date > 3000000.0) return std::nullopt;
    const double day = std::trunc(date);
    const double fraction = std::fabs(date - day);
    const auto fromEpoch = static_cast<std::int64_t>(day) * kMillisPerDay +
                           static_cast<std::int64_t>(std::llround(fraction * kMillisPerDay));
    const WallMillis ms = fromEpoch - kUnixEpochDay * kMillisPerDay;
    if (ms < kFirstMillis || ms > kLastMillis) return std::nullopt;
    return ms;
}

std::optional<WallMillis> FileTimeToUnixMillis(std::uint64_t fileTime)
{
    const auto ms = static_cast<WallMillis>(fileTime / kFileTimePerMilli) -
                    static_cast<WallMillis>(filetime::kUnixEpoch / kFileTimePerMilli);
    if (ms > kLastMillis) return std::nullopt;
    return ms;
}

std::optional<std::uint64_t> UnixMillisToFileTime(WallMillis ms)
{
    if (ms < kFirstMillis || ms > kLastMillis) return std::nullopt;
    return static_cast<std::uint64_t>(ms - kFirstMillis) * kFileTimePerMilli;
}

}  // namespace oledate
