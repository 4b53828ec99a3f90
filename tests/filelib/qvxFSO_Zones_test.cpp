// Zone identifiers on an NTFS volume and on the temporary folder's file system. The
// stream's bytes are read and written with the platform's stream calls (on Linux the
// extended attribute user.Zone.Identifier, on Windows "file:Zone.Identifier").
#include <gtest/gtest.h>

#include <Hollin0106/qvxFSO.h>
#include "platform/NamedStreams.h"
#include "tests/filelib/FileTestSupport.h"

namespace {

using namespace filetest;

// The raw bytes of the file's zone stream, "-" when it has none.
std::string RawZone(const fs::path& file)
{
    std::vector<std::uint8_t> bytes;
    if (platform::ReadStream(U(file), u"Zone.Identifier", bytes)) return "-";
    return std::string(bytes.begin(), bytes.end());
}

void WriteZone(const fs::path& file, const std::string& stream)
{
    WriteBytes(file, {1});
    ASSERT_FALSE(platform::WriteStream(U(file), u"Zone.Identifier", {stream.begin(), stream.end()}));
}

using ZoneStreamsOnNtfs = SharedNtfsVolume;

// ntfs-3g keeps the NTFS read-only bit in the attribute word and lets anyone write the
// streams of such a file; Windows refuses that, and so must the library.
TEST_F(ZoneStreamsOnNtfs, AFileWithTheReadOnlyAttributeKeepsItsStream)
{
    qvxFSO fso;
    const fs::path marked = Root() / "marked.exe";
    WriteZone(marked, "[ZoneTransfer]\r\nZoneId=3\r\n");
    SetNtfsAttributes(marked, 0x21);
    EXPECT_FALSE(fso.SetFileZone(U(marked), fzRestrictedSites));
    EXPECT_FALSE(fso.DeleteFileZone(U(marked)));
    EXPECT_EQ(RawZone(marked), "[ZoneTransfer]\r\nZoneId=3\r\n");
    EXPECT_EQ(fso.GetFileZone(U(marked)), fzInternet);
    SetNtfsAttributes(marked, 0x20);
    EXPECT_TRUE(fso.DeleteFileZone(U(marked)));
    EXPECT_EQ(RawZone(marked), "[ZoneTransfer]\r\n");
}

TEST_F(ZoneStreamsOnNtfs, SetReadTestAndDelete)
{
    qvxFSO fso;
    const fs::path file = Root() / "download.zip";
    WriteBytes(file, {1, 2, 3});
    const std::u16string name = U(file);
    EXPECT_EQ(fso.GetFileZone(name), fzLocalMachine);
    EXPECT_FALSE(fso.IsFileZoneDefined(name));
    EXPECT_FALSE(fso.DeleteFileZone(name));
    EXPECT_TRUE(fso.SetFileZone(name, fzInternet));
    EXPECT_EQ(RawZone(file), "[ZoneTransfer]\r\nZoneId=3\r\n");  // as Windows writes it
    EXPECT_TRUE(fso.IsFileZoneDefined(name));
    EXPECT_TRUE(fso.SetFileZone(name, static_cast<FileZone_Const>(7)));
    EXPECT_TRUE(fso.DeleteFileZone(name));
    EXPECT_EQ(fso.GetFileZone(name), fzLocalMachine);
    EXPECT_EQ(RawZone(file), "[ZoneTransfer]\r\n");
    // A missing file gets no stream and is not created; a folder is no file.
    EXPECT_FALSE(fso.SetFileZone(U(Root() / "missing"), fzInternet));
    EXPECT_FALSE(fs::exists(Root() / "missing"));
    EXPECT_FALSE(fso.SetFileZone(U(Root()), fzInternet));
}

// A stream another program wrote, longer than one small answer of the stream reader, is
// read and changed whole (the profile rules themselves are the profile tests' business).
TEST(ZonesInTheTempFolder, AStreamOfManyKeysIsReadAndChangedWhole)
{
    std::string manyKeys = "[ZoneTransfer]\r\n";
    for (int i = 0; i < 60; ++i) manyKeys += "ReferrerUrl" + std::to_string(i) + "=http://example.org/\r\n";
    TempFolder dir;
    qvxFSO fso;
    const fs::path file = dir / "download.exe";
    WriteZone(file, manyKeys + "ZoneId=4\r\n");
    EXPECT_EQ(fso.GetFileZone(U(file)), fzRestrictedSites);
    EXPECT_TRUE(fso.IsFileZoneDefined(U(file)));
    EXPECT_TRUE(fso.SetFileZone(U(file), fzSafeSites));
    EXPECT_EQ(RawZone(file), manyKeys + "ZoneId=2\r\n");
    EXPECT_TRUE(fso.DeleteFileZone(U(file)));
    EXPECT_FALSE(fso.IsFileZoneDefined(U(file)));
}

// A name without a folder is a file of the current folder (the profile functions of
// Windows would look for it in the Windows folder).
TEST(ZonesInTheTempFolder, ARelativeNameIsInTheCurrentFolder)
{
    TempFolder dir;
    WriteBytes(dir / "setup.exe", {1});
    const fs::path before = fs::current_path();
    fs::current_path(dir.Path());
    qvxFSO fso;
    EXPECT_TRUE(fso.SetFileZone(u"setup.exe", fzSafeSites));
    fs::current_path(before);
    EXPECT_EQ(RawZone(dir / "setup.exe"), "[ZoneTransfer]\r\nZoneId=2\r\n");
}

}  // namespace
