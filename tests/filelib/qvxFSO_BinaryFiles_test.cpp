// qvxFSO's byte methods on real file systems, with the faults a user meets.
#include <gtest/gtest.h>

#include <Hollin0106/qvxFSO.h>
#include "tests/filelib/FileTestSupport.h"

using namespace filetest;

namespace {

using BinaryFiles = FolderTest;

TEST_F(BinaryFiles, WholeFilesWrittenAnewAppendedAndRead)
{
    WriteBytes(File("f"), {9, 9, 9, 9, 9, 9});
    const Bytes data{0, 0xFE, 0xFF};
    EXPECT_TRUE(fso_.PutFileB(Name("f"), data));
    EXPECT_TRUE(fso_.AppendFileB(Name("f"), data));
    EXPECT_TRUE(fso_.AppendFileB(Name("f"), {}));
    bool ok = false;
    EXPECT_EQ(fso_.GetFileB(Name("f"), false, &ok), (Bytes{0, 0xFE, 0xFF, 0, 0xFE, 0xFF}));
    EXPECT_TRUE(ok);
    EXPECT_TRUE(fso_.PutFileB(Name("f"), {}));
    EXPECT_TRUE(fs::exists(File("f")) && fs::file_size(File("f")) == 0);

    // The reader never makes a file; a folder is not a file.
    EXPECT_TRUE(fso_.GetFileB(Name("missing"), false, &ok).empty());
    EXPECT_FALSE(ok);
    EXPECT_EQ(RaisedNumber([&] { fso_.GetFileB(Name("missing"), true); }), 53);
    EXPECT_FALSE(fs::exists(File("missing")));
    EXPECT_EQ(RaisedNumber([&] { fso_.GetFileB(U(dir_.Path()), true); }), 53);
}

TEST_F(BinaryFiles, OverwriteFileBKeepsTheFilesIdentity)
{
    WriteBytes(File("f"), {9, 9, 9, 9, 9, 9, 9, 9});
    fs::create_hard_link(File("f"), File("link"));
    const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(File("f"), mode);
    EXPECT_TRUE(fso_.OverwriteFileB(Name("f"), {1, 2, 3}));
    EXPECT_EQ(ReadBytes(File("link")), (Bytes{1, 2, 3}));
    EXPECT_EQ(fs::hard_link_count(File("f")), 2u);
    EXPECT_EQ(fs::status(File("f")).permissions(), mode);
    EXPECT_TRUE(fso_.OverwriteFileB(Name("created"), {1}));
    EXPECT_EQ(ReadBytes(File("created")), Bytes{1});
}

// False, the error's number with RaiseErrors, and nothing left behind. OverwriteFileB's
// truncating open raises whatever RaiseErrors says.
void ExpectEveryWriterFails(qvxFSO& fso, const std::u16string& name, std::int32_t number)
{
    const Bytes data{1, 2};
    for (const bool raise : {false, true}) {
        SCOPED_TRACE(raise);
        const std::int32_t expected = raise ? number : 0;
        bool put = true, append = true;
        EXPECT_EQ(RaisedNumber([&] { put = fso.PutFileB(name, data, raise); }), expected);
        EXPECT_EQ(RaisedNumber([&] { append = fso.AppendFileB(name, data, raise); }), expected);
        EXPECT_EQ(RaisedNumber([&] { fso.OverwriteFileB(name, data, raise); }), number);
        if (!raise) EXPECT_FALSE(put || append);
    }
}

TEST_F(BinaryFiles, AMissingFolderOrAFolderInsteadOfTheFile)
{
    ExpectEveryWriterFails(fso_, U(dir_ / "no-such-folder" / "f"), 76);
    EXPECT_FALSE(fs::exists(File("no-such-folder")));
    fs::create_directory(File("d"));
    ExpectEveryWriterFails(fso_, Name("d"), 75);
}

TEST_F(BinaryFiles, OverwriteFileBRefusesAFileHeldOpenElsewhere)
{
    WriteBytes(File("f"), {5, 6, 7});
    {
        std::ifstream holder(File("f"), std::ios::binary);
        ASSERT_TRUE(holder.is_open());
        // Linux can tell only through a lease, which needs the owner or CAP_LEASE.
        const std::int32_t number = RaisedNumber([&] { fso_.OverwriteFileB(Name("f"), {1}, false); });
        if (number == 0) GTEST_SKIP() << "this file system grants no leases, so an open elsewhere cannot be seen";
        EXPECT_EQ(number, 70);
        EXPECT_EQ(ReadBytes(File("f")), (Bytes{5, 6, 7}));
    }
    EXPECT_TRUE(fso_.OverwriteFileB(Name("f"), {1}));
}

// Run as nobody: root passes every permission check.
TEST_F(BinaryFiles, AReadOnlyFileIsAPathFileAccessErrorAndStaysUnchanged)
{
    if (IsRoot()) {
        RerunAsNobody();
        return;
    }
    WriteBytes(File("ro"), {7, 7, 7});
    fs::permissions(File("ro"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    ExpectEveryWriterFails(fso_, Name("ro"), 75);
    EXPECT_EQ(ReadBytes(File("ro")), (Bytes{7, 7, 7}));
    fs::permissions(File("ro"), fs::perms::none);
    EXPECT_EQ(RaisedNumber([&] { fso_.GetFileB(Name("ro"), true); }), 75);
}

TEST(BinaryFilesOnTmpfs, AFullDiskIsDiskFull)
{
    ScratchMount disk;
    TAGSCOPE_NEED_MOUNT(disk.MountTmpfs(64), false);
    qvxFSO fso;
    const std::u16string name = U(disk.Root() / "big");
    const Bytes big(1 << 20, 0x5A);
    EXPECT_EQ(RaisedNumber([&] { fso.PutFileB(name, big, true); }), 61);
    EXPECT_EQ(RaisedNumber([&] { fso.AppendFileB(name, big, true); }), 61);
    EXPECT_FALSE(fso.OverwriteFileB(name, big));
    EXPECT_EQ(RaisedNumber([&] { fso.OverwriteFileB(name, big, true); }), 61);
    EXPECT_TRUE(fso.PutFileB(name, {1, 2, 3}));
    EXPECT_EQ(ReadBytes(disk.Root() / "big"), (Bytes{1, 2, 3}));
}

}  // namespace
