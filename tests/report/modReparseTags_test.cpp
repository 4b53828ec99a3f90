// The tag line: lookup by the full value, value field and flag bits.
#include "report/modReparseTags.h"

#include <gtest/gtest.h>

namespace {

using modReparseTags::FormatReparseTag;
using modReparseTags::FormatReparseTagName;

TEST(FormatReparseTagName, LooksUpTheFullValueOnly)
{
    const struct {
        std::uint32_t tag;
        const char16_t* expected;
    } cases[] = {
        {0x00000000, u"IO_REPARSE_TAG_RESERVED_ZERO (0x00000000)"},
        {0x9000F01A, u"IO_REPARSE_TAG_CLOUD_F (0x9000F01A)"},
        // Two tags that differ only in bit 30.
        {0xC0000014, u"IO_REPARSE_TAG_APPXSTRM (0xC0000014)"},
        {0x80000014, u"IO_REPARSE_TAG_NFS (0x80000014)"},
        {0xA0001027, u"IO_REPARSE_TAG_WCI_LINK_1 (0xA0001027)"},
        {0x00001234, u"0x00001234"},
        // Bits 16-27 or a flag bit differ from a catalogued tag: not found.
        {0xA001000C, u"0xA001000C"},
        {0xA800000C, u"0xA800000C"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tag);
        EXPECT_EQ(FormatReparseTagName(c.tag), c.expected);
    }
}

TEST(FormatReparseTag, ValueAndEveryFlagBitInOrder)
{
    EXPECT_EQ(FormatReparseTag(0xF0FF8001, 14, u'\u2022'),
              u"0xF0FF8001\r\n"
              u"              \u2022 Value: 0x8001\r\n"
              u"              \u2022 Microsoft bit\r\n"
              u"              \u2022 Reserved bit\r\n"
              u"              \u2022 Name surrogare bit\r\n"
              u"              \u2022 Directory bit");
    EXPECT_EQ(FormatReparseTag(0x00000000, 2, u'-'), u"IO_REPARSE_TAG_RESERVED_ZERO (0x00000000)\r\n  - Value: 0x0000");
}

}  // namespace
