// Compression, recycling and file times on NTFS, ext4, the temporary folder and a tmpfs.
#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <regex>
#include <tuple>

#include <Hollin0106/qvxFSO.h>
#include "tests/filelib/ChildProcess.h"
#include "tests/filelib/FileTestSupport.h"
#include "tests/filelib/ReparseBuffers.h"
#include "platform/Removal.h"

namespace {

using namespace filetest;

class OnNtfs : public SharedNtfsVolume {
protected:
    static std::u16string At(const std::string& leaf) { return U(Root() / leaf); }
    qvxFSO fso_;
};

TEST_F(OnNtfs, CompressionOfADirectoryAndTheHonestFailureOnAFile)
{
    fs::create_directory(Root() / "dir");
    std::int32_t code = -1;
    EXPECT_EQ(fso_.GetFileCompression(At("missing"), &code), cfError);
    EXPECT_EQ(code, 2);
    EXPECT_TRUE(fso_.SetFileCompression(At("dir"), cfLZNT1, &code));
    EXPECT_EQ(fso_.GetFileCompression(At("dir"), &code), cfLZNT1);
    WriteBytes(Root() / "dir/inside", {1, 2, 3});
    EXPECT_EQ(fso_.GetFileCompression(At("dir/inside")), cfLZNT1);
    // ntfs-3g takes the bit of an existing file and drops it without a word.
    EXPECT_FALSE(fso_.SetFileCompression(At("dir/inside"), cfNone, &code));
    EXPECT_EQ(code, EOPNOTSUPP);
    EXPECT_FALSE(fso_.SetFileCompression(At("dir"), static_cast<CompressionFormat_Const>(9), &code));
    EXPECT_EQ(code, EINVAL);
}

TEST_F(OnNtfs, AJunctionIsRecycledAsALink)
{
    fs::create_directories(Root() / "target/sub");
    WriteBytes(Root() / "target/sub/kept", {7});
    ASSERT_EQ(Volume().MakeReparseFolder("junction", testbuf::MountPoint(u"\\??\\C:\\target", u"C:\\target")), "");
    EXPECT_TRUE(fso_.RecycleFile(At("junction")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(Root() / "junction")));
    EXPECT_EQ(ReadBytes(Root() / "target/sub/kept"), Bytes{7});
    EXPECT_FALSE(fs::exists(Root() / ".Trash-0"));  // a link never goes to the trash
}

// Only the times given change; a date no file time can hold leaves its time alone; NTFS
// holds 1800 and 2500, far outside what ext4 can.
TEST_F(OnNtfs, FileTimesChangeOnlyWhereGivenAndHeld)
{
    WriteBytes(Root() / "f", {1});
    const std::u16string name = At("f");
    double c = 0, a = 0, c2 = 0, a2 = 0, w2 = 0;
    ASSERT_TRUE(fso_.GetFileDateTime(name, &c, &a));
    ASSERT_TRUE(fso_.SetFileDateTime(name, 0, 0, 46000.0));
    ASSERT_TRUE(fso_.SetFileDateTime(name, -200000.0, 0, 3000000.0));
    ASSERT_TRUE(fso_.GetFileDateTime(name, &c2, &a2, &w2));
    EXPECT_EQ(std::make_tuple(c2, a2, w2), std::make_tuple(c, a, 46000.0));
    ASSERT_TRUE(fso_.SetFileDateTime(name, -36522.0, -36522.0, 219148.0, true));
    ASSERT_TRUE(fso_.GetFileDateTime(name, &c2, &a2, &w2));
    EXPECT_EQ(std::make_tuple(c2, a2, w2), std::make_tuple(-36522.0, -36522.0, 219148.0));
}

// A date ext4 cannot hold fails with the range error and changes no time. Inodes of 256
// bytes hold 1901-12-14 to 2446-05-10 in nanoseconds, of 128 whole seconds up to 2038.
TEST(OnExt4, DatesOutsideTheRangeFailAndChangeNothing)
{
    ScratchMount wide, narrow;
    TAGSCOPE_NEED_MOUNT(wide.MountExt4(8192, 256), false);
    TAGSCOPE_NEED_MOUNT(narrow.MountExt4(8192, 128), false);
    qvxFSO fso;
    const struct {
        const char* name;
        const ScratchMount& fs;
        double date;
        bool ok;
    } rows[] = {
        {"1900-01-01: before 1901-12-14", wide, 2.0, false},
        {"2400-01-01", wide, 182623.0, true},
        {"2446-06-01: after 2446-05-10", wide, 199576.0, false},
        {"in whole seconds, milliseconds are cut, not refused", narrow, 45000.5 + 123.0 / 86400000, true},
        {"2100-01-01: after 2038", narrow, 73051.0, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const fs::path file = row.fs.Root() / "dated";
        WriteBytes(file, {1});
        const std::u16string name = U(file);
        ASSERT_TRUE(fso.SetFileDateTime(name, 0, 40000.0, 40001.0, true));
        const std::int32_t raised = RaisedNumber([&] { fso.SetFileDateTime(name, 0, 41000.0, row.date, true); });
        EXPECT_EQ(raised, row.ok ? 0 : 75);
        double access = 0, write = 0;
        ASSERT_TRUE(fso.GetFileDateTime(name, nullptr, &access, &write));
        EXPECT_EQ(access, row.ok ? 41000.0 : 40000.0);
        EXPECT_EQ(std::floor(write * 86400), std::floor((row.ok ? row.date : 40001.0) * 86400));
    }

    // ext4 keeps a compression flag and never compresses: setting one is refused (the low
    // 16 bits of the format count), and a flag another tool stored is not reported.
    const fs::path file = wide.Root() / "plain";
    WriteBytes(file, Bytes(10000, 'a'));
    std::int32_t code = 0;
    EXPECT_FALSE(fso.SetFileCompression(U(file), static_cast<CompressionFormat_Const>(65538), &code));
    EXPECT_EQ(code, EOPNOTSUPP);
    ASSERT_TRUE(filetest::Run("chattr +c " + Quote(file)));
    EXPECT_EQ(fso.GetFileCompression(U(file), &code), cfNone);
    EXPECT_EQ(code, 0);
}

// The user's trash in a folder of the test's own.
class Recycling : public FolderTest {
protected:
    // Whether the record of `trashed` names the entry that was at `escaped`, deleted at some local time.
    bool IsRecordOf(const std::string& trashed, const std::string& escaped) const
    {
        const Bytes info = ReadBytes(File("xdg/Trash/info/" + trashed + ".trashinfo"));
        const std::string record(info.begin(), info.end()), head = "[Trash Info]\nPath=" + escaped + "\nDeletionDate=";
        return record.starts_with(head) &&
               std::regex_match(record.substr(head.size()), std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\n)"));
    }

    void SetUp() override
    {
        if (const char* old = std::getenv("XDG_DATA_HOME")) old_ = old;
        ::setenv("XDG_DATA_HOME", File("xdg").c_str(), 1);
    }
    void TearDown() override { old_ ? ::setenv("XDG_DATA_HOME", old_->c_str(), 1) : ::unsetenv("XDG_DATA_HOME"); }

    std::optional<std::string> old_;
};

TEST_F(Recycling, NamesKeepTheirBytesAndRecordsEscapeThem)
{
    ASSERT_TRUE(std::regex_match(dir_.Path().string(), std::regex("[A-Za-z0-9/._~-]+")));
    // A sibling under the name that a decoder would make of the undecodable one.
    WriteBytes(File("bad\xef\xbf\xbd.txt"), {9});
    const struct {
        std::string name;
        std::string escaped;
    } rows[] = {
        {"bad\xff.txt", "bad%FF.txt"},
        {"new\nline.txt", "new%0Aline.txt"},
        {"caf\xc3\xa9 #1?&=+%25.txt", "caf%C3%A9%20%231%3F%26%3D%2B%2525.txt"},
    };
    std::uint8_t content = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.escaped);
        WriteBytes(File(row.name), {++content});
        ASSERT_TRUE(fso_.RecycleFile(FromNativePath(File(row.name).string()), false, true));
        EXPECT_FALSE(fs::exists(File(row.name)));
        EXPECT_EQ(ReadBytes(File("xdg/Trash/files/" + row.name)), Bytes{content});
        EXPECT_TRUE(IsRecordOf(row.name, dir_.Path().string() + "/" + row.escaped));
    }
    EXPECT_EQ(ReadBytes(File("bad\xef\xbf\xbd.txt")), Bytes{9});
}

// The record's name must fit too, so the trashed name is cut (never inside a character)
// and the record keeps the whole name. In a child: ever new names that cannot fit would never end.
TEST_F(Recycling, ALongNameIsCutInTheTrashAndKeptWholeInTheRecord)
{
    std::string name, escaped;
    for (int i = 0; i < 127; ++i) name += "\xc3\xa9", escaped += "%C3%A9";
    WriteBytes(File(name), {3});
    ASSERT_EQ(InChild([&] { return fso_.RecycleFile(Name(name)) ? 0 : 1; }, 20), 0);
    std::vector<std::string> trashed;
    for (const auto& e : fs::directory_iterator(File("xdg/Trash/files"))) trashed.push_back(e.path().filename());
    ASSERT_EQ(trashed.size(), 1u);
    EXPECT_LT(trashed[0].size(), name.size());
    EXPECT_EQ(name.rfind(trashed[0], 0), 0u);
    EXPECT_EQ(ToUtf8(FromUtf8(trashed[0])), trashed[0]);
    EXPECT_TRUE(IsRecordOf(trashed[0], dir_.Path().string() + "/" + escaped));
}

// A link goes itself, wherever it leads; nothing in the trash is ever replaced.
TEST_F(Recycling, EntriesLinksAndTakenNames)
{
    fs::create_directories(File("dir/sub"));
    WriteBytes(File("outside"), {6});
    fs::create_symlink(File("outside"), File("dir/link"));
    fs::create_symlink("nowhere", File("dangling"));
    for (const std::uint8_t content : {1, 2}) {
        WriteBytes(File("a.txt"), {content});
        ASSERT_TRUE(fso_.RecycleFile(Name("a.txt"), false, true));
    }
    EXPECT_EQ(ReadBytes(File("xdg/Trash/files/a.txt")), Bytes{1});
    EXPECT_EQ(ReadBytes(File("xdg/Trash/files/a.txt.2")), Bytes{2});
    EXPECT_TRUE(IsRecordOf("a.txt.2", File("a.txt").string()));
    // A name an entry left without its record already takes.
    WriteBytes(File("xdg/Trash/files/b.txt"), {7});
    WriteBytes(File("b.txt"), {8});
    ASSERT_TRUE(fso_.RecycleFile(Name("b.txt"), false, true));
    EXPECT_EQ(ReadBytes(File("xdg/Trash/files/b.txt")), Bytes{7});
    EXPECT_EQ(ReadBytes(File("xdg/Trash/files/b.txt.2")), Bytes{8});

    EXPECT_TRUE(fso_.RecycleFile(Name("dangling"), false, true));
    EXPECT_EQ(fs::read_symlink(File("xdg/Trash/files/dangling")), "nowhere");
    EXPECT_TRUE(fso_.RecycleFile(Name("dir"), true, true));
    EXPECT_FALSE(fs::exists(fs::symlink_status(File("dir"))));
    EXPECT_EQ(ReadBytes(File("outside")), Bytes{6});
    EXPECT_EQ(RaisedNumber([&] { fso_.RecycleFile(Name("missing"), false, true); }), 53);
}

// "." and ".." are resolved first, as Windows does: the entry the name means goes whole.
TEST_F(Recycling, DotAndDotDotMeanTheEntryTheyName)
{
    for (const char* top : {"d1", "d2"}) {
        fs::create_directories(File(top) / "sub");
        WriteBytes(File(top) / "sub/f", {1});
        WriteBytes(File(top) / "g", {2});
    }
    EXPECT_TRUE(fso_.RecycleFile(Name("d1/sub/."), true, true));
    EXPECT_FALSE(fs::exists(File("d1/sub")));
    EXPECT_EQ(ReadBytes(File("d1/g")), Bytes{2});
    EXPECT_TRUE(fso_.RecycleFile(Name("d2/sub/.."), false, true));
    EXPECT_FALSE(fs::exists(File("d2")));
    EXPECT_EQ(ReadBytes(File("xdg/Trash/files/d2/sub/f")), Bytes{1});
    EXPECT_EQ(platform::MoveToTrash(u"/"), std::errc::device_or_resource_busy);
}

using FileTimes = FolderTest;

TEST_F(FileTimes, EmptyNamesMissingFilesAndNoCreationTimeToSet)
{
    EXPECT_EQ(RaisedNumber([&] { fso_.GetFileDateTime(u"", nullptr, nullptr, nullptr, false); }), 5);
    EXPECT_EQ(RaisedNumber([&] { fso_.SetFileDateTime(u"", 1, 1, 1, false); }), 5);
    double untouched = 7;
    EXPECT_FALSE(fso_.GetFileDateTime(Name("missing"), &untouched));
    EXPECT_EQ(untouched, 7);
    EXPECT_EQ(RaisedNumber([&] { fso_.SetFileDateTime(Name("missing"), 0, 0, 45000, true); }), 53);
    // This file system keeps a birth time but lets nobody set it: nothing changes.
    WriteBytes(File("f"), {1});
    double before = 0, after = 0;
    ASSERT_TRUE(fso_.GetFileDateTime(Name("f"), nullptr, nullptr, &before));
    EXPECT_EQ(RaisedNumber([&] { fso_.SetFileDateTime(Name("f"), 40000, 0, 41000, true); }), 75);
    ASSERT_TRUE(fso_.GetFileDateTime(Name("f"), nullptr, nullptr, &after));
    EXPECT_EQ(after, before);
}

TEST(ReadOnlyFileSystem, WritersFailReadersRead)
{
    ScratchMount tmpfs;
    TAGSCOPE_NEED_MOUNT(tmpfs.MountTmpfs(256), false);
    const fs::path file = tmpfs.Root() / "f";
    WriteBytes(file, {1});
    qvxFSO fso;
    std::int32_t code = 0;
    EXPECT_FALSE(fso.SetFileCompression(U(file), cfLZNT1, &code));
    EXPECT_EQ(code, EOPNOTSUPP);
    ASSERT_TRUE(fso.SetFileZone(U(file), fzInternet));
    ASSERT_TRUE(fso.SetFileDescription(U(file), u"text"));
    ASSERT_TRUE(filetest::Run("mount -o remount,ro " + Quote(tmpfs.Root())));

    EXPECT_FALSE(fso.SetFileZone(U(file), fzSafeSites));
    EXPECT_FALSE(fso.DeleteFileZone(U(file)));
    EXPECT_EQ(fso.GetFileZone(U(file)), fzInternet);
    EXPECT_FALSE(fso.SetFileDescription(U(file), u"other"));
    EXPECT_EQ(fso.GetFileDescription(U(file)), u"text");
    EXPECT_EQ(RaisedNumber([&] { fso.SetFileDateTime(U(file), 0, 0, 45000, true); }), 75);
    EXPECT_EQ(RaisedNumber([&] { fso.RecycleFile(U(file), true, true); }), 75);
    EXPECT_TRUE(fs::exists(file));
}

}  // namespace
