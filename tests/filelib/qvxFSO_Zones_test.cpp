// Zone identifiers (user.Zone.Identifier) on NTFS and on the temporary folder's file system.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <Hollin0106/qvxFSO.h>
#include "tests/filelib/FileTestSupport.h"

namespace {

using namespace filetest;

// The raw bytes of the file's zone stream as getfattr shows them, "-" when it has none.
std::string RawZone(const fs::path& file)
{
    return testfs::Output("getfattr --only-values -n user.Zone.Identifier " + Quote(file) + " 2>/dev/null");
}

void ZonesBehaveOn(const fs::path& dir)
{
    qvxFSO fso;
    const fs::path file = dir / "download.zip";
    WriteBytes(file, {1, 2, 3});
    const std::u16string name = U(file);

    EXPECT_EQ(fso.GetFileZone(name), fzLocalMachine);
    EXPECT_FALSE(fso.IsFileZoneDefined(name));
    EXPECT_FALSE(fso.DeleteFileZone(name));

    EXPECT_TRUE(fso.SetFileZone(name, fzInternet));
    EXPECT_EQ(RawZone(file), "[ZoneTransfer]\r\nZoneId=3\r\n");  // as Windows writes it
    EXPECT_EQ(fso.GetFileZone(name), fzInternet);
    EXPECT_TRUE(fso.IsFileZoneDefined(name));

    EXPECT_TRUE(fso.SetFileZone(name, static_cast<FileZone_Const>(7)));
    EXPECT_EQ(fso.GetFileZone(name), 7);

    EXPECT_TRUE(fso.DeleteFileZone(name));
    EXPECT_EQ(fso.GetFileZone(name), fzLocalMachine);
    EXPECT_FALSE(fso.IsFileZoneDefined(name));
    EXPECT_EQ(RawZone(file), "[ZoneTransfer]\r\n");

    // A stream Windows wrote for a download keeps its other lines when the zone changes.
    ASSERT_TRUE(filetest::Run("setfattr -n user.Zone.Identifier -v " +
                              Quote("0x5B5A6F6E655472616E736665725D0D0A5A6F6E6549643D330D0A"
                                    "526566657272657255726C3D687474703A2F2F782F0D0A486F737455726C3D687474703A2F2F782F"
                                    "612E7A69700D0A") +
                              " " + Quote(file)));
    EXPECT_EQ(fso.GetFileZone(name), fzInternet);
    EXPECT_TRUE(fso.SetFileZone(name, fzRestrictedSites));
    EXPECT_EQ(RawZone(file), "[ZoneTransfer]\r\nZoneId=4\r\nReferrerUrl=http://x/\r\nHostUrl=http://x/a.zip\r\n");

    // A missing file gets no stream and is not created; a folder is no file.
    const fs::path missing = dir / "missing";
    EXPECT_FALSE(fso.SetFileZone(U(missing), fzInternet));
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_EQ(fso.GetFileZone(U(missing)), fzLocalMachine);
    EXPECT_FALSE(fso.IsFileZoneDefined(U(missing)));
    EXPECT_FALSE(fso.SetFileZone(U(dir), fzInternet));
}

TEST(ZonesOnNtfs, SetReadTestAndDelete)
{
    testfs::NtfsVolume volume;
    TAGSCOPE_MOUNT_OR_SKIP(volume);
    ZonesBehaveOn(volume.Root());
    // It is the NTFS stream Windows reads: the $DATA attribute named Zone.Identifier.
    // ntfs-3g may still be writing its last records when umount returns: read until
    // they are there, for a few seconds at most.
    volume.Unmount();
    const std::string expected = "[ZoneTransfer]\r\nZoneId=4\r\nReferrerUrl=http://x/\r\nHostUrl=http://x/a.zip\r\n";
    std::string onDisk;
    for (int i = 0; i < 30 && onDisk != expected; ++i) {
        if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        onDisk = testfs::Output("ntfscat -a 0x80 -n Zone.Identifier " + Quote(volume.Image()) +
                                " /download.zip 2>/dev/null");
    }
    EXPECT_EQ(onDisk, expected);
}

TEST(ZonesInTheTempFolder, SetReadTestAndDelete)
{
    TempFolder dir;
    ZonesBehaveOn(dir.Path());
}

}  // namespace
