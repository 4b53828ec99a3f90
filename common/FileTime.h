// Windows file times (100 ns units since 1601-01-01 UTC) and their conversion from and to
// the Unix epoch's seconds: the one place the two epochs meet.
#pragma once

#include <cstdint>

namespace filetime {

inline constexpr std::int64_t kTicksPerSecond = 10'000'000;
inline constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;
// 1970-01-01 as a file time.
inline constexpr std::uint64_t kUnixEpoch = static_cast<std::uint64_t>(kSecondsFrom1601To1970 * kTicksPerSecond);

// The file time of `seconds` and `nanoseconds` since 1970-01-01 UTC; 0 (no time) for a
// moment before 1601, which no file time holds.
constexpr std::uint64_t FromUnix(std::int64_t seconds, std::int64_t nanoseconds)
{
    if (seconds < -kSecondsFrom1601To1970) return 0;
    return static_cast<std::uint64_t>(seconds + kSecondsFrom1601To1970) * static_cast<std::uint64_t>(kTicksPerSecond) +
           static_cast<std::uint64_t>(nanoseconds / 100);
}

// A moment as seconds since 1970-01-01 UTC (rounded down, before 1970 too) and the
// nanoseconds after them (0 to 999,999,900).
struct UnixTime {
    std::int64_t seconds = 0;
    std::int64_t nanoseconds = 0;
};

// The moment of the file time `fileTime`. A file time past the year 30828 (top bit set)
// is no moment of the calendar and wraps as a signed count.
constexpr UnixTime ToUnix(std::uint64_t fileTime)
{
    const auto since = static_cast<std::int64_t>(fileTime) - static_cast<std::int64_t>(kUnixEpoch);
    std::int64_t seconds = since / kTicksPerSecond;
    std::int64_t rest = since % kTicksPerSecond;
    if (rest < 0) {
        rest += kTicksPerSecond;
        --seconds;
    }
    return {seconds, rest * 100};
}

}  // namespace filetime
