// GetSymlinkTarget(Ex) on real entries: what it adds to the decoding and to the e2e reports.
#include <Hollin0106/qvxFSO.h>

#include <gtest/gtest.h>

#include "tests/filelib/FileTestSupport.h"
#include "tests/filelib/ReparseBuffers.h"

using namespace filetest;

namespace {

using testbuf::Bytes;

struct Outputs {
    std::u16string target, raw = u"old", print = u"old";
    std::int32_t tag = 77;
    bool relative = true;
    ByteArray bytes = {9, 9};
    SymlinkTargetError_Const code = setUnsupportedOS;
};

Outputs Read(const fs::path& path)
{
    Outputs o;
    Variant buffer = Variant::RefTo(o.bytes);
    qvxFSO fso;
    o.target = fso.GetSymlinkTargetEx(path.u16string(), &o.raw, &o.print, &o.tag, &o.relative, &buffer, &o.code);
    return o;
}

TEST(ReparseOnNtfs, TargetsOutputsAndTheByteArrayArgument)
{
    testfs::NtfsVolume volume;
    TAGSCOPE_MOUNT_OR_SKIP(volume);
    const fs::path root = volume.Root();
    const struct {
        const char* name;
        fs::path entry;
        Bytes buffer;
        SymlinkTargetError_Const code;
        std::uint32_t tag;
        std::u16string target;
        bool relative;
    } samples[] = {
        {"relative link resolves against its folder", "dir/sub/Ссылка.txt",
         testbuf::Symlink(u"..\\отчёт.txt", u"..\\отчёт.txt", 1), steSuccess, 0xA000000C, (root / "dir" / "отчёт.txt").u16string(),
         true},
        {"an undecoded tag keeps its bytes and tag", "wof.dll", testbuf::Raw(0x80000017, Bytes(16, 1)),
         setUnsupportedReparseTag, 0x80000017, u"", false},
    };
    for (const auto& s : samples) {
        fs::create_directories((root / s.entry).parent_path());
        std::ofstream(root / s.entry) << "x";
        ASSERT_TRUE(volume.SetReparseData(root / s.entry, s.buffer)) << s.name;
    }
    std::ofstream(root / "plain.txt") << "x";
    ASSERT_EQ(volume.MakeReparseFolder("j", testbuf::MountPoint(u"\\??\\D:\\", u"D:\\")), "");

    for (const auto& s : samples) {
        SCOPED_TRACE(s.name);
        const Outputs o = Read(root / s.entry);
        EXPECT_EQ(o.code, s.code);
        EXPECT_EQ(o.tag, static_cast<std::int32_t>(s.tag));
        EXPECT_EQ(o.relative, s.relative);
        EXPECT_EQ(o.bytes, s.buffer);
        EXPECT_EQ(o.target, s.target);
    }
    // Entries without reparse data: every output is reset.
    for (const fs::path& p : {root / "plain.txt", root}) {
        SCOPED_TRACE(p.string());
        const Outputs o = Read(p);
        EXPECT_EQ(o.code, setNotSymlink);
        EXPECT_EQ(std::tie(o.tag, o.raw, o.print, o.relative, o.target), std::make_tuple(0, u"", u"", false, u""));
        EXPECT_TRUE(o.bytes.empty());
    }

    // The bytes reach the argument only when it holds an array.
    qvxFSO fso;
    Variant notAnArray(std::int32_t{5});
    EXPECT_EQ(fso.GetSymlinkTarget((root / "j").u16string(), nullptr, nullptr, nullptr, nullptr, &notAnArray), u"D:\\");
    EXPECT_EQ(notAnArray.toLong(), 5);
    Variant held(ByteArray{1, 2, 3});
    fso.GetSymlinkTarget((root / "j").u16string(), nullptr, nullptr, nullptr, nullptr, &held);
    EXPECT_EQ(held.bytes(), testbuf::MountPoint(u"\\??\\D:\\", u"D:\\"));
}

// An entry in a folder that may not be searched cannot even be looked at, so opening it is
// what fails. Root would pass any permission check, so the test runs again as nobody.
TEST(ReparseOffNtfs, AnEntryInAFolderThatMayNotBeSearchedCannotBeOpened)
{
    if (const auto argument = NobodyArgument()) {
        const Outputs o = Read(fs::path(*argument) / "entry");
        EXPECT_EQ(o.code, setCreateFileFailed);
        EXPECT_TRUE(o.bytes.empty());
        return;
    }
    if (!IsRoot()) GTEST_SKIP() << "needs root to re-run as nobody";
    TempFolder temp;
    fs::create_directories(temp / "locked");
    std::ofstream(temp / "locked" / "entry") << "x";
    fs::permissions(temp / "locked", fs::perms::none);
    RerunAsNobody((temp / "locked").string());
}

}  // namespace
