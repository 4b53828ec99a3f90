// qvxFSO::GetSymlinkTarget(Ex) against real entries: an ntfs-3g volume with reparse points
// written by the test, plain files, missing and unreadable paths.
#include <Hollin0106/qvxFSO.h>

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/filelib/FileTestSupport.h"
#include "tests/filelib/ReparseBuffers.h"

using namespace Hollin0106;

namespace {

namespace fs = std::filesystem;
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

class ReparseOnNtfs : public ::testing::Test {
protected:
    void SetUp() override { TAGSCOPE_MOUNT_OR_SKIP(volume_); }

    fs::path MakeDir(const fs::path& rel)
    {
        fs::create_directories(volume_.Root() / rel);
        return volume_.Root() / rel;
    }
    fs::path MakeFile(const fs::path& rel)
    {
        fs::create_directories((volume_.Root() / rel).parent_path());
        std::ofstream(volume_.Root() / rel) << "x";
        return volume_.Root() / rel;
    }

    testfs::NtfsVolume volume_;
};

TEST_F(ReparseOnNtfs, DecodedLayoutsEndToEnd)
{
    struct Sample {
        const char* name;
        fs::path entry;
        bool directory;
        Bytes buffer;
        SymlinkTargetError_Const code;
        std::u16string raw, print;
        bool relative;
        std::u16string target;  // "" = computed below for relative links
    };
    const std::u16string guidRoot = u"\\??\\Volume{0a1b2c3d-4e5f-6789-abcd-ef0123456789}\\";
    std::vector<Sample> samples = {
        {"junction with spaces", "Users/Public/Common Files", true,
         testbuf::MountPoint(u"\\??\\C:\\Program Files\\Common Files", u"C:\\Program Files\\Common Files"), steSuccess,
         u"\\??\\C:\\Program Files\\Common Files", u"C:\\Program Files\\Common Files", false,
         u"C:\\Program Files\\Common Files"},
        {"volume mount point", "Volume", true, testbuf::MountPoint(guidRoot, u""), steSuccess, guidRoot, u"", false,
         guidRoot},
        {"network symlink", "share link", false,
         testbuf::Symlink(u"\\??\\UNC\\server\\share\\folder", u"\\\\server\\share\\folder", 0), steSuccess,
         u"\\??\\UNC\\server\\share\\folder", u"\\\\server\\share\\folder", false, u"\\\\server\\share\\folder"},
        {"relative symlink, non-ASCII name", "dir/sub/Ссылка.txt", false,
         testbuf::Symlink(u"..\\отчёт.txt", u"..\\отчёт.txt", 1), steSuccess, u"..\\отчёт.txt", u"..\\отчёт.txt", true,
         u""},
        {"LX symlink", "lx", false, testbuf::LxSymlink("/usr/share/doc"), steSuccess, u"/usr/share/doc", u"", false,
         u"/usr/share/doc"},
        {"WOF tag is not decoded", "wof.dll", false, testbuf::Raw(0x80000017, Bytes(16, 1)), setUnsupportedReparseTag,
         u"", u"", false, u""},
    };
    for (Sample& s : samples) {
        const fs::path p = s.directory ? MakeDir(s.entry) : MakeFile(s.entry);
        ASSERT_TRUE(volume_.SetReparseData(p, s.buffer)) << s.name;
    }
    ASSERT_EQ(volume_.Remount(), "");
    for (const Sample& s : samples) {
        SCOPED_TRACE(s.name);
        const fs::path p = volume_.Root() / s.entry;
        const Outputs o = Read(p);
        EXPECT_EQ(o.code, s.code);
        EXPECT_EQ(static_cast<std::uint32_t>(o.tag), testbuf::Bytes(s.buffer)[0] | s.buffer[1] << 8 | s.buffer[2] << 16 |
                                                          static_cast<std::uint32_t>(s.buffer[3]) << 24);
        EXPECT_EQ(o.raw, s.raw);
        EXPECT_EQ(o.print, s.print);
        EXPECT_EQ(o.relative, s.relative);
        EXPECT_EQ(o.bytes, s.buffer);
        const std::u16string expectedTarget =
            s.relative ? (volume_.Root() / "dir" / "отчёт.txt").u16string() : s.target;
        EXPECT_EQ(o.target, expectedTarget);
    }
}

TEST_F(ReparseOnNtfs, ByteBufferArgumentOnlyWhenItHoldsAnArray)
{
    const Bytes buffer = testbuf::MountPoint(u"\\??\\D:\\", u"D:\\");
    ASSERT_EQ(volume_.MakeReparseFolder("j", buffer), "");
    const fs::path p = volume_.Root() / "j";
    qvxFSO fso;

    Variant notAnArray(std::int32_t{5});
    EXPECT_EQ(fso.GetSymlinkTarget(p.u16string(), nullptr, nullptr, nullptr, nullptr, &notAnArray), u"D:\\");
    EXPECT_EQ(notAnArray.toLong(), 5);

    Variant held(ByteArray{1, 2, 3});
    fso.GetSymlinkTarget(p.u16string(), nullptr, nullptr, nullptr, nullptr, &held);
    EXPECT_EQ(held.bytes(), buffer);

    // No bytes read: the array becomes empty.
    Variant emptied(ByteArray{1, 2, 3});
    SymlinkTargetError_Const code = steSuccess;
    fso.GetSymlinkTargetEx((volume_.Root() / "missing").u16string(), nullptr, nullptr, nullptr, nullptr, &emptied, &code);
    EXPECT_EQ(code, setFileNotFound);
    EXPECT_TRUE(emptied.bytes().empty());
}

TEST_F(ReparseOnNtfs, PlainEntriesAreNotReparsePoints)
{
    for (const fs::path& p : {MakeFile("plain.txt"), MakeDir("plain dir"), volume_.Root()}) {
        SCOPED_TRACE(p.string());
        const Outputs o = Read(p);
        EXPECT_EQ(o.code, setNotSymlink);
        EXPECT_EQ(o.tag, 0);
        EXPECT_EQ(o.raw, u"");
        EXPECT_EQ(o.print, u"");
        EXPECT_FALSE(o.relative);
        EXPECT_TRUE(o.bytes.empty());
        EXPECT_EQ(o.target, u"");
    }
}

TEST(ReparseOffNtfs, MissingPlainAndUnreadablePaths)
{
    filetest::TempFolder temp;
    const fs::path& dir = temp.Path();
    fs::create_directories(dir / "locked");
    std::ofstream(dir / "plain") << "x";
    std::ofstream(dir / "locked" / "entry") << "x";

    EXPECT_EQ(Read(dir / "missing").code, setFileNotFound);
    EXPECT_EQ(Read(dir / "missing" / "deeper").code, setFileNotFound);
    EXPECT_EQ(Read(dir / "plain" / "below a file").code, setFileNotFound);
    EXPECT_EQ(Read(dir / "plain").code, setNotSymlink);

    // A folder that may not be searched: the entry cannot even be looked at, so opening it
    // is what fails. Root would pass any permission check, so look as nobody.
    if (::geteuid() == 0) {
        fs::permissions(dir / "locked", fs::perms::none);
        ASSERT_EQ(::seteuid(65534), 0);
        const Outputs o = Read(dir / "locked" / "entry");
        ASSERT_EQ(::seteuid(0), 0);
        EXPECT_EQ(o.code, setCreateFileFailed);
        EXPECT_TRUE(o.bytes.empty());
    }
}

}  // namespace
