// The tag line: catalogue names, value field and flag bits.
#include "report/modReparseTags.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using modReparseTags::FormatReparseTag;
using modReparseTags::FormatReparseTagName;

TEST(TagCatalogue, HoldsFiftyFiveDistinctTags)
{
    const auto catalogue = modReparseTags::Catalogue();
    EXPECT_EQ(catalogue.size(), 55u);
    std::set<std::uint32_t> values;
    for (const auto& entry : catalogue) values.insert(entry.tag);
    EXPECT_EQ(values.size(), catalogue.size());
    EXPECT_EQ(catalogue.front().tag, 0x00000000u);
    EXPECT_EQ(catalogue.back().tag, 0xA0001027u);
}

TEST(FormatReparseTagName, LooksUpTheFullValueOnly)
{
    struct Case {
        std::uint32_t tag;
        const char16_t* expected;
    } const cases[] = {
        {0xA000000C, u"IO_REPARSE_TAG_SYMLINK (0xA000000C)"},
        {0x00000000, u"IO_REPARSE_TAG_RESERVED_ZERO (0x00000000)"},
        {0x9000F01A, u"IO_REPARSE_TAG_CLOUD_F (0x9000F01A)"},
        {0xC0000014, u"IO_REPARSE_TAG_APPXSTRM (0xC0000014)"},
        {0x80000014, u"IO_REPARSE_TAG_NFS (0x80000014)"},
        {0x90000027, u"IO_REPARSE_TAG_STORAGE_SYNC_FOLDER (0x90000027)"},
        {0xA0001027, u"IO_REPARSE_TAG_WCI_LINK_1 (0xA0001027)"},
        {0x00001234, u"0x00001234"},
        // Bits 16-27 differ from a catalogued tag: not found.
        {0xA001000C, u"0xA001000C"},
        {0xA800000C, u"0xA800000C"},
        {0x9001F01A, u"0x9001F01A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        EXPECT_EQ(FormatReparseTagName(c.tag), c.expected);
    }
}

TEST(FormatReparseTag, ValueAndFlagLines)
{
    struct Case {
        const char* name;
        std::uint32_t tag;
        int indent;
        char16_t bullet;
        std::u16string expected;
    } const cases[] = {
        {"symlink, window bullet", 0xA000000C, 13, u'\u2022',
         u"IO_REPARSE_TAG_SYMLINK (0xA000000C)\r\n"
         u"             \u2022 Value: 0x000C\r\n"
         u"             \u2022 Microsoft bit\r\n"
         u"             \u2022 Name surrogare bit"},
        {"cloud F: Microsoft and directory bits", 0x9000F01A, 13, u'-',
         u"IO_REPARSE_TAG_CLOUD_F (0x9000F01A)\r\n"
         u"             - Value: 0xF01A\r\n"
         u"             - Microsoft bit\r\n"
         u"             - Directory bit"},
        {"HSM: reserved bit", 0xC0000004, 13, u'-',
         u"IO_REPARSE_TAG_HSM (0xC0000004)\r\n"
         u"             - Value: 0x0004\r\n"
         u"             - Microsoft bit\r\n"
         u"             - Reserved bit"},
        {"all four bits, outside the catalogue", 0xF0FF8001, 14, u'-',
         u"0xF0FF8001\r\n"
         u"              - Value: 0x8001\r\n"
         u"              - Microsoft bit\r\n"
         u"              - Reserved bit\r\n"
         u"              - Name surrogare bit\r\n"
         u"              - Directory bit"},
        {"tag zero: no bit lines", 0x00000000, 14, u'-',
         u"IO_REPARSE_TAG_RESERVED_ZERO (0x00000000)\r\n"
         u"              - Value: 0x0000"},
        {"vendor tag", 0x00001234, 14, u'\u2022',
         u"0x00001234\r\n"
         u"              \u2022 Value: 0x1234"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FormatReparseTag(c.tag, c.indent, c.bullet), c.expected);
    }
}

}  // namespace
