// NtfsImage on volumes mkntfs makes for the test (no mount, no root needed): opening and
// its errors, entries by path, the listing's cursor, and images that lie.
#include <gtest/gtest.h>

#include <Hollin0106/AutomationError.h>
#include <Hollin0106/NtfsImage.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "common/Utf16.h"
#include "tests/fixtures/Shell.h"

using namespace Hollin0106;
namespace fs = std::filesystem;

namespace {

// One empty 4 MiB volume for the whole suite, made with mkntfs.
class NtfsImageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = new fs::path(testfs::UniqueTempPath("tagscope-ntfsimage"));
        fs::create_directories(*dir_);
        const fs::path image = *dir_ / "empty.img";
        made_ = testfs::Run("truncate -s 4M " + testfs::Quote(image) + " && PATH=$PATH:/usr/sbin mkntfs -F -q -Q " +
                            testfs::Quote(image));
    }
    static void TearDownTestSuite()
    {
        std::error_code ec;
        fs::remove_all(*dir_, ec);
        delete dir_;
    }
    void SetUp() override
    {
        if (!made_) {
            if (testfs::UnderCI()) FAIL() << "mkntfs could not make the test volume";
            GTEST_SKIP() << "mkntfs is not installed";
        }
    }
    static fs::path Image() { return *dir_ / "empty.img"; }
    static std::u16string U(const fs::path& p) { return FromUtf8(p.string()); }

    // A copy of the volume with `bytes` written at `offset`.
    static fs::path Patched(const std::string& name, std::uint64_t offset, const std::vector<std::uint8_t>& bytes)
    {
        const fs::path copy = *dir_ / name;
        fs::copy_file(Image(), copy, fs::copy_options::overwrite_existing);
        std::fstream f(copy, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(static_cast<std::streamoff>(offset));
        f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return copy;
    }

    static fs::path* dir_;
    static bool made_;
};
fs::path* NtfsImageTest::dir_ = nullptr;
bool NtfsImageTest::made_ = false;

TEST_F(NtfsImageTest, OpensAVolumeAndTellsItsGeometry)
{
    NtfsImage image;
    ASSERT_TRUE(image.Open(U(Image()))) << ToUtf8(image.ErrorDescription());
    EXPECT_TRUE(image.IsOpen());
    EXPECT_EQ(image.Volume().Partition, 0);
    EXPECT_EQ(image.Volume().Size, 4u * 1024 * 1024);
    EXPECT_EQ(image.Volume().BytesPerSector, 512u);
    EXPECT_EQ(image.Volume().RecordSize, 1024u);
    EXPECT_GE(image.Volume().RecordCount, 16u);
}

TEST_F(NtfsImageTest, EntriesByPath)
{
    NtfsImage image;
    ASSERT_TRUE(image.Open(U(Image())));
    struct Row {
        const char* path;
        SymlinkTargetError_Const code;
        const char16_t* shown;
    } rows[] = {
        {"/", setNotSymlink, u"/"},
        {"", setNotSymlink, u"/"},
        {"$mft", setNotSymlink, u"/$MFT"},
        {"\\$Extend\\$REPARSE", setNotSymlink, u"/$Extend/$Reparse"},
        {"/$Extend/./../$UpCase", setNotSymlink, u"/$UpCase"},
        {"/no such file", setFileNotFound, u"/no such file"},
        {"/$MFT/below a file", setFileNotFound, u"/$MFT/below a file"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        const NtfsReparseEntry e = image.ReadEntry(FromUtf8(row.path));
        EXPECT_EQ(e.Code, row.code);
        EXPECT_EQ(e.Path, row.shown);
        EXPECT_TRUE(e.Data.empty());
        EXPECT_TRUE(e.ErrorDetail.empty());
    }
}

TEST_F(NtfsImageTest, AnEmptyVolumeListsNothingFromItsIndex)
{
    NtfsImage image;
    ASSERT_TRUE(image.Open(U(Image())));
    NtfsReparseScan scan = image.ScanReparsePoints();
    EXPECT_TRUE(scan.FromIndex()) << ToUtf8(scan.IndexProblem());
    NtfsReparseEntry e;
    EXPECT_FALSE(scan.Next(e));
    EXPECT_EQ(scan.Done(), scan.Total());
    EXPECT_TRUE(image.ReparsePoints().empty());
}

TEST_F(NtfsImageTest, ACancelledScanEndsAtOnceFromAnotherThread)
{
    NtfsImage image;
    ASSERT_TRUE(image.Open(U(Image())));
    NtfsReparseScan scan = image.ScanReparsePoints();
    std::thread([&scan] { scan.Cancel(); }).join();
    EXPECT_TRUE(scan.Cancelled());
    NtfsReparseEntry e;
    EXPECT_FALSE(scan.Next(e));
}

TEST_F(NtfsImageTest, AScanOutlivesItsImage)
{
    NtfsReparseScan scan;
    {
        NtfsImage image;
        ASSERT_TRUE(image.Open(U(Image())));
        scan = image.ScanReparsePoints();
    }
    NtfsReparseEntry e;
    EXPECT_FALSE(scan.Next(e));
    EXPECT_EQ(scan.Done(), scan.Total());
}

TEST_F(NtfsImageTest, OpenFailuresSayWhy)
{
    const fs::path empty = *dir_ / "zeros.img";
    testfs::Run("truncate -s 1M " + testfs::Quote(empty));
    struct Row {
        const char* name;
        fs::path path;
        std::int32_t partition;
        std::int32_t number;
    } rows[] = {
        {"missing file", *dir_ / "missing.img", 0, 53},
        {"a folder", *dir_, 0, 75},
        {"no volume, no table", empty, 0, 321},
        {"a partition of a bare volume", Image(), 1, 9},
        {"a negative partition", Image(), -1, 5},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        NtfsImage image;
        EXPECT_FALSE(image.Open(U(row.path), row.partition));
        EXPECT_FALSE(image.IsOpen());
        EXPECT_EQ(image.ErrorNumber(), row.number);
        EXPECT_FALSE(image.ErrorDescription().empty());
        try {
            image.Open(U(row.path), row.partition, true);
            ADD_FAILURE() << "no error raised";
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.Number, row.number);
            EXPECT_EQ(e.Source, u"NtfsImage");
        }
    }
    NtfsImage closed;
    EXPECT_THROW(closed.ReadEntry(u"/"), AutomationError);
    EXPECT_THROW(closed.ScanReparsePoints(), AutomationError);
}

// The boot sector's MFT cluster (offset 48) and cluster size, read back from the image.
std::uint64_t MftOffset(const fs::path& image)
{
    std::ifstream f(image, std::ios::binary);
    std::vector<unsigned char> boot(512);
    f.read(reinterpret_cast<char*>(boot.data()), 512);
    const std::uint64_t cluster = static_cast<std::uint64_t>(boot[11] | boot[12] << 8) * boot[13];
    std::uint64_t lcn = 0;
    for (int i = 7; i >= 0; --i) lcn = lcn << 8 | boot[48 + static_cast<std::size_t>(i)];
    return lcn * cluster;
}

TEST_F(NtfsImageTest, ATornMftRecordZeroIsReadFromItsMirror)
{
    // The check bytes of the first stride of record 0.
    const fs::path torn = Patched("mirror.img", MftOffset(Image()) + 510, {0xAB, 0xCD});
    NtfsImage image;
    ASSERT_TRUE(image.Open(U(torn))) << ToUtf8(image.ErrorDescription());
    EXPECT_EQ(image.ReadEntry(u"/$MFTMirr").Code, setNotSymlink);
}

TEST_F(NtfsImageTest, ATornRootFailsItsEntriesWithTheReason)
{
    const fs::path torn = Patched("root.img", MftOffset(Image()) + 5 * 1024 + 510, {0xAB, 0xCD});
    NtfsImage image;
    ASSERT_TRUE(image.Open(U(torn)));
    const NtfsReparseEntry e = image.ReadEntry(u"/$MFT");
    EXPECT_EQ(e.Code, setCreateFileFailed);
    EXPECT_NE(ToUtf8(e.ErrorDetail).find("MFT record 5"), std::string::npos) << ToUtf8(e.ErrorDetail);
    EXPECT_NE(ToUtf8(e.ErrorDetail).find("update sequence"), std::string::npos) << ToUtf8(e.ErrorDetail);
}

TEST_F(NtfsImageTest, AnMftThatClaimsMoreThanTheImageIsRefused)
{
    // Record 0's $DATA allocated size is far past the 4 MiB image: no allocation follows it.
    NtfsImage good;
    ASSERT_TRUE(good.Open(U(Image())));
    std::ifstream f(Image(), std::ios::binary);
    std::vector<unsigned char> record(1024);
    f.seekg(static_cast<std::streamoff>(MftOffset(Image())));
    f.read(reinterpret_cast<char*>(record.data()), 1024);
    std::size_t at = record[20] | record[21] << 8;
    while (record[at] != 0x80) at += record[at + 4] | record[at + 5] << 8;
    std::vector<std::uint8_t> huge(8, 0xFF);
    huge[7] = 0x0F;
    const fs::path lying = Patched("huge.img", MftOffset(Image()) + at + 40, huge);
    NtfsImage image;
    EXPECT_FALSE(image.Open(U(lying)));
    EXPECT_EQ(image.ErrorNumber(), 321);
}

}  // namespace
