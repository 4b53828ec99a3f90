// The platform layer's file operations: open modes, the Windows attribute bits, named streams.
#include <gtest/gtest.h>

#include <cerrno>

#include "tests/filelib/FileTestSupport.h"
#include "platform/FileUpdates.h"
#include "platform/Files.h"
#include "platform/NamedStreams.h"

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
        {"CreateTruncate on existing", FileOpenMode::CreateTruncate, true, {7, 8}},
        {"OpenOrCreate writes from the start, cuts nothing", FileOpenMode::OpenOrCreate, true, {7, 8, 3}},
        {"Append", FileOpenMode::Append, true, {1, 2, 3, 7, 8}},
        {"Append on missing", FileOpenMode::Append, false, {7, 8}},
        {"TruncateExisting", FileOpenMode::TruncateExisting, true, {7, 8}},
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
    EXPECT_EQ(platform::OpenFile(U(f), FileOpenMode::Read, file).value(), ENOENT);
    EXPECT_FALSE(file.isOpen());
    EXPECT_FALSE(fs::exists(f));
}

// A replaced file is a new one under the old name, with the old one's attributes; what
// is no file is not replaced, and nothing is left beside either.
TEST(PlatformFiles, ReplaceFileContentTakesTheOldFilesPlace)
{
    TempFolder dir;
    const fs::path f = dir / "f";
    const Bytes data{7, 8};
    ASSERT_FALSE(platform::ReplaceFileContent(U(f), data, 0));
    EXPECT_EQ(ReadBytes(f), data);

    ASSERT_FALSE(platform::SetFileAttributes(U(f), platform::kAttributeReadOnly));
    const Bytes more{9, 9, 9};
    ASSERT_FALSE(platform::ReplaceFileContent(U(f), more, 0));
    EXPECT_EQ(ReadBytes(f), more);
    EXPECT_EQ(AttributesOf(f) & platform::kAttributeReadOnly, platform::kAttributeReadOnly);

    fs::create_directory(dir / "d");
    EXPECT_TRUE(platform::ReplaceFileContent(U(dir / "d"), data, 0));
    EXPECT_TRUE(fs::is_directory(dir / "d"));
    EXPECT_TRUE(platform::ReplaceFileContent(U(dir / "no" / "f"), data, 0));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 2);
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

// On NTFS the hidden and system bits are the attribute word (the directory bit is not the
// caller's), and a stream beyond one resident attribute record is read and removed by name.
TEST(PlatformOnNtfs, TheAttributeWordAndNamedStreams)
{
    testfs::NtfsVolume volume;
    TAGSCOPE_MOUNT_OR_SKIP(volume);
    const fs::path f = volume.Root() / "f";
    WriteBytes(f, {1, 2, 3, 4});
    ASSERT_FALSE(platform::SetFileAttributes(U(f), platform::kAttributeSystem | platform::kAttributeArchive));
    ASSERT_TRUE(filetest::Run("getfattr -n system.ntfs_attrib -e hex " + Quote(f) +
                              " | grep -q 'system.ntfs_attrib=0x24000000'"));
    fs::create_directory(volume.Root() / "d");
    ASSERT_FALSE(platform::SetFileAttributes(U(volume.Root() / "d"), platform::kAttributeHidden));
    EXPECT_EQ(AttributesOf(volume.Root() / "d"), platform::kAttributeHidden | platform::kAttributeDirectory);

    const std::u16string cyrillic = u"\u0434\u0430\u043D\u043D\u044B\u0435";
    const Bytes big(30000, 0xA5);
    ASSERT_FALSE(platform::WriteStream(U(f), cyrillic, big));
    Bytes read;
    ASSERT_FALSE(platform::ReadStream(U(f), cyrillic, read));
    EXPECT_EQ(read, big);
    ASSERT_FALSE(platform::RemoveStream(U(f), cyrillic));
    EXPECT_EQ(platform::ReadStream(U(f), cyrillic, read).value(), ENODATA);
    EXPECT_EQ(platform::RemoveStream(U(f), cyrillic).value(), ENODATA);
}

}  // namespace
