// The read-only attribute as permission bits (the open modes are checked through the
// public classes' writers: tests/filelib).
#include <gtest/gtest.h>

#include <cerrno>

#include "tests/filelib/FileTestSupport.h"
#include "platform/Files.h"

namespace {

using namespace filetest;

TEST(PlatformAttributes, ReadOnlyIsTheWritePermissionBits)
{
    TempFolder dir;
    const fs::path f = dir / "f";
    WriteBytes(f, {1});
    fs::permissions(f, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(AttributesOf(f), platform::kAttributeNormal);
    // Setting read-only clears every write bit; clearing it gives the owner write back.
    ASSERT_FALSE(platform::SetFileAttributes(U(f), platform::kAttributeReadOnly));
    EXPECT_EQ(fs::status(f).permissions(), fs::perms::owner_read | fs::perms::group_read);
    EXPECT_EQ(AttributesOf(f), platform::kAttributeReadOnly);
    ASSERT_FALSE(platform::SetFileAttributes(U(f), platform::kAttributeNormal));
    EXPECT_EQ(fs::status(f).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    // Nothing changes when nothing is asked to change.
    fs::permissions(f, fs::perms::owner_read | fs::perms::group_write);
    ASSERT_FALSE(platform::SetFileAttributes(U(f), platform::kAttributeArchive));
    EXPECT_EQ(fs::status(f).permissions(), fs::perms::owner_read | fs::perms::group_write);
    // There are no hidden or system bits to set here.
    EXPECT_EQ(platform::SetFileAttributes(U(f), platform::kAttributeHidden).value(), ENOTSUP);
}

}  // namespace
