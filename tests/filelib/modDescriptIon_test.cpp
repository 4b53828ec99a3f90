// Descript.ion lines and files over bytes, with the Western code pages (OEM 437).
#include <gtest/gtest.h>

#include <optional>

#include "filelib/modDescriptIon.h"
#include "tests/filelib/FileTestSupport.h"

namespace modDescriptIon {
// Test messages show an entry as its two texts.
inline void PrintTo(const Entry& e, std::ostream* os)
{
    *os << '"' << ToUtf8(e.FileName) << "\" \"" << ToUtf8(e.Description) << '"';
}
}  // namespace modDescriptIon

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
        {"description trimmed", "a.txt  \t Text \t ", false, Entry{u"a.txt", u"Text"}},
        {"quoted name with spaces", "\"my file.txt\" Text", false, Entry{u"my file.txt", u"Text"}},
        {"unquoted name ending in a quote", "ab\" x", false, Entry{u"ab", u"x"}},
        {"OEM text", "\x84.txt \x94l", false, Entry{u"\u00E4.txt", u"\u00F6l"}},
        {"UTF-8 text", "\xC3\xA4.txt \xD0\xB4\xD0\xB0", true, Entry{u"\u00E4.txt", u"\u0434\u0430"}},
        {"ill-formed UTF-8 stays as read", "\xE4.txt x", true, Entry{u"\u00E4.txt", u"x"}},
        {"multi-line form, backslashes", "a.txt c:\\\\x\\n\\y\\\\n\x04\xC2", false,
         Entry{u"a.txt", u"c:\\x\r\n\\y\\n"}},
        {"\\n without the mark is text", "a.txt one\\ntwo", false, Entry{u"a.txt", u"one\\ntwo"}},
        {"another tool's mark is text", "a.txt one\x04\xC3", false, Entry{u"a.txt", u"one\u0004\u251C"}},
        {"leading space", " a.txt Text", false, std::nullopt},
        {"no separator", "a.txt", false, std::nullopt},
        {"unclosed quote", "\"a b.txt Text", false, std::nullopt},
        {"empty quoted name", "\"\" Text", false, std::nullopt},
        {"description a lone quote", "a.txt  \" ", false, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(modDescriptIon::ParseDescriptionLine(B(c.line), c.utf8), c.expected);
    }
}

TEST_F(DescriptIonFormat, FilesParsedAndWrittenAnew)
{
    const struct {
        const char* name;
        std::string_view file;
        bool utf8;
        std::vector<Entry> entries;
        std::string_view written;  // the entries written as a new file in the file's mode
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
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const modDescriptIon::Contents contents = modDescriptIon::Parse(B(c.file));
        EXPECT_EQ(contents.UTF8Mode, c.utf8);
        EXPECT_EQ(contents.Entries, c.entries);
        EXPECT_EQ(modDescriptIon::Format({}, contents.Entries, contents.UTF8Mode), B(c.written));
    }
    // A character OEM 437 lacks becomes "?" there; UTF-8 keeps it.
    const std::vector<Entry> euro{{u"a b", u"\u20AC5"}};
    EXPECT_EQ(modDescriptIon::Format({}, euro, false), B("\"a b\" ?5\r\n"));
    EXPECT_EQ(modDescriptIon::Format({}, euro, true), B("\xEF\xBB\xBF\"a b\" \xE2\x82\xAC" "5\r\n"));
}

// A rewrite puts back every line the change leaves alone exactly as it was read,
// whatever its bytes; only the changed entries are encoded. (Lines kept as read, those
// without an entry or shadowed by a kept one, are the fuzz corpus's byte-for-byte check.)
TEST_F(DescriptIonFormat, ARewriteKeepsTheLinesItDoesNotChange)
{
    const struct {
        const char* name;
        std::string_view source;
        std::vector<Entry> entries;  // the list after the change
        bool utf8;
        std::string_view written;
    } cases[] = {
        {"a changed entry moves to the end", "b x\r\n\"a b\"\t  y  \r\nc  z\n",
         {{u"a b", u"y"}, {u"c", u"z"}, {u"b", u"new"}}, false, "\"a b\"\t  y  \r\nc  z\nb new\r\n"},
        {"a removed entry takes the lines it shadowed along", "a 1\r\nb 2\r\nA 3\r\n", {{u"b", u"2"}}, false,
         "b 2\r\n"},
        {"a last line without an end gets one when followed", "a 1", {{u"a", u"1"}, {u"b", u"2"}}, false,
         "a 1\r\nb 2\r\n"},
        {"lone CR and LF ends stay", "a 1\rb 2\nc 3\r\n", {{u"a", u"1"}, {u"b", u"2"}, {u"c", u"4"}}, false,
         "a 1\rb 2\nc 4\r\n"},
        {"the mark goes before the new first line", "\xEF\xBB\xBF" "a 1\r\nb 2\r\n", {{u"b", u"2"}}, true,
         "\xEF\xBB\xBF" "b 2\r\n"},
        {"OEM turned UTF-8 writes every line anew", "a\t\x82\r\n x\r\nb 2",
         {{u"a", u"\u00E9"}, {u"b", u"2"}, {u"c", u"\u20AC"}}, true,
         "\xEF\xBB\xBF" "a \xC3\xA9\r\n x\r\nb 2\r\nc \xE2\x82\xAC\r\n"},
        {"a text of several lines takes the multi-line form", "", {{u"m", u"one\r\ntwo\r\nc:\\x"}}, false,
         "m one\\ntwo\\nc:\\\\x\x04\xC2\r\n"},
        {"texts that would read as something else take it too", "",
         {{u"q", u"\""}, {u"k", u"x\u0004\u252C"}}, false, "q \"\x04\xC2\r\nk x\x04\xC2\x04\xC2\r\n"},
    };
    // A lone CR and a lone LF are line breaks as well; they read back as CR LF.
    EXPECT_EQ(modDescriptIon::Format({}, {{u"m", u"a\rb\nc"}}, false), B("m a\\nb\\nc\x04\xC2\r\n"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto written = modDescriptIon::Format(B(c.source), c.entries, c.utf8);
        ASSERT_TRUE(written);
        EXPECT_EQ(std::string(written->begin(), written->end()), c.written);
        // What was written reads back as the list.
        EXPECT_EQ(modDescriptIon::Parse(*written).Entries, c.entries);
    }

    // With OEM page 932, bytes that form no character (a lead byte before a space, FF)
    // cannot be encoded back from their text: the line that holds them is left alone.
    codepages::SetHostCodePages(932, 932);
    const std::vector<Entry> entries = modDescriptIon::Parse(B("a \x81 \xFF\r\n")).Entries;
    ASSERT_EQ(entries.size(), 1u);
    const auto written =
        modDescriptIon::Format(B("a \x81 \xFF\r\n"), {entries[0], {u"b", u"\u65E5"}}, false);
    ASSERT_TRUE(written);
    EXPECT_EQ(*written, B("a \x81 \xFF\r\nb \x93\xFA\r\n"));
}

// A line break in a name never makes an entry for another file (in a text it takes the
// multi-line form, above); every name that can be written reads back whole, blanks, tabs
// and quotes included.
TEST_F(DescriptIonFormat, NamesThatWouldDescribeAnotherFileAreRefused)
{
    const struct {
        const char* name;
        std::u16string fileName;
        bool utf8;
        bool writable;
    } cases[] = {
        {"LF", u"new\nline.txt", true, false},
        {"a quote and a blank", u"a\" b", true, false},
        {"a leading quote", u"\"a", true, false},
        {"a letter OEM 437 lacks", u"\u0416.txt", false, false},
        {"a quote inside", u"it\"s.txt", false, true},
        {"leading and trailing blanks", u" a b ", false, true},
        {"a tab", u"my\tfile.txt", false, true},
        {"a trailing tab", u"a.txt\t", false, true},
        {"a quote and a tab", u"say \"hi\"\tnow", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Entry entry{c.fileName, u"text"};
        const auto line = modDescriptIon::FormatEntryLine(entry, c.utf8);
        EXPECT_EQ(line.has_value(), c.writable);
        const auto file = modDescriptIon::Format(B("x 1\r\n"), {{u"x", u"1"}, entry}, c.utf8);
        EXPECT_EQ(file.has_value(), c.writable);
        if (line && file) {
            // Written, then read back: the same name, not a part of it.
            EXPECT_EQ(modDescriptIon::ParseDescriptionLine(*line, c.utf8), entry);
            EXPECT_EQ(modDescriptIon::Parse(*file).Entries, (std::vector<Entry>{{u"x", u"1"}, entry}));
        }
    }
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
