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
using filetest::Bytes;
using filetest::U;

TEST(Win32Streams, WrittenReadReplacedAndRemovedByName)
{
    filetest::TempFolder dir;
    filetest::WriteBytes(dir / "f", {1, 2});
    const std::u16string file = U(dir / "f");
    Bytes read{9};
    EXPECT_EQ(platform::ReadStream(file, u"Zone.Identifier", read), std::errc::no_message_available);
    ASSERT_FALSE(platform::WriteStream(file, u"Zone.Identifier", {'l', 'o', 'n', 'g', 'e', 'r'}));
    ASSERT_FALSE(platform::WriteStream(file, u"Zone.Identifier", {'z'}));  // replaced whole, not overwritten
    ASSERT_FALSE(platform::ReadStream(file, u"Zone.Identifier", read));
    EXPECT_EQ(read, (Bytes{'z'}));
    EXPECT_EQ(filetest::ReadBytes(dir / "f"), (Bytes{1, 2}));  // the unnamed data stays
    ASSERT_FALSE(platform::RemoveStream(file, u"Zone.Identifier"));
    EXPECT_EQ(platform::RemoveStream(file, u"Zone.Identifier"), std::errc::no_message_available);
    // A stream name cannot hold a separator: it would name another stream or file.
    EXPECT_TRUE(platform::WriteStream(file, u"a:b", {1}));
}

TEST(Win32Times, SetTimesComeBackAndUnsetOnesStay)
{
    filetest::TempFolder dir;
    filetest::WriteBytes(dir / "f", {1});
    const std::u16string file = U(dir / "f");
    platform::FileTimes before, change, after;
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
    EXPECT_EQ(platform::RemoveEmptyDirectory(U(dir / "t")), std::errc::directory_not_empty);
    ASSERT_FALSE(platform::RemoveTree(U(dir / "t")));
    EXPECT_FALSE(fs::exists(dir / "t"));
}

}  // namespace
