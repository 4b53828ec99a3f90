// NtfsImage on a volume mkntfs makes for the test (no mount, no root needed): opening and
// its errors. Listings (an empty volume's too), entries by path and a cancelled listing are
// checked end to end (tests/e2e, tests/ntfs, tests/window).
#include <gtest/gtest.h>

#include <Hollin0106/AutomationError.h>
#include <Hollin0106/NtfsImage.h>

#include <filesystem>

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

    static fs::path* dir_;
    static bool made_;
};
fs::path* NtfsImageTest::dir_ = nullptr;
bool NtfsImageTest::made_ = false;

TEST_F(NtfsImageTest, OpenFailuresSayWhy)
{
    // An image without a volume (321): tests/python and tests/e2e.
    struct Row {
        const char* name;
        fs::path path;
        std::int32_t partition;
        std::int32_t number;
    } rows[] = {
        {"missing file", *dir_ / "missing.img", 0, 53},
        {"a partition of a bare volume", Image(), 1, 9},
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

}  // namespace
