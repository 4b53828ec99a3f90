// UTF conversions and the round trip of POSIX file names.
#include "common/Utf16.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

TEST(Utf8, IllFormedInputBecomesReplacementCharacters)
{
    const struct {
        const char* name;
        std::string bytes;
        std::u16string expected;
    } cases[] = {
        // One U+FFFD for each maximal subpart, as in the Unicode standard's own example.
        {"maximal subparts", "\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64",
         u"a\uFFFD\uFFFD\uFFFDb\uFFFDc\uFFFD\uFFFDd"},
        {"overlong, surrogate, past U+10FFFF", "\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80",
         u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"truncated at the end", "x\xE2\x82", u"x\uFFFD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FromUtf8(c.bytes), c.expected);
    }
}

// Well-formed UTF-8 as the Unicode standard's table of byte sequences has it.
bool IsWellFormedUtf8(const std::string& s)
{
    for (std::size_t i = 0; i < s.size();) {
        const auto at = [&](std::size_t k) { return i + k < s.size() ? static_cast<unsigned char>(s[i + k]) : 0u; };
        const unsigned b = at(0);
        const auto trail = [&](std::size_t k, unsigned lo = 0x80, unsigned hi = 0xBF) {
            return at(k) >= lo && at(k) <= hi;
        };
        std::size_t n = 0;
        if (b < 0x80) n = 1;
        else if (b >= 0xC2 && b <= 0xDF) n = trail(1) ? 2 : 0;
        else if (b >= 0xE0 && b <= 0xEF)
            n = trail(1, b == 0xE0 ? 0xA0 : 0x80, b == 0xED ? 0x9F : 0xBF) && trail(2) ? 3 : 0;
        else if (b >= 0xF0 && b <= 0xF4)
            n = trail(1, b == 0xF0 ? 0x90 : 0x80, b == 0xF4 ? 0x8F : 0xBF) && trail(2) && trail(3) ? 4 : 0;
        if (n == 0) return false;
        i += n;
    }
    return true;
}

// A surrogate without its partner becomes U+FFFD (EF BF BD), never the bytes of a surrogate.
TEST(Utf8, FromUtf16EveryLoneSurrogateBecomesAReplacementCharacter)
{
    const std::string fffd = "\xEF\xBF\xBD";
    const struct {
        const char* name;
        std::u16string units;
        std::string expected;
    } rows[] = {
        {"good pair", u"a\U0001F600b", "a\xF0\x9F\x98\x80" "b"},
        {"lone low", u"a\xDC00" u"b", "a" + fffd + "b"},
        {"lone high", u"\xD800z", fffd + "z"},
        {"trailing high", u"ab\xDBFF", "ab" + fffd},
        {"reversed pair", u"\xDC00\xD800", fffd + fffd},
        {"two highs, then a low", u"\xD800\xD83D\xDE00", fffd + "\xF0\x9F\x98\x80"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ToUtf8(row.units), row.expected);
    }
}

// Any sequence of UTF-16 units, surrogates and all, gives well-formed UTF-8.
TEST(Utf8, FromUtf16AlwaysGivesWellFormedUtf8)
{
    std::mt19937 random(20240611);
    // Weighted towards surrogates, where the faults would be.
    const char16_t picks[] = {u'a', 0x7F, 0x80, 0x7FF, 0x800, 0xD7FF, 0xD800, 0xDBFF, 0xDC00, 0xDFFF, 0xE000, 0xFFFF};
    for (int round = 0; round < 20000; ++round) {
        std::u16string units(random() % 8, u'\0');
        for (char16_t& u : units)
            u = random() % 2 ? picks[random() % std::size(picks)] : static_cast<char16_t>(random());
        const std::string utf8 = ToUtf8(units);
        ASSERT_TRUE(IsWellFormedUtf8(utf8)) << testing::PrintToString(units);
    }
}

// ASCII is taken eight bytes at a time: put each kind of character after ASCII runs of
// every length up to two blocks, and of lengths around the decoder's 8192-unit buffer,
// so that it starts at every place in a block and on the buffer's border. Decoded
// whole and, for the short runs, in two pieces split anywhere.
TEST(Utf8, AsciiRunsOfEveryLengthBeforeEachKindOfCharacter)
{
    const struct {
        const char* name;
        std::string bytes;
        std::u16string expected;
    } kinds[] = {
        {"two bytes", "\xC3\xA9", u"\u00E9"},
        {"four bytes", "\xF0\x9F\x98\x80", u"\U0001F600"},
        {"overlong", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
        {"trail bytes missing", "\xE2\x82", u"\uFFFD"},
    };
    std::vector<std::size_t> runs;
    for (std::size_t n = 0; n <= 17; ++n) runs.push_back(n);
    for (std::size_t n = 8190; n <= 8193; ++n) runs.push_back(n);
    for (const auto& kind : kinds)
        for (const std::size_t run : runs)
            for (const char* after : {"", "0123456789"}) {
                SCOPED_TRACE(testing::Message() << kind.name << " after " << run << " ASCII, then \"" << after << "\"");
                const std::string bytes = std::string(run, 'a') + kind.bytes + after;
                std::u16string expected = std::u16string(run, u'a') + kind.expected;
                for (const char* c = after; *c; ++c) expected += static_cast<char16_t>(*c);
                EXPECT_EQ(FromUtf8(bytes), expected);
                if (run > 17) continue;
                for (std::size_t split = 0; split <= bytes.size(); ++split) {
                    Utf8Decoder decoder;
                    std::u16string text;
                    decoder.Decode(std::string_view(bytes).substr(0, split), false, text);
                    decoder.Decode(std::string_view(bytes).substr(split), true, text);
                    EXPECT_EQ(text, expected) << "split at " << split;
                }
            }
}

TEST(NativePath, EveryByteSequenceRoundTrips)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::u16string expected;
    } const cases[] = {
        {"Cyrillic", "/\xD0\xA1\xD1\x81\xD1\x8B\xD0\xBB\xD0\xBA\xD0\xB0", u"/\u0421\u0441\u044B\u043B\u043A\u0430"},
        {"stray byte", "bad\xFFname", u"bad\xDCFFname"},
        {"truncated sequence", "x\xD0", u"x\xDCD0"},
        {"overlong slash", "\xC0\xAF", u"\xDCC0\xDCAF"},
        {"encoded surrogate", "\xED\xA0\x80", u"\xDCED\xDCA0\xDC80"},
        {"above U+10FFFF", "\xF4\x90\x80\x80", u"\xDCF4\xDC90\xDC80\xDC80"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FromNativePath(c.bytes), c.expected);
        EXPECT_EQ(ToNativePath(FromNativePath(c.bytes)), c.bytes);
    }
}

}  // namespace
