// Descript.ion files on NTFS, where they are kept hidden, with the Western code pages (OEM 437).
#include <gtest/gtest.h>

#include <Hollin0106/qvxDescriptIon.h>
#include <Hollin0106/qvxFSO.h>
#include "tests/filelib/FileTestSupport.h"

namespace {

using namespace filetest;

class DescriptionsOnNtfs : public WesternCodePages {
protected:
    void SetUp() override
    {
        WesternCodePages::SetUp();
        TAGSCOPE_MOUNT_OR_SKIP(volume_);
    }
    fs::path Index() const { return volume_.Root() / "Descript.ion"; }
    bool Hidden() const { return AttributesOf(Index()) & platform::kAttributeHidden; }

    testfs::NtfsVolume volume_;
    qvxFSO fso_;
};

TEST_F(DescriptionsOnNtfs, TheFolderFileThroughQvxFSO)
{
    const std::u16string file = U(volume_.Root() / "my file.txt");
    EXPECT_EQ(fso_.GetFileDescription(file), u"");

    // A missing file reads as empty; the first description makes it, hidden.
    EXPECT_TRUE(fso_.SetFileDescription(file, u"Caf\u00E9 \"menu\""));
    EXPECT_EQ(ReadBytes(Index()), B("\"my file.txt\" Caf\x82 \"menu\"\r\n"));
    EXPECT_TRUE(Hidden());
    EXPECT_EQ(fso_.GetFileDescription(U(volume_.Root() / "MY FILE.TXT")), u"Caf\u00E9 \"menu\"");

    // Kept in OEM when asked, losing what 437 cannot hold; else the whole file turns UTF-8.
    EXPECT_TRUE(fso_.SetFileDescription2(U(volume_.Root() / "b"), u"\u20AC1", false));
    EXPECT_EQ(ReadBytes(Index()), B("\"my file.txt\" Caf\x82 \"menu\"\r\nb ?1\r\n"));
    EXPECT_TRUE(fso_.SetFileDescription(U(volume_.Root() / "b"), u"\u20AC2"));
    EXPECT_EQ(ReadBytes(Index()), B("\xEF\xBB\xBF\"my file.txt\" Caf\xC3\xA9 \"menu\"\r\nb \xE2\x82\xAC" "2\r\n"));
    EXPECT_TRUE(Hidden());

    // Deleting what is not there still rewrites; the last description removes the file.
    EXPECT_TRUE(fso_.DeleteFileDescription(U(volume_.Root() / "none")));
    EXPECT_TRUE(fso_.DeleteFileDescription(file));
    EXPECT_TRUE(fso_.SetFileDescription(U(volume_.Root() / "b"), u""));
    EXPECT_FALSE(fs::exists(Index()));

    // A missing folder cannot be read, and nothing is written.
    EXPECT_FALSE(fso_.SetFileDescription(U(volume_.Root() / "no/f"), u"x"));
    EXPECT_EQ(fso_.GetFileDescription(U(volume_.Root() / "no/f")), u"");
    EXPECT_FALSE(fs::exists(volume_.Root() / "no"));
}

TEST_F(DescriptionsOnNtfs, TheClassReadsEditsAndWrites)
{
    WriteBytes(Index(), B("b one\r\n\"a b\" two\r\n"));
    SetNtfsAttributes(Index(), 0x20 | platform::kAttributeHidden | platform::kAttributeReadOnly);
    qvxDescriptIon d;
    ASSERT_TRUE(d.ReadDirectoryFile(U(volume_.Root())));
    EXPECT_EQ(d.FileName(), U(Index()));
    EXPECT_EQ(d.ItemCount(), 2);
    d.AddItem(u"B", u"three");  // replaced, moved to the end, in its new case
    d.AddItem(u"c", u"four");
    EXPECT_TRUE(d.RemoveItem(2));
    EXPECT_FALSE(d.RemoveItem(d.ItemCount()));
    EXPECT_FALSE(d.RemoveItemByFileName(u"zz"));
    EXPECT_EQ(d.ItemFileName(1), u"B");
    EXPECT_EQ(d.ItemDescription(1), u"three");
    EXPECT_EQ(d.ItemFileName(5), u"");
    EXPECT_EQ(d.ItemDescriptionByFileName(u"A B"), u"two");

    // A hidden, read-only file is rewritten and stays hidden.
    EXPECT_TRUE(d.WriteDirectoryFile());
    EXPECT_EQ(ReadBytes(Index()), B("\"a b\" two\r\nB three\r\n"));
    EXPECT_TRUE(Hidden());
    d.UTF8Mode(true);
    EXPECT_TRUE(d.WriteFile(U(volume_.Root() / "copy")));
    EXPECT_EQ(ReadBytes(volume_.Root() / "copy"), B("\xEF\xBB\xBF\"a b\" two\r\nB three\r\n"));
    EXPECT_EQ(d.FileName(), U(Index()));  // writing elsewhere changes nothing

    d.Clear();
    EXPECT_FALSE(d.WriteFile());
    EXPECT_TRUE(d.ReadFile(U(volume_.Root() / "copy")));
    EXPECT_TRUE(d.UTF8Mode());
    EXPECT_EQ(d.ItemCount(), 2);
    EXPECT_FALSE(d.ReadFile(U(volume_.Root() / "no/Descript.ion")));
    EXPECT_EQ(d.FileName(), u"");
}

}  // namespace
