// The Win32 backend's metadata calls under Wine or Windows: streams, times, removal.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/FileMetadata.h"
#include "platform/Files.h"
#include "platform/NamedStreams.h"
#include "platform/Removal.h"
#include "tests/filelib/FileTestSupport.h"

namespace {

namespace fs = std::filesystem;
using filetest::U;

// A stream name cannot hold a separator: it would name another stream or file.
TEST(Win32Streams, ANameWithASeparatorIsRefused)
{
    filetest::TempFolder dir;
    filetest::WriteBytes(dir / "f", {1, 2});
    EXPECT_TRUE(platform::WriteStream(U(dir / "f"), u"a:b", {1}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}

TEST(Win32Times, SetTimesComeBackAndUnsetOnesStay)
{
    filetest::TempFolder dir;
    filetest::WriteBytes(dir / "f", {1});
    const std::u16string file = U(dir / "f");
    platform::FileTimes before, change, after;  // Wine keeps no creation time of its own
    ASSERT_FALSE(platform::GetFileTimes(file, before));
    change.lastWrite = 126256467060000000ULL;  // 2001-02-03 04:05:06 UTC
    ASSERT_FALSE(platform::SetFileTimes(file, change));
    ASSERT_FALSE(platform::GetFileTimes(file, after));
    EXPECT_EQ(after.lastWrite, change.lastWrite);
    EXPECT_EQ(after.lastAccess, before.lastAccess);
}

TEST(Win32Removal, ATreeGoesWithItsReadOnlyFiles)
{
    filetest::TempFolder dir;
    fs::create_directories(dir / "t" / "a" / "b");
    filetest::WriteBytes(dir / "t" / "a" / "b" / "f", {1});
    ASSERT_FALSE(platform::SetFileAttributes(U(dir / "t" / "a" / "b" / "f"), platform::kAttributeReadOnly));
    ASSERT_FALSE(platform::RemoveTree(U(dir / "t")));
    EXPECT_FALSE(fs::exists(dir / "t"));
}

}  // namespace
