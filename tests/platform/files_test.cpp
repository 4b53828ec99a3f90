// The platform layer's file operations: open modes and the read-only attribute as permission bits.
#include <gtest/gtest.h>

#include <cerrno>

#include "tests/filelib/FileTestSupport.h"
#include "platform/Files.h"

namespace {

using namespace filetest;
using platform::FileOpenMode;

TEST(PlatformFiles, OpenModesCreateCutAndAppendAsTheySay)
{
    TempFolder dir;
    const fs::path f = dir / "f";
    const struct {
        const char* name;
        FileOpenMode mode;
        bool existed;
        Bytes after;  // after writing 7 8 over 1 2 3
    } cases[] = {
        {"OpenOrCreate writes from the start, cuts nothing", FileOpenMode::OpenOrCreate, true, {7, 8, 3}},
        {"TruncateExisting", FileOpenMode::TruncateExisting, true, {7, 8}},  // as CreateTruncate on a file
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::error_code ec;
        fs::remove(f, ec);
        if (c.existed) WriteBytes(f, {1, 2, 3});
        platform::File file;
        const Bytes data{7, 8};
        ASSERT_FALSE(platform::OpenFile(U(f), c.mode, file));
        ASSERT_FALSE(platform::WriteFile(file, data.data(), data.size()));
        ASSERT_FALSE(file.Close());
        EXPECT_EQ(ReadBytes(f), c.after);
    }
    fs::remove(f);
    platform::File file;
    EXPECT_EQ(platform::OpenFile(U(f), FileOpenMode::TruncateExisting, file).value(), ENOENT);
    EXPECT_FALSE(fs::exists(f));
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
