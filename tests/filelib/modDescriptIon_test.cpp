// Descript.ion lines and files over bytes, with the Western code pages (OEM 437).
#include <gtest/gtest.h>

#include <optional>

#include "filelib/modDescriptIon.h"
#include "tests/filelib/FileTestSupport.h"

namespace {

using namespace filetest;
using modDescriptIon::Entry;

using DescriptIonFormat = WesternCodePages;

TEST_F(DescriptIonFormat, Lines)
{
    const struct {
        const char* name;
        std::string_view line;
        bool utf8;
        std::optional<Entry> expected;
    } cases[] = {
        {"plain", "a.txt The file", false, Entry{u"a.txt", u"The file"}},
        {"tab separates", "a.txt\tText", false, Entry{u"a.txt", u"Text"}},
        {"description trimmed", "a.txt  \t Text \t ", false, Entry{u"a.txt", u"Text"}},
        {"quoted name with spaces", "\"my file.txt\" Text", false, Entry{u"my file.txt", u"Text"}},
        {"quotes inside the description stay", "\"a b\" say \"hi\"", false, Entry{u"a b", u"say \"hi\""}},
        {"unquoted name ending in a quote", "ab\" x", false, Entry{u"ab", u"x"}},
        {"empty description", "a.txt ", false, Entry{u"a.txt", u""}},
        {"OEM text", "\x84.txt \x94l", false, Entry{u"\u00E4.txt", u"\u00F6l"}},
        {"UTF-8 text", "\xC3\xA4.txt \xD0\xB4\xD0\xB0", true, Entry{u"\u00E4.txt", u"\u0434\u0430"}},
        {"ill-formed UTF-8 stays as read", "\xE4.txt x", true, Entry{u"\u00E4.txt", u"x"}},
        {"leading space", " a.txt Text", false, std::nullopt},
        {"leading tab", "\ta.txt Text", false, std::nullopt},
        {"no separator", "a.txt", false, std::nullopt},
        {"empty line", "", false, std::nullopt},
        {"unclosed quote", "\"a b.txt Text", false, std::nullopt},
        {"empty quoted name", "\"\" Text", false, std::nullopt},
        {"description a lone quote", "a.txt  \" ", false, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(modDescriptIon::ParseDescriptionLine(B(c.line), c.utf8), c.expected);
    }
}

TEST_F(DescriptIonFormat, FilesParsedAndWritten)
{
    const struct {
        const char* name;
        std::string_view file;
        bool utf8;
        std::vector<Entry> entries;
        std::string_view written;  // Format of the entries in the file's mode
    } cases[] = {
        {"OEM, every line end", "b x\r\na y\rc z\nd w", false,
         {{u"b", u"x"}, {u"a", u"y"}, {u"c", u"z"}, {u"d", u"w"}}, "b x\r\na y\r\nc z\r\nd w\r\n"},
        {"first line for a name wins", "A.txt one\r\na.TXT two\r\n", false, {{u"A.txt", u"one"}},
         "A.txt one\r\n"},
        {"every Unicode letter folds", "\x8E.txt one\r\n\x84.TXT two\r\n", false, {{u"\u00C4.txt", u"one"}},
         "\x8E.txt one\r\n"},
        {"UTF-8 mark, then the first name", "\xEF\xBB\xBF\xD0\xAF.txt \xE2\x82\xAC\r\n\"a b\" c\r\n", true,
         {{u"\u042F.txt", u"\u20AC"}, {u"a b", u"c"}},
         "\xEF\xBB\xBF\xD0\xAF.txt \xE2\x82\xAC\r\n\"a b\" c\r\n"},
        {"mark only on the first line", "a x\r\n\xEF\xBB\xBF" "b y\r\n", false,
         {{u"a", u"x"}, {u"\u2229\u2557\u2510b", u"y"}}, "a x\r\n\xEF\xBB\xBF" "b y\r\n"},
        {"ignored lines dropped", " x y\r\n\r\nnosep\r\na b\r\n", false, {{u"a", u"b"}}, "a b\r\n"},
        {"no entries, no bytes", "", false, {}, ""},
        {"no entries in UTF-8 mode, no bytes", "\xEF\xBB\xBF", true, {}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const modDescriptIon::Contents contents = modDescriptIon::Parse(B(c.file));
        EXPECT_EQ(contents.UTF8Mode, c.utf8);
        EXPECT_EQ(contents.Entries, c.entries);
        EXPECT_EQ(modDescriptIon::Format(contents.Entries, contents.UTF8Mode), B(c.written));
    }
    // A character OEM 437 lacks becomes "?" there; UTF-8 keeps it.
    const std::vector<Entry> euro{{u"a b", u"\u20AC5"}};
    EXPECT_EQ(modDescriptIon::Format(euro, false), B("\"a b\" ?5\r\n"));
    EXPECT_EQ(modDescriptIon::Format(euro, true), B("\xEF\xBB\xBF\"a b\" \xE2\x82\xAC" "5\r\n"));
}

TEST_F(DescriptIonFormat, NamesFoldWithoutBecomingOthers)
{
    const std::vector<Entry> entries{{u"Stra\u00DFe", u"1"}, {u"\u03A3\u03BF\u03C6\u03AF\u03B1", u"2"}};
    EXPECT_EQ(modDescriptIon::FindEntry(entries, u"STRA\u00DFE"), 0u);
    EXPECT_EQ(modDescriptIon::FindEntry(entries, u"strasse"), std::nullopt);
    EXPECT_EQ(modDescriptIon::FindEntry(entries, u"\u03C3\u03BF\u03C6\u03AF\u03B1"), 1u);
    EXPECT_EQ(modDescriptIon::FindEntry(entries, u"\u03C3\u03BF\u03C6\u03AF"), std::nullopt);
}

}  // namespace
