// The platform layer's files: an existing file cut in place, the read-only attribute as
// permission bits (the other open modes are checked through the file classes' writers).
#include <gtest/gtest.h>

#include <cerrno>

#include "tests/filelib/FileTestSupport.h"
#include "platform/Files.h"

namespace {

using namespace filetest;

// The writer that keeps a file's identity cuts it through the same open.
TEST(PlatformFiles, TruncateExistingCutsTheFileItOpens)
{
    TempFolder dir;
    WriteBytes(dir / "f", {1, 2, 3});
    platform::File file;
    const Bytes data{7, 8};
    ASSERT_FALSE(platform::OpenFile(U(dir / "f"), platform::FileOpenMode::TruncateExisting, file));
    ASSERT_FALSE(platform::WriteFile(file, data.data(), data.size()));
    ASSERT_FALSE(file.Close());
    EXPECT_EQ(ReadBytes(dir / "f"), data);
}

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
