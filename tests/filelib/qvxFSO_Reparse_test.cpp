// GetSymlinkTarget(Ex) on real entries: what it adds to the decoding and to the e2e reports.
#include <Hollin0106/qvxFSO.h>

#include <gtest/gtest.h>

#include "tests/filelib/FileTestSupport.h"
#include "tests/filelib/ReparseBuffers.h"

using namespace filetest;

namespace {

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

TEST(ReparseOnNtfs, OutputsAreResetAndTheByteArrayArgumentIsOnlyFilled)
{
    testfs::NtfsVolume volume;
    TAGSCOPE_MOUNT_OR_SKIP(volume);
    const fs::path root = volume.Root();
    std::ofstream(root / "plain.txt") << "x";
    ASSERT_EQ(volume.MakeReparseFolder("j", testbuf::MountPoint(u"\\??\\D:\\", u"D:\\")), "");

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
