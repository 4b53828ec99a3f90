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
        // Bits 16-27 or a flag bit differ from a catalogued tag: not found.
        {0xA001000C, u"0xA001000C"},
        {0xA800000C, u"0xA800000C"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tag);
        EXPECT_EQ(FormatReparseTagName(c.tag), c.expected);
    }
}

// Each flag bit alone, a catalogued tag with its bits, and every bit at once (in order).
TEST(FormatReparseTag, ValueAndEachFlagBitOnItsOwnLine)
{
    const struct {
        std::uint32_t tag;
        const char16_t* expected;
    } rows[] = {
        {0x00000000, u"IO_REPARSE_TAG_RESERVED_ZERO (0x00000000)|Value: 0x0000"},
        {0x80000123, u"0x80000123|Value: 0x0123|Microsoft bit"},
        {0x40000123, u"0x40000123|Value: 0x0123|Reserved bit"},
        {0x20000123, u"0x20000123|Value: 0x0123|Name surrogare bit"},
        {0x10000123, u"0x10000123|Value: 0x0123|Directory bit"},
        {0x9000001A, u"IO_REPARSE_TAG_CLOUD (0x9000001A)|Value: 0x001A|Microsoft bit|Directory bit"},
        {0xF0FF8001, u"0xF0FF8001|Value: 0x8001|Microsoft bit|Reserved bit|Name surrogare bit|Directory bit"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.tag);
        std::u16string expected;
        for (const char16_t* c = row.expected; *c; ++c)
            expected += *c == u'|' ? std::u16string(u"\r\n   \u2022 ") : std::u16string(1, *c);
        EXPECT_EQ(FormatReparseTag(row.tag, 3, u'\u2022'), expected);
    }
    EXPECT_EQ(FormatReparseTag(0x80000000, 0, u'-'), u"0x80000000\r\n- Value: 0x0000\r\n- Microsoft bit");
}

}  // namespace
