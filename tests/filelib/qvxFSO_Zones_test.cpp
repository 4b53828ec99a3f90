// Zone identifiers on an NTFS volume and on the temporary folder's file system. The
// stream's bytes are read and written with the platform's stream calls (on Linux the
// extended attribute user.Zone.Identifier, on Windows "file:Zone.Identifier"), apart
// from the profile calls under test; on NTFS also read back from the image.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include <Hollin0106/qvxFSO.h>
#include "platform/Files.h"
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
    const std::string download = "[ZoneTransfer]\r\nZoneId=3\r\nReferrerUrl=http://x/\r\nHostUrl=http://x/a.zip\r\n";
    ASSERT_FALSE(platform::WriteStream(name, u"Zone.Identifier", {download.begin(), download.end()}));
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

// `text` (ASCII only) in the encoding a row names: "ansi" as it stands, "utf8" with its
// mark, "utf16le" with its mark.
Bytes Encoded(const std::string& encoding, std::string_view text)
{
    Bytes out;
    if (encoding == "utf8") out = {0xEF, 0xBB, 0xBF};
    if (encoding != "utf16le") {
        out.insert(out.end(), text.begin(), text.end());
        return out;
    }
    out = {0xFF, 0xFE};
    for (const char c : text) {
        out.push_back(static_cast<std::uint8_t>(c));
        out.push_back(0);
    }
    return out;
}

std::string AsString(const Bytes& b)
{
    return std::string(b.begin(), b.end());
}

// A stream that another program wrote in UTF-16 or in UTF-8 with a mark is read and
// changed in that encoding, its other lines kept byte for byte.
void ZonesInEachEncodingOn(const fs::path& dir)
{
    qvxFSO fso;
    for (const std::string encoding : {"ansi", "utf8", "utf16le"}) {
        SCOPED_TRACE(encoding);
        const fs::path file = dir / ("download-" + encoding + ".zip");
        WriteBytes(file, {1});
        const std::u16string name = U(file);
        const Bytes written = Encoded(encoding, "[ZoneTransfer]\r\nZoneId=3\r\nHostUrl=http://x/\r\n");
        ASSERT_FALSE(platform::WriteStream(name, u"Zone.Identifier", written));
        EXPECT_EQ(fso.GetFileZone(name), fzInternet);
        EXPECT_TRUE(fso.IsFileZoneDefined(name));
        EXPECT_TRUE(fso.SetFileZone(name, fzSafeSites));
        EXPECT_EQ(RawZone(file), AsString(Encoded(encoding, "[ZoneTransfer]\r\nZoneId=2\r\nHostUrl=http://x/\r\n")));
        EXPECT_EQ(fso.GetFileZone(name), fzSafeSites);
        EXPECT_TRUE(fso.DeleteFileZone(name));
        EXPECT_EQ(RawZone(file), AsString(Encoded(encoding, "[ZoneTransfer]\r\nHostUrl=http://x/\r\n")));
        EXPECT_FALSE(fso.IsFileZoneDefined(name));
        EXPECT_TRUE(fso.SetFileZone(name, fzInternet));
        EXPECT_EQ(RawZone(file), AsString(Encoded(encoding, "[ZoneTransfer]\r\nHostUrl=http://x/\r\nZoneId=3\r\n")));
    }
}

// A file with the read-only attribute keeps its stream: every zone write is refused, and
// becomes possible again when the attribute goes. `makeReadOnly` and `makeWritable` set
// and clear the attribute the way a row names.
void ReadOnlyZonesOn(const fs::path& dir, const std::function<void(const fs::path&)>& makeReadOnly,
                     const std::function<void(const fs::path&)>& makeWritable)
{
    qvxFSO fso;
    const std::string stream = "[ZoneTransfer]\r\nZoneId=3\r\n";
    const fs::path marked = dir / "marked.exe";
    const fs::path unmarked = dir / "unmarked.exe";
    WriteBytes(marked, {1});
    WriteBytes(unmarked, {1});
    ASSERT_FALSE(platform::WriteStream(U(marked), u"Zone.Identifier", {stream.begin(), stream.end()}));
    makeReadOnly(marked);
    makeReadOnly(unmarked);

    EXPECT_FALSE(fso.SetFileZone(U(marked), fzRestrictedSites));
    EXPECT_FALSE(fso.SetFileZone(U(marked), fzInternet));  // the value it holds
    EXPECT_FALSE(fso.DeleteFileZone(U(marked)));
    EXPECT_EQ(RawZone(marked), stream);
    EXPECT_EQ(fso.GetFileZone(U(marked)), fzInternet);
    EXPECT_TRUE(fso.IsFileZoneDefined(U(marked)));
    EXPECT_FALSE(fso.SetFileZone(U(unmarked), fzInternet));
    EXPECT_EQ(RawZone(unmarked), "-");

    makeWritable(marked);
    EXPECT_TRUE(fso.DeleteFileZone(U(marked)));
    EXPECT_EQ(RawZone(marked), "[ZoneTransfer]\r\n");
}

// Zone streams on one NTFS volume for all cases.
using ZoneStreamsOnNtfs = SharedNtfsVolume;

// ntfs-3g keeps the NTFS read-only bit in the attribute word (0x21: read-only, archive)
// and lets anyone write the streams of such a file; Windows refuses that.
TEST_F(ZoneStreamsOnNtfs, AFileWithTheReadOnlyAttributeKeepsItsStream)
{
    ReadOnlyZonesOn(
        Root(), [](const fs::path& p) { SetNtfsAttributes(p, 0x21); },
        [](const fs::path& p) { SetNtfsAttributes(p, 0x20); });
}

// The suite's last case: it unmounts the volume to read the image.
TEST_F(ZoneStreamsOnNtfs, SetReadTestAndDelete)
{
    ZonesBehaveOn(Root());
    // It is the NTFS stream Windows reads: the $DATA attribute named Zone.Identifier.
    // ntfs-3g may still be writing its last records when umount returns: read until
    // they are there, for a few seconds at most.
    Volume().Unmount();
    const std::string expected = "[ZoneTransfer]\r\nZoneId=4\r\nReferrerUrl=http://x/\r\nHostUrl=http://x/a.zip\r\n";
    std::string onDisk;
    for (int i = 0; i < 30 && onDisk != expected; ++i) {
        if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        onDisk = testfs::Output("ntfscat -a 0x80 -n Zone.Identifier " + Quote(Volume().Image()) +
                                " /download.zip 2>/dev/null");
    }
    EXPECT_EQ(onDisk, expected);
}

TEST(ZonesInTheTempFolder, InEachEncoding)
{
    TempFolder dir;
    ZonesInEachEncodingOn(dir.Path());
}

// Read-only as the platform sets it: no write-permission bit at all on POSIX (which
// stops root from nothing, so the library has to), the attribute on Windows.
TEST(ZonesInTheTempFolder, AReadOnlyFileKeepsItsStream)
{
    TempFolder dir;
    ReadOnlyZonesOn(
        dir.Path(),
        [](const fs::path& p) { ASSERT_FALSE(platform::SetFileAttributes(U(p), platform::kAttributeReadOnly)); },
        [](const fs::path& p) { ASSERT_FALSE(platform::SetFileAttributes(U(p), platform::kAttributeNormal)); });
}

// Streams that another program wrote, read and changed by zone.
TEST(ZonesInTheTempFolder, StreamsWrittenElsewhere)
{
    std::string manyKeys = "[ZoneTransfer]\r\n";
    for (int i = 0; i < 60; ++i) manyKeys += "ReferrerUrl" + std::to_string(i) + "=http://example.org/\r\n";
    manyKeys += "ZoneId=4\r\n";
    struct Row {
        const char* name;
        std::string stream;
        std::int32_t zone;
        bool defined;
    };
    const Row rows[] = {
        {"names in another case", "[zonetransfer]\r\nzoneid=2\r\n", 2, true},
        {"LF line ends and blanks", "[ZoneTransfer]\nZoneId = 1 \n", 1, true},
        {"the key in another section", "[Other]\r\nZoneId=3\r\n[ZoneTransfer]\r\nHostUrl=x\r\n", 0, false},
        {"more keys than one small answer holds", manyKeys, 4, true},
        {"a value that is no number", "[ZoneTransfer]\r\nZoneId=x\r\n", 0, true},
    };
    filetest::TempFolder dir;
    qvxFSO fso;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::u16string name = U(dir / (std::string(row.name) + ".exe"));
        filetest::WriteBytes(dir / (std::string(row.name) + ".exe"), {1});
        ASSERT_FALSE(platform::WriteStream(name, u"Zone.Identifier", {row.stream.begin(), row.stream.end()}));
        EXPECT_EQ(fso.GetFileZone(name), row.zone);
        EXPECT_EQ(fso.IsFileZoneDefined(name), row.defined);
        EXPECT_EQ(fso.DeleteFileZone(name), row.defined);
        EXPECT_FALSE(fso.IsFileZoneDefined(name));
    }
}

// A name without a folder is a file of the current folder (the profile functions of
// Windows would look for it in the Windows folder).
TEST(ZonesInTheTempFolder, ARelativeNameIsInTheCurrentFolder)
{
    filetest::TempFolder dir;
    filetest::WriteBytes(dir / "setup.exe", {1});
    const fs::path before = fs::current_path();
    fs::current_path(dir.Path());
    qvxFSO fso;
    EXPECT_TRUE(fso.SetFileZone(u"setup.exe", fzSafeSites));
    EXPECT_EQ(fso.GetFileZone(u"setup.exe"), fzSafeSites);
    fs::current_path(before);
    EXPECT_EQ(RawZone(dir / "setup.exe"), "[ZoneTransfer]\r\nZoneId=2\r\n");
}

}  // namespace
