// File times against the Unix epoch: the edges of both calendars and the rounding before 1970.
#include <gtest/gtest.h>

#include "common/FileTime.h"

namespace {

TEST(FileTime, FromUnixAndBack)
{
    const struct {
        const char* name;
        std::int64_t seconds, nanoseconds;
        std::uint64_t fileTime;
    } cases[] = {
        {"1970-01-01", 0, 0, 116444736000000000ULL},
        {"1601-01-01, the first file time", -11644473600, 0, 0},
        {"a tick after 1601", -11644473600, 100, 1},
        {"2000-01-01 00:00:00.5", 946684800, 500000000, 125911584005000000ULL},
        {"a second before 1970 and a half", -2, 500000000, 116444735985000000ULL},
        {"nanoseconds below a tick are dropped", 0, 99, 116444736000000000ULL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(filetime::FromUnix(c.seconds, c.nanoseconds), c.fileTime);
        const filetime::UnixTime back = filetime::ToUnix(c.fileTime);
        EXPECT_EQ(back.seconds, c.seconds);
        EXPECT_EQ(back.nanoseconds, c.nanoseconds / 100 * 100);
    }
}

TEST(FileTime, MomentsBefore1601HaveNoFileTime)
{
    EXPECT_EQ(filetime::FromUnix(-11644473601, 999999999), 0u);
    EXPECT_EQ(filetime::FromUnix(INT64_MIN / 2, 0), 0u);
}

}  // namespace
