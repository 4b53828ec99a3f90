// Descript.ion files on NTFS, where they are kept hidden, with the Western code pages (OEM 437).
#include <gtest/gtest.h>

#include <Hollin0106/qvxDescriptIon.h>
#include <Hollin0106/qvxFSO.h>
#include "tests/filelib/FileTestSupport.h"
#include "platform/Files.h"

namespace {

using namespace filetest;

// One volume for all cases; each case works in a folder of its own, named after it.
class DescriptionsOnNtfs : public WithSharedNtfsVolume<WesternCodePages> {
protected:
    void SetUp() override
    {
        WithSharedNtfsVolume::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        folder_ = Root() / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::create_directories(folder_);
    }
    fs::path Index() const { return folder_ / "Descript.ion"; }
    bool Hidden() const { return AttributesOf(Index()) & platform::kAttributeHidden; }

    fs::path folder_;
    qvxFSO fso_;
};

TEST_F(DescriptionsOnNtfs, TheFolderFileThroughQvxFSO)
{
    const std::u16string file = U(folder_ / "my file.txt");

    // The first description makes the file, hidden.
    EXPECT_TRUE(fso_.SetFileDescription(file, u"Caf\u00E9 \"menu\""));
    EXPECT_EQ(ReadBytes(Index()), B("\"my file.txt\" Caf\x82 \"menu\"\r\n"));
    EXPECT_TRUE(Hidden());
    EXPECT_EQ(fso_.GetFileDescription(U(folder_ / "MY FILE.TXT")), u"Caf\u00E9 \"menu\"");

    // Kept in OEM when asked, losing what 437 cannot hold; else the whole file turns UTF-8.
    EXPECT_TRUE(fso_.SetFileDescription2(U(folder_ / "b"), u"\u20AC1", false));
    EXPECT_EQ(ReadBytes(Index()), B("\"my file.txt\" Caf\x82 \"menu\"\r\nb ?1\r\n"));
    EXPECT_TRUE(fso_.SetFileDescription(U(folder_ / "b"), u"\u20AC2"));
    EXPECT_EQ(ReadBytes(Index()), B("\xEF\xBB\xBF\"my file.txt\" Caf\xC3\xA9 \"menu\"\r\nb \xE2\x82\xAC" "2\r\n"));

    // Deleting what is not there still rewrites; the last description removes the file.
    EXPECT_TRUE(fso_.DeleteFileDescription(U(folder_ / "none")));
    EXPECT_TRUE(fso_.DeleteFileDescription(file));
    EXPECT_TRUE(fso_.SetFileDescription(U(folder_ / "b"), u""));
    EXPECT_FALSE(fs::exists(Index()));

    // A missing folder (as a missing file) reads as empty, and nothing is written there.
    EXPECT_FALSE(fso_.SetFileDescription(U(folder_ / "no/f"), u"x"));
    EXPECT_EQ(fso_.GetFileDescription(U(folder_ / "no/f")), u"");
    EXPECT_FALSE(fs::exists(folder_ / "no"));
}

TEST_F(DescriptionsOnNtfs, TheClassReadsEditsAndWrites)
{
    WriteBytes(Index(), B("b one\r\n\"a b\" two\r\n"));
    SetNtfsAttributes(Index(), 0x20 | platform::kAttributeHidden | platform::kAttributeReadOnly);
    qvxDescriptIon d;
    ASSERT_TRUE(d.ReadDirectoryFile(U(folder_)));
    d.AddItem(u"B", u"three");  // replaced, moved to the end, in its new case
    d.AddItem(u"c", u"four");
    EXPECT_TRUE(d.RemoveItem(2));
    EXPECT_FALSE(d.RemoveItem(d.ItemCount()));
    EXPECT_EQ(d.ItemFileName(1), u"B");

    // A hidden, read-only file is rewritten and stays hidden and read-only.
    EXPECT_TRUE(d.WriteDirectoryFile());
    EXPECT_EQ(ReadBytes(Index()), B("\"a b\" two\r\nB three\r\n"));
    EXPECT_TRUE(Hidden());
    EXPECT_TRUE(AttributesOf(Index()) & platform::kAttributeReadOnly);
    d.UTF8Mode(true);
    EXPECT_TRUE(d.WriteFile(U(folder_ / "copy")));
    EXPECT_EQ(ReadBytes(folder_ / "copy"), B("\xEF\xBB\xBF\"a b\" two\r\nB three\r\n"));
    EXPECT_EQ(d.FileName(), U(Index()));

    EXPECT_FALSE(d.ReadFile(U(folder_ / "no/Descript.ion")));
    EXPECT_EQ(d.FileName(), u"");
}

// DOS tools write the name in capitals; ntfs-3g tells names apart by case.
TEST_F(DescriptionsOnNtfs, TheFolderFileIsFoundWithoutRegardToCase)
{
    WriteBytes(folder_ / "DESCRIPT.ION", B("A.TXT old\r\n"));
    EXPECT_EQ(fso_.GetFileDescription(U(folder_ / "a.txt")), u"old");
    EXPECT_TRUE(fso_.SetFileDescription(U(folder_ / "b.txt"), u"new"));
    EXPECT_EQ(ReadBytes(folder_ / "DESCRIPT.ION"), B("A.TXT old\r\nb.txt new\r\n"));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);  // no second file
    qvxDescriptIon d;
    ASSERT_TRUE(d.ReadDirectoryFile(U(folder_)));
    EXPECT_EQ(d.FileName(), U(folder_ / "DESCRIPT.ION"));
    // A folder of that name is no description file.
    const fs::path sub = folder_ / "sub";
    fs::create_directories(sub / "descript.ion");
    EXPECT_TRUE(fso_.SetFileDescription(U(sub / "c.txt"), u"x"));
    EXPECT_EQ(ReadBytes(sub / "Descript.ion"), B("c.txt x\r\n"));
    // Nor is a link of that name: the change is refused and the link and its target stay.
    const fs::path linked = folder_ / "linked";
    fs::create_directories(linked);
    fs::create_symlink("../DESCRIPT.ION", linked / "Descript.ion");
    EXPECT_FALSE(fso_.SetFileDescription(U(linked / "d.txt"), u"x"));
    EXPECT_TRUE(fs::is_symlink(linked / "Descript.ion"));
    EXPECT_EQ(ReadBytes(folder_ / "DESCRIPT.ION"), B("A.TXT old\r\nb.txt new\r\n"));
}

}  // namespace
