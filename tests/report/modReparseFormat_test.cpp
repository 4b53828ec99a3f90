// The header block: both layouts, the three decoded tags, flags, short data.
#include "report/modReparseFormat.h"

#include <gtest/gtest.h>

#include <Hollin0106/AutomationError.h>
#include "tests/filelib/ReparseBuffers.h"

using namespace Hollin0106;

namespace {

using modReparseFormat::FormatGuidReparseBuffer;
using modReparseFormat::FormatMicrosoftReparseBuffer;
using modReparseFormat::FormatSymlinkFlags;
using testbuf::Bytes;

constexpr char16_t kBullet = u'\u2022';

const std::u16string kSymlinkTagBlock =
    u"Reparse tag: IO_REPARSE_TAG_SYMLINK (0xA000000C)\r\n"
    u"             \u2022 Value: 0x000C\r\n"
    u"             \u2022 Microsoft bit\r\n"
    u"             \u2022 Name surrogare bit\r\n";

TEST(FormatMicrosoftReparseBuffer, SymbolicLinkWorkedExample)
{
    // Target T of 12 characters; names take 32 and 24 bytes; data length 68, 76 bytes in all.
    const std::u16string t = u"C:\\Temp\\a.tx";
    ASSERT_EQ(t.size(), 12u);
    const Bytes data = testbuf::Symlink(u"\\??\\" + t, t, 0, false);
    ASSERT_EQ(data.size(), 76u);
    EXPECT_EQ(FormatMicrosoftReparseBuffer(data, u"\\??\\" + t, t, false, kBullet),
              kSymlinkTagBlock +
                  u"\r\n"
                  u"Data length: 68 bytes\r\n"
                  u"Reserved:    0x0000\r\n"
                  u"\r\n"
                  u"Substitute name:\r\n"
                  u"\\??\\C:\\Temp\\a.tx\r\n"
                  u"\r\n"
                  u"Print name:\r\n"
                  u"C:\\Temp\\a.tx\r\n"
                  u"\r\n"
                  u"Flags: 0x00000000");
}

TEST(FormatMicrosoftReparseBuffer, MountPointAndNameBlocks)
{
    const Bytes data = testbuf::MountPoint(u"\\??\\C:\\x", u"C:\\x");
    const std::u16string head =
        u"Reparse tag: IO_REPARSE_TAG_MOUNT_POINT (0xA0000003)\r\n"
        u"             - Value: 0x0003\r\n"
        u"             - Microsoft bit\r\n"
        u"             - Name surrogare bit\r\n"
        u"\r\n"
        u"Data length: 36 bytes\r\n"
        u"Reserved:    0x0000";
    EXPECT_EQ(FormatMicrosoftReparseBuffer(data, u"\\??\\C:\\x", u"C:\\x", false, u'-'),
              head + u"\r\n\r\nSubstitute name:\r\n\\??\\C:\\x\r\n\r\nPrint name:\r\nC:\\x");
    EXPECT_EQ(FormatMicrosoftReparseBuffer(data, u"\\??\\C:\\x", u"", false, u'-'),
              head + u"\r\n\r\nSubstitute name:\r\n\\??\\C:\\x");
    EXPECT_EQ(FormatMicrosoftReparseBuffer(data, u"", u"", false, u'-'), head);
}

TEST(FormatMicrosoftReparseBuffer, RelativeSymlinkShowsTheFlagsWordNotTheArgument)
{
    const Bytes data = testbuf::Symlink(u"a", u"a", 3);
    const std::u16string text = FormatMicrosoftReparseBuffer(data, u"a", u"a", false, u'-');
    EXPECT_TRUE(text.ends_with(u"Print name:\r\na\r\n\r\n"
                               u"Flags: 0x00000003\r\n"
                               u"       - SYMLINK_FLAG_RELATIVE\r\n"
                               u"       - 0x00000002"));
}

TEST(FormatMicrosoftReparseBuffer, LxSymlinkAndOtherTags)
{
    const Bytes lx = testbuf::LxSymlink("/usr/bin/x");
    EXPECT_EQ(FormatMicrosoftReparseBuffer(lx, u"/usr/bin/x", u"", false, u'-'),
              u"Reparse tag: IO_REPARSE_TAG_LX_SYMLINK (0xA000001D)\r\n"
              u"             - Value: 0x001D\r\n"
              u"             - Microsoft bit\r\n"
              u"             - Name surrogare bit\r\n"
              u"\r\n"
              u"Data length: 14 bytes\r\n"
              u"Reserved:    0x0000\r\n"
              u"\r\n"
              u"Path buffer:\r\n"
              u"/usr/bin/x\r\n"
              u"\r\n"
              u"Version: 2");
    // An LX target that decodes to nothing: no path block.
    EXPECT_TRUE(FormatMicrosoftReparseBuffer(testbuf::LxSymlink("", 7), u"", u"", false, u'-')
                    .ends_with(u"Reserved:    0x0000\r\n\r\nVersion: 7"));
    EXPECT_EQ(FormatMicrosoftReparseBuffer(testbuf::Raw(0x80000017, Bytes(16, 0)), u"", u"", false, u'-'),
              u"Reparse tag: IO_REPARSE_TAG_WOF (0x80000017)\r\n"
              u"             - Value: 0x0017\r\n"
              u"             - Microsoft bit\r\n"
              u"\r\n"
              u"Data length: 16 bytes\r\n"
              u"Reserved:    0x0000");
}

TEST(FormatGuidReparseBuffer, WorkedExample)
{
    Bytes data = testbuf::Raw(0x00004321, {});
    const Bytes guid = {0xEF, 0xBE, 0xAD, 0xDE, 0x34, 0x12, 0xCD, 0xAB, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
    data.insert(data.end(), guid.begin(), guid.end());
    data.insert(data.end(), 14, 0x55);
    data[4] = 14;
    data[6] = 0x01;
    data[7] = 0x80;
    EXPECT_EQ(FormatGuidReparseBuffer(data, u'-'),
              u"Reparse tag:  0x00004321\r\n"
              u"              - Value: 0x4321\r\n"
              u"\r\n"
              u"Data length:  14 bytes\r\n"
              u"Reserved:     0x8001\r\n"
              u"Reparse GUID: {DEADBEEF-1234-ABCD-0123-456789ABCDEF}");
}

TEST(ShortData, FieldsBeyondTheEndAreLeftOut)
{
    struct Case {
        const char* name;
        Bytes data;
        bool microsoft;
        std::u16string expected;
    };
    const Bytes symlink = testbuf::Symlink(u"a", u"a", 1);
    const Case cases[] = {
        {"GUID layout, 8 bytes: no GUID line", {0x34, 0x12, 0, 0, 0, 0, 0, 0}, false,
         u"Reparse tag:  0x00001234\r\n              - Value: 0x1234\r\n\r\n"
         u"Data length:  0 bytes\r\nReserved:     0x0000"},
        {"GUID layout, 5 bytes: tag only", {0x34, 0x12, 0, 0, 9}, false,
         u"Reparse tag:  0x00001234\r\n              - Value: 0x1234"},
        {"symlink, 18 bytes: no flags line", Bytes(symlink.begin(), symlink.begin() + 18), true,
         kSymlinkTagBlock + u"\r\nData length: 20 bytes\r\nReserved:    0x0000"},
        {"LX symlink, 10 bytes: no version line", Bytes(10, 0), true, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.microsoft) {
            EXPECT_EQ(FormatGuidReparseBuffer(c.data, u'-'), c.expected);
            continue;
        }
        Bytes data = c.data;
        if (c.expected.empty()) {
            data[0] = 0x1D;
            data[3] = 0xA0;
            EXPECT_TRUE(FormatMicrosoftReparseBuffer(data, u"", u"", false, u'-').ends_with(u"Reserved:    0x0000"));
        } else {
            EXPECT_EQ(FormatMicrosoftReparseBuffer(data, u"", u"", false, kBullet), c.expected);
        }
    }
    // Without even a tag there is no header block to show.
    for (std::size_t n = 0; n < 4; ++n) {
        const Bytes tiny(n, 0x80);
        EXPECT_THROW(FormatGuidReparseBuffer(tiny, u'-'), AutomationError);
        EXPECT_THROW(FormatMicrosoftReparseBuffer(tiny, u"", u"", false, u'-'), AutomationError);
    }
}

TEST(FormatSymlinkFlags, Bits)
{
    EXPECT_EQ(FormatSymlinkFlags(0, 7, u'-'), u"0x00000000");
    EXPECT_EQ(FormatSymlinkFlags(1, 7, kBullet), u"0x00000001\r\n       \u2022 SYMLINK_FLAG_RELATIVE");
    EXPECT_EQ(FormatSymlinkFlags(3, 7, u'-'), u"0x00000003\r\n       - SYMLINK_FLAG_RELATIVE\r\n       - 0x00000002");
    EXPECT_EQ(FormatSymlinkFlags(0x80000000, 2, u'-'), u"0x80000000\r\n  - 0x80000000");
}

}  // namespace
