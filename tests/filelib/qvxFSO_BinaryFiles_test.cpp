// qvxFSO's byte methods on real file systems: results, errors and the faults a user
// meets (read-only files, missing folders, a full disk, a file held open).
#include <gtest/gtest.h>

#include <fstream>

#include "common/AutomationError.h"
#include "common/Utf16.h"
#include "filelib/qvxFSO.h"
#include "tests/filelib/FileTestSupport.h"

namespace {

using filetest::Bytes;
using filetest::RaisedNumber;
using filetest::ReadBytes;
using filetest::U;
using filetest::WriteBytes;
namespace fs = std::filesystem;

TEST(BinaryFiles, GetFileBReadsWholeFilesAndNeverCreatesOne)
{
    filetest::TempFolder dir;
    qvxFSO fso;
    WriteBytes(dir / "data", {0, 1, 0xFE, 0xFF});
    WriteBytes(dir / "empty", {});

    bool ok = false;
    EXPECT_EQ(fso.GetFileB(U(dir / "data"), false, &ok), (Bytes{0, 1, 0xFE, 0xFF}));
    EXPECT_TRUE(ok);
    ok = false;
    EXPECT_TRUE(fso.GetFileB(U(dir / "empty"), false, &ok).empty());
    EXPECT_TRUE(ok);

    ok = true;
    EXPECT_TRUE(fso.GetFileB(U(dir / "missing"), false, &ok).empty());
    EXPECT_FALSE(ok);
    try {
        fso.GetFileB(U(dir / "missing"), true, &ok);
        ADD_FAILURE() << "no error";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.Number, 53);
        EXPECT_EQ(e.Source, u"qvxFSO");
        EXPECT_EQ(e.Description, u"File not found");
    }
    EXPECT_FALSE(fs::exists(dir / "missing"));
    // A folder is not a file.
    EXPECT_EQ(RaisedNumber([&] { fso.GetFileB(U(dir.Path()), true); }), 53);
}

TEST(BinaryFiles, PutFileBWritesAnewAndLeavesDataAlone)
{
    filetest::TempFolder dir;
    qvxFSO fso;
    WriteBytes(dir / "f", {9, 9, 9, 9, 9, 9});
    Bytes data{1, 2, 3};
    EXPECT_TRUE(fso.PutFileB(U(dir / "f"), data));
    EXPECT_EQ(ReadBytes(dir / "f"), (Bytes{1, 2, 3}));
    EXPECT_EQ(data, (Bytes{1, 2, 3}));

    EXPECT_TRUE(fso.PutFileB(U(dir / "new"), data));
    EXPECT_EQ(ReadBytes(dir / "new"), data);

    Bytes none;
    EXPECT_TRUE(fso.PutFileB(U(dir / "f"), none));
    EXPECT_TRUE(fs::exists(dir / "f"));
    EXPECT_EQ(fs::file_size(dir / "f"), 0u);
}

TEST(BinaryFiles, AppendFileBAddsAtTheEndAndCreatesAMissingFile)
{
    filetest::TempFolder dir;
    qvxFSO fso;
    Bytes data{0x01, 0x02};
    EXPECT_TRUE(fso.AppendFileB(U(dir / "f"), data));
    EXPECT_TRUE(fso.AppendFileB(U(dir / "f"), data));
    EXPECT_EQ(ReadBytes(dir / "f"), (Bytes{1, 2, 1, 2}));
    Bytes none;
    EXPECT_TRUE(fso.AppendFileB(U(dir / "f"), none));
    EXPECT_EQ(ReadBytes(dir / "f"), (Bytes{1, 2, 1, 2}));
}

TEST(BinaryFiles, OverwriteFileBKeepsTheFilesIdentity)
{
    filetest::TempFolder dir;
    qvxFSO fso;
    WriteBytes(dir / "f", {9, 9, 9, 9, 9, 9, 9, 9});
    fs::create_hard_link(dir / "f", dir / "link");
    fs::permissions(dir / "f", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    Bytes data{1, 2, 3};
    EXPECT_TRUE(fso.OverwriteFileB(U(dir / "f"), data));
    EXPECT_EQ(ReadBytes(dir / "f"), (Bytes{1, 2, 3}));
    // Same file: the other name sees the new content, both names still count.
    EXPECT_EQ(ReadBytes(dir / "link"), (Bytes{1, 2, 3}));
    EXPECT_EQ(fs::hard_link_count(dir / "f"), 2u);
    EXPECT_EQ(fs::status(dir / "f").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    EXPECT_TRUE(fso.OverwriteFileB(U(dir / "created"), data));
    EXPECT_EQ(ReadBytes(dir / "created"), data);
}

TEST(BinaryFiles, AMissingFolderIsPathNotFound)
{
    filetest::TempFolder dir;
    qvxFSO fso;
    const std::u16string name = U(dir / "no-such-folder" / "f");
    Bytes data{1};
    EXPECT_FALSE(fso.PutFileB(name, data));
    EXPECT_FALSE(fso.AppendFileB(name, data));
    EXPECT_EQ(RaisedNumber([&] { fso.PutFileB(name, data, true); }), 76);
    EXPECT_EQ(RaisedNumber([&] { fso.AppendFileB(name, data, true); }), 76);
    // OverwriteFileB's truncating open is not guarded.
    EXPECT_EQ(RaisedNumber([&] { fso.OverwriteFileB(name, data, false); }), 76);
    EXPECT_FALSE(fs::exists(dir / "no-such-folder"));
}

TEST(BinaryFiles, AFolderCannotBeWrittenAsAFile)
{
    filetest::TempFolder dir;
    qvxFSO fso;
    fs::create_directory(dir / "d");
    Bytes data{1};
    EXPECT_EQ(RaisedNumber([&] { fso.PutFileB(U(dir / "d"), data, true); }), 75);
    EXPECT_EQ(RaisedNumber([&] { fso.AppendFileB(U(dir / "d"), data, true); }), 75);
    EXPECT_EQ(RaisedNumber([&] { fso.OverwriteFileB(U(dir / "d"), data); }), 75);
}

TEST(BinaryFiles, OverwriteFileBRefusesAFileHeldOpenElsewhere)
{
    filetest::TempFolder dir;
    qvxFSO fso;
    WriteBytes(dir / "f", {5, 6, 7});
    Bytes data{1};
    {
        std::ifstream holder(dir / "f", std::ios::binary);
        ASSERT_TRUE(holder.is_open());
        // Linux can tell only through a lease, which needs the owner or CAP_LEASE.
        const std::int32_t number = RaisedNumber([&] { fso.OverwriteFileB(U(dir / "f"), data, false); });
        if (number == 0) GTEST_SKIP() << "this file system grants no leases, so an open elsewhere cannot be seen";
        EXPECT_EQ(number, 70);
        EXPECT_EQ(ReadBytes(dir / "f"), (Bytes{5, 6, 7}));
    }
    EXPECT_TRUE(fso.OverwriteFileB(U(dir / "f"), data));
    EXPECT_EQ(ReadBytes(dir / "f"), data);
}

// Run as nobody: root passes every permission check.
TEST(BinaryFiles, AReadOnlyFileIsAPathFileAccessErrorAndStaysUnchanged)
{
    if (filetest::IsRoot()) {
        filetest::RerunAsNobody();
        return;
    }
    filetest::TempFolder dir;
    qvxFSO fso;
    WriteBytes(dir / "ro", {7, 7, 7});
    fs::permissions(dir / "ro", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    Bytes data{1, 2};

    EXPECT_FALSE(fso.PutFileB(U(dir / "ro"), data));
    EXPECT_EQ(RaisedNumber([&] { fso.PutFileB(U(dir / "ro"), data, true); }), 75);
    EXPECT_FALSE(fso.AppendFileB(U(dir / "ro"), data));
    EXPECT_EQ(RaisedNumber([&] { fso.AppendFileB(U(dir / "ro"), data, true); }), 75);
    EXPECT_EQ(RaisedNumber([&] { fso.OverwriteFileB(U(dir / "ro"), data, false); }), 75);
    EXPECT_EQ(ReadBytes(dir / "ro"), (Bytes{7, 7, 7}));

    // Unreadable: the reader fails the same way.
    fs::permissions(dir / "ro", fs::perms::none);
    bool ok = true;
    EXPECT_TRUE(fso.GetFileB(U(dir / "ro"), false, &ok).empty());
    EXPECT_FALSE(ok);
    EXPECT_EQ(RaisedNumber([&] { fso.GetFileB(U(dir / "ro"), true); }), 75);
}

TEST(BinaryFiles, AFullDiskIsDiskFull)
{
    filetest::ScratchTmpfs disk;
    TAGSCOPE_NEED_MOUNT(disk.Mount(64), false);
    qvxFSO fso;
    const std::u16string name = U(disk.Root() / "big");
    Bytes big(1 << 20, 0x5A);

    EXPECT_FALSE(fso.PutFileB(name, big));
    EXPECT_EQ(RaisedNumber([&] { fso.PutFileB(name, big, true); }), 61);
    // What fitted stays: the file was cut to length 0 and written as far as it went.
    EXPECT_LT(fs::file_size(disk.Root() / "big"), big.size());

    EXPECT_EQ(RaisedNumber([&] { fso.AppendFileB(name, big, true); }), 61);
    EXPECT_FALSE(fso.OverwriteFileB(name, big));
    EXPECT_EQ(RaisedNumber([&] { fso.OverwriteFileB(name, big, true); }), 61);

    // Once there is room again, the same file is written whole.
    Bytes small{1, 2, 3};
    EXPECT_TRUE(fso.PutFileB(name, small));
    EXPECT_EQ(ReadBytes(disk.Root() / "big"), small);
}

TEST(BinaryFiles, ANameThatIsNotUtf8IsReachedToo)
{
    filetest::TempFolder dir;
    qvxFSO fso;
    const fs::path file = dir / std::string("caf\xE9.bin");  // Latin-1 byte, not UTF-8
    const std::u16string name = FromNativePath(file.string());
    Bytes data{1, 2, 3};
    EXPECT_TRUE(fso.PutFileB(name, data, true));
    EXPECT_EQ(ReadBytes(file), data);
    EXPECT_TRUE(fso.AppendFileB(name, data, true));
    EXPECT_TRUE(fso.OverwriteFileB(name, data, true));
    EXPECT_EQ(fso.GetFileB(name, true), data);
}

}  // namespace
