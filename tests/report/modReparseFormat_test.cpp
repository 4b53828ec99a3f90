// The header block of what the e2e sample volume does not show: short data, flags, bullets.
#include "report/modReparseFormat.h"

#include <gtest/gtest.h>

#include "tests/filelib/ReparseBuffers.h"

using namespace Hollin0106;

namespace {

using testbuf::Bytes;

Bytes Prefix(const Bytes& b, std::size_t n)
{
    return Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(n));
}

const std::u16string kSymlinkTag =
    u"Reparse tag: IO_REPARSE_TAG_SYMLINK (0xA000000C)\r\n"
    u"             - Value: 0x000C\r\n"
    u"             - Microsoft bit\r\n"
    u"             - Name surrogare bit\r\n";

TEST(FormatReparseHeader, FieldsByLayoutAndLength)
{
    Bytes guidReserved = testbuf::Raw(0x00001234, Bytes(16, 0xAB));
    guidReserved[6] = 0x01;
    guidReserved[7] = 0x80;
    const struct {
        const char* name;
        Bytes data;
        std::u16string raw, print, expected;
        char16_t bullet = u'-';
    } cases[] = {
        {"GUID layout, 8 bytes: no GUID line", Prefix(guidReserved, 8), u"", u"",
         u"Reparse tag:  0x00001234\r\n              - Value: 0x1234\r\n\r\n"
         u"Data length:  16 bytes\r\nReserved:     0x8001"},
        {"GUID layout, 5 bytes: tag only", Prefix(guidReserved, 5), u"", u"",
         u"Reparse tag:  0x00001234\r\n              - Value: 0x1234"},
        {"symlink, 18 bytes: no flags line", Prefix(testbuf::Symlink(u"a", u"a", 1), 18), u"", u"",
         kSymlinkTag + u"\r\nData length: 20 bytes\r\nReserved:    0x0000"},
        {"symlink flags 3: relative and the other bits", testbuf::Symlink(u"a", u"b", 3), u"a", u"",
         kSymlinkTag +
             u"\r\nData length: 20 bytes\r\nReserved:    0x0000\r\n\r\nSubstitute name:\r\na\r\n\r\n"
             u"Flags: 0x00000003\r\n       - SYMLINK_FLAG_RELATIVE\r\n       - 0x00000002"},
        {"LX symlink, 10 bytes: no version line", Prefix(testbuf::LxSymlink("/x"), 10), u"", u"",
         u"Reparse tag: IO_REPARSE_TAG_LX_SYMLINK (0xA000001D)\r\n"
         u"             \u2022 Value: 0x001D\r\n"
         u"             \u2022 Microsoft bit\r\n"
         u"             \u2022 Name surrogare bit\r\n\r\n"
         u"Data length: 6 bytes\r\nReserved:    0x0000",
         u'\u2022'},
        {"LX symlink without target: no path block", testbuf::LxSymlink("", 7), u"", u"",
         u"Reparse tag: IO_REPARSE_TAG_LX_SYMLINK (0xA000001D)\r\n"
         u"             - Value: 0x001D\r\n"
         u"             - Microsoft bit\r\n"
         u"             - Name surrogare bit\r\n\r\n"
         u"Data length: 4 bytes\r\nReserved:    0x0000\r\n\r\nVersion: 7"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto header = DecodeReparseHeader(c.data);
        ASSERT_TRUE(header.has_value());
        EXPECT_EQ(modReparseFormat::FormatReparseHeader(*header, c.raw, c.print, c.bullet), c.expected);
    }
    for (std::size_t n = 0; n < 4; ++n) EXPECT_FALSE(DecodeReparseHeader(Bytes(n, 0x80)).has_value()) << n;
}

TEST(FormatSymlinkFlags, HighBitsAloneShowAsOneValueLine)
{
    EXPECT_EQ(modReparseFormat::FormatSymlinkFlags(0x80000000, 2, u'-'), u"0x80000000\r\n  - 0x80000000");
}

}  // namespace
