// Compression, recycling and file times on NTFS, the temporary folder and a tmpfs.
#include <gtest/gtest.h>

#include <cerrno>
#include <optional>

#include <Hollin0106/qvxFSO.h>
#include "support/OleDate.h"
#include "tests/filelib/FileTestSupport.h"
#include "tests/filelib/ReparseBuffers.h"

namespace {

using namespace filetest;

class OnNtfs : public ::testing::Test {
protected:
    void SetUp() override { TAGSCOPE_MOUNT_OR_SKIP(volume_); }
    fs::path At(const std::string& leaf) const { return volume_.Root() / leaf; }

    testfs::NtfsVolume volume_;
    qvxFSO fso_;
};

TEST_F(OnNtfs, CompressionOfADirectoryAndTheHonestFailureOnAFile)
{
    fs::create_directory(At("dir"));
    WriteBytes(At("plain"), {1});
    std::int32_t code = -1;
    EXPECT_EQ(fso_.GetFileCompression(U(At("missing")), &code), cfError);
    EXPECT_EQ(code, 2);

    EXPECT_TRUE(fso_.SetFileCompression(U(At("dir")), cfLZNT1, &code));
    EXPECT_EQ(code, 0);
    EXPECT_EQ(fso_.GetFileCompression(U(At("dir")), &code), cfLZNT1);
    WriteBytes(At("dir") / "inside", {1, 2, 3});  // new files of a compressed folder are compressed
    EXPECT_EQ(fso_.GetFileCompression(U(At("dir") / "inside")), cfLZNT1);
    // ntfs-3g takes the bit of an existing file and drops it without a word.
    EXPECT_FALSE(fso_.SetFileCompression(U(At("dir") / "inside"), cfNone, &code));
    EXPECT_EQ(code, EOPNOTSUPP);
    EXPECT_FALSE(fso_.SetFileCompression(U(At("plain")), cfDefault, &code));
    EXPECT_EQ(code, EOPNOTSUPP);
    EXPECT_EQ(fso_.GetFileCompression(U(At("plain")), &code), cfNone);
    EXPECT_EQ(code, 0);

    EXPECT_FALSE(fso_.SetFileCompression(U(At("dir")), static_cast<CompressionFormat_Const>(9), &code));
    EXPECT_EQ(code, EINVAL);
    EXPECT_FALSE(fso_.SetFileCompression(U(At("missing")), cfNone, &code));
    EXPECT_EQ(code, 2);
    EXPECT_TRUE(fso_.SetFileCompression(U(At("dir")), cfNone, &code));
    EXPECT_EQ(fso_.GetFileCompression(U(At("dir"))), cfNone);
}

TEST_F(OnNtfs, RecyclingOnTheVolumeAndAJunctionRemovedAsALink)
{
    fs::create_directories(At("target/sub"));
    WriteBytes(At("target/sub/kept"), {7});
    ASSERT_EQ(volume_.MakeReparseFolder("junction", testbuf::MountPoint(u"\\??\\C:\\target", u"C:\\target")), "");
    WriteBytes(At("doc.txt"), {1});

    EXPECT_TRUE(fso_.RecycleFile(U(At("junction"))));
    EXPECT_FALSE(fs::exists(fs::symlink_status(At("junction"))));
    EXPECT_EQ(ReadBytes(At("target/sub/kept")), Bytes{7});
    EXPECT_FALSE(fs::exists(At(".Trash-0")));  // a link never goes to the trash

    // Another volume's entries go into its own .Trash-<uid>.
    EXPECT_TRUE(fso_.RecycleFile(U(At("doc.txt"))));
    EXPECT_FALSE(fs::exists(At("doc.txt")));
    EXPECT_EQ(ReadBytes(At(".Trash-0/files/doc.txt")), Bytes{1});
    EXPECT_TRUE(fs::exists(At(".Trash-0/info/doc.txt.trashinfo")));
}

TEST_F(OnNtfs, FileTimesRoundTripToTheMillisecond)
{
    WriteBytes(At("f"), {1});
    const std::u16string name = U(At("f"));
    const double creation = 40000.25 + 123.0 / 86400000;  // 2009-07-06 06:00:00.123
    const double access = 44000.5;
    const double write = 45000.75 + 999.0 / 86400000;
    ASSERT_TRUE(fso_.SetFileDateTime(name, creation, access, write));

    double c = 0, a = 0, w = 0;
    ASSERT_TRUE(fso_.GetFileDateTime(name, &c, &a, &w));
    EXPECT_EQ(oledate::ToWallMillis(c), oledate::ToWallMillis(creation));
    EXPECT_EQ(oledate::ToWallMillis(a), oledate::ToWallMillis(access));
    EXPECT_EQ(oledate::ToWallMillis(w), oledate::ToWallMillis(write));

    // Only the write time given: the others stay. Nothing given: nothing changes.
    ASSERT_TRUE(fso_.SetFileDateTime(name, 0, 0, 46000.0));
    ASSERT_TRUE(fso_.SetFileDateTime(name));
    double c2 = 0, a2 = 0, w2 = 0;
    ASSERT_TRUE(fso_.GetFileDateTime(name, &c2, &a2, &w2));
    EXPECT_EQ(c2, c);
    EXPECT_EQ(a2, a);
    EXPECT_EQ(w2, 46000.0);
    // A date no file time can hold leaves its time alone.
    ASSERT_TRUE(fso_.SetFileDateTime(name, -200000.0, 0, 3000000.0));
    ASSERT_TRUE(fso_.GetFileDateTime(name, &c2, nullptr, &w2));
    EXPECT_EQ(c2, c);
    EXPECT_EQ(w2, 46000.0);
}

using Recycling = FolderTest;

TEST_F(Recycling, IntoTheUsersTrashOrForGood)
{
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::optional<std::string> previous = saved ? std::optional<std::string>(saved) : std::nullopt;
    ::setenv("XDG_DATA_HOME", File("xdg").c_str(), 1);
    fs::create_directories(File("dir/sub"));
    WriteBytes(File("dir/sub/f"), {5});
    WriteBytes(File("outside"), {6});
    fs::create_symlink(File("outside"), File("dir/link"));
    WriteBytes(File("a.txt"), {1});

    EXPECT_TRUE(fso_.RecycleFile(Name("a.txt")));
    EXPECT_FALSE(fs::exists(File("a.txt")));
    EXPECT_EQ(ReadBytes(File("xdg/Trash/files/a.txt")), Bytes{1});
    const Bytes info = ReadBytes(File("xdg/Trash/info/a.txt.trashinfo"));
    const std::string text(info.begin(), info.end());
    EXPECT_EQ(text.rfind("[Trash Info]\nPath=" + File("a.txt").string() + "\nDeletionDate=", 0), 0u) << text;

    // For good: the folder with its content; a link inside goes, its target stays.
    EXPECT_TRUE(fso_.RecycleFile(Name("dir"), true));
    EXPECT_FALSE(fs::exists(File("dir")));
    EXPECT_FALSE(fs::exists(File("xdg/Trash/files/dir")));
    EXPECT_EQ(ReadBytes(File("outside")), Bytes{6});

    EXPECT_FALSE(fso_.RecycleFile(Name("missing")));
    EXPECT_EQ(RaisedNumber([&] { fso_.RecycleFile(Name("missing"), false, true); }), 53);
    if (previous)
        ::setenv("XDG_DATA_HOME", previous->c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
}

using FileTimes = FolderTest;

TEST_F(FileTimes, EmptyNamesMissingFilesAndNoCreationTimeToSet)
{
    for (const bool raise : {false, true}) {
        EXPECT_EQ(RaisedNumber([&] { fso_.GetFileDateTime(u"", nullptr, nullptr, nullptr, raise); }), 5);
        EXPECT_EQ(RaisedNumber([&] { fso_.SetFileDateTime(u"", 1, 1, 1, raise); }), 5);
    }
    double untouched = 7;
    EXPECT_FALSE(fso_.GetFileDateTime(Name("missing"), &untouched));
    EXPECT_EQ(untouched, 7);
    EXPECT_EQ(RaisedNumber([&] { fso_.GetFileDateTime(Name("missing"), nullptr, nullptr, nullptr, true); }), 53);
    EXPECT_EQ(RaisedNumber([&] { fso_.SetFileDateTime(Name("missing"), 0, 0, 45000, true); }), 53);

    // This file system keeps a birth time but lets nobody set it: nothing changes.
    WriteBytes(File("f"), {1});
    double before = 0;
    ASSERT_TRUE(fso_.GetFileDateTime(Name("f"), nullptr, nullptr, &before));
    EXPECT_FALSE(fso_.SetFileDateTime(Name("f"), 40000, 0, 41000));
    EXPECT_EQ(RaisedNumber([&] { fso_.SetFileDateTime(Name("f"), 40000, 0, 41000, true); }), 75);
    double after = 0;
    ASSERT_TRUE(fso_.GetFileDateTime(Name("f"), nullptr, nullptr, &after));
    EXPECT_EQ(after, before);
}

// Every writer on a read-only tmpfs fails without harm; the readers still read.
TEST(ReadOnlyFileSystem, WritersFailReadersRead)
{
    ScratchTmpfs tmpfs;
    TAGSCOPE_NEED_MOUNT(tmpfs.Mount(256), false);
    const fs::path file = tmpfs.Root() / "f";
    WriteBytes(file, {1});
    qvxFSO fso;
    std::int32_t code = 0;
    EXPECT_FALSE(fso.SetFileCompression(U(file), cfLZNT1, &code));  // tmpfs cannot compress
    EXPECT_EQ(code, EOPNOTSUPP);
    EXPECT_EQ(fso.GetFileCompression(U(file)), cfNone);
    ASSERT_TRUE(fso.SetFileZone(U(file), fzInternet));
    ASSERT_TRUE(fso.SetFileDescription(U(file), u"text"));
    ASSERT_TRUE(filetest::Run("mount -o remount,ro " + Quote(tmpfs.Root())));

    EXPECT_FALSE(fso.SetFileZone(U(file), fzSafeSites));
    EXPECT_FALSE(fso.DeleteFileZone(U(file)));
    EXPECT_EQ(fso.GetFileZone(U(file)), fzInternet);
    EXPECT_FALSE(fso.SetFileDescription(U(file), u"other"));
    EXPECT_FALSE(fso.DeleteFileDescription(U(file)));
    EXPECT_EQ(fso.GetFileDescription(U(file)), u"text");
    EXPECT_EQ(RaisedNumber([&] { fso.SetFileDateTime(U(file), 0, 0, 45000, true); }), 75);
    EXPECT_EQ(RaisedNumber([&] { fso.RecycleFile(U(file), true, true); }), 75);
    EXPECT_TRUE(fs::exists(file));
}

// Run as nobody: root passes every permission check.
TEST(PermissionDenied, AFileOfAnotherUser)
{
    if (IsRoot()) {
        TempFolder dir;
        fs::create_directory(dir / "locked");  // root's, and closed to others for writing
        WriteBytes(dir / "locked/f", {1});
        fs::permissions(dir / "locked/f", fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
        RerunAsNobody((dir / "locked/f").string());
        return;
    }
    const std::u16string name = FromUtf8(NobodyArgument().value_or(""));
    qvxFSO fso;
    EXPECT_FALSE(fso.SetFileZone(name, fzInternet));
    EXPECT_EQ(RaisedNumber([&] { fso.SetFileDateTime(name, 0, 0, 45000, true); }), 75);
    EXPECT_FALSE(fso.SetFileDescription(name, u"text"));  // the folder's file cannot be made
    EXPECT_EQ(RaisedNumber([&] { fso.RecycleFile(name, true, true); }), 75);
}

}  // namespace
