// Automation dates, file times and local time.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <ctime>
#include <optional>
#include <string>

#include "support/OleDate.h"
#include "support/quovixsupportfbe.h"

namespace {

TEST(OleDate, WallClockMillisecondsBothWays)
{
    const struct {
        const char* name;
        oledate::WallMillis ms;
        double date;
    } cases[] = {
        {"day zero", -2209161600000, 0.0},
        {"noon and a quarter of a second", 43200250, 25569.5 + 250.0 / 86400000},
        {"the day before day zero, 06:00", -2209161600000 - 86400000 + 21600000, -1.25},
        {"first moment a file time holds", oledate::kFirstMillis, -109205.0},
        {"last millisecond of 9999", oledate::kLastMillis, 2958465.0 + 86399999.0 / 86400000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<double> date = oledate::FromWallMillis(c.ms);
        ASSERT_TRUE(date);
        EXPECT_NEAR(*date, c.date, 1e-9);
        EXPECT_EQ(oledate::ToWallMillis(c.date), c.ms);
    }
    EXPECT_EQ(oledate::FromWallMillis(oledate::kFirstMillis - 1), std::nullopt);
    EXPECT_EQ(oledate::FromWallMillis(oledate::kLastMillis + 1), std::nullopt);
    for (const double bad : {-109206.5, 2958466.0, std::nan(""), std::numeric_limits<double>::infinity()}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(oledate::ToWallMillis(bad), std::nullopt);
    }
}

// The dates are local time, daylight saving time included: Central European time here.
class LocalDates : public ::testing::Test {
protected:
    void SetUp() override { Zone("CET-1CEST,M3.5.0,M10.5.0/3"); }
    void TearDown() override { Zone(saved_ ? saved_->c_str() : nullptr); }
    static void Zone(const char* tz)
    {
        tz ? ::setenv("TZ", tz, 1) : ::unsetenv("TZ");
        ::tzset();
    }
    const std::optional<std::string> saved_ =
        std::getenv("TZ") ? std::optional<std::string>(std::getenv("TZ")) : std::nullopt;
};

TEST_F(LocalDates, FileTimesBecomeLocalDatesAndBack)
{
    struct Case {
        const char* name;
        std::uint64_t fileTime;  // UTC
        double localDate;
    };
    constexpr std::uint64_t kEpoch = 116444736000000000ULL;
    constexpr std::uint64_t kPerSecond = 10000000ULL;
    const Case cases[] = {
        // 2024-01-15 12:00:00.123 UTC is 13:00:00.123 in winter.
        {"winter", kEpoch + 1705320000ULL * kPerSecond + 1230000, 45306.0 + (13 * 3600 + 0.123) / 86400},
        // 2024-07-15 12:00 UTC is 14:00 in summer.
        {"summer", kEpoch + 1721044800ULL * kPerSecond, 45488.0 + 14.0 / 24},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        double date = 0;
        ASSERT_TRUE(esFileTimeToVBDate(c.fileTime, date));
        EXPECT_NEAR(date, c.localDate, 1e-9);
        std::uint64_t back = 0;
        ASSERT_TRUE(esVBDateToFileTime(c.localDate, back));
        EXPECT_EQ(back, c.fileTime);
    }
    // Outside 1601 to 9999 nothing converts and the outputs stay.
    double date = 7;
    EXPECT_FALSE(esFileTimeToVBDate(2650467744000000000ULL, date));
    EXPECT_EQ(date, 7);
    std::uint64_t fileTime = 7;
    EXPECT_FALSE(esVBDateToFileTime(-109206.0, fileTime));
    EXPECT_EQ(fileTime, 7u);
}

}  // namespace
