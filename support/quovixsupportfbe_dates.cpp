// File times and automation dates in local time.
#include "platform/FileMetadata.h"
#include "support/OleDate.h"
#include "support/quovixsupportfbe.h"

namespace {

constexpr std::int64_t kMillisPerSecond = 1000;

std::int64_t FloorSeconds(std::int64_t ms)
{
    return ms >= 0 ? ms / kMillisPerSecond : -((-ms + kMillisPerSecond - 1) / kMillisPerSecond);
}

}  // namespace

bool esFileTimeToVBDate(std::uint64_t fileTime, double& date)
{
    const auto utc = oledate::FileTimeToUnixMillis(fileTime);
    if (!utc) return false;
    const std::int64_t local = *utc + platform::LocalOffsetAtUtc(FloorSeconds(*utc)) * kMillisPerSecond;
    const auto converted = oledate::FromWallMillis(local);
    if (!converted) return false;
    date = *converted;
    return true;
}

bool esVBDateToFileTime(double date, std::uint64_t& fileTime)
{
    const auto local = oledate::ToWallMillis(date);
    if (!local) return false;
    const std::int64_t utc = *local - platform::LocalOffsetAtLocal(FloorSeconds(*local)) * kMillisPerSecond;
    const auto converted = oledate::UnixMillisToFileTime(utc);
    if (!converted) return false;
    fileTime = *converted;
    return true;
}
