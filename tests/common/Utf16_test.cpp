// UTF conversions and the round trip of POSIX file names.
#include "common/Utf16.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf8, IllFormedInputBecomesReplacementCharacters)
{
    const struct {
        const char* name;
        std::string bytes;
        std::u16string expected;
    } cases[] = {
        {"two bytes", "a\xD0\x96", u"a\u0416"},
        {"astral", "\xF0\x9F\x98\x80", u"\U0001F600"},
        {"stray byte", "\xFF", u"\uFFFD"},
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
    EXPECT_EQ(ToUtf8(u"\u0416\U0001F600"), "\xD0\x96\xF0\x9F\x98\x80");
    EXPECT_EQ(ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(NativePath, EveryByteSequenceRoundTrips)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::u16string expected;
    } const cases[] = {
        {"ASCII", "/mnt/ntfs/a b", u"/mnt/ntfs/a b"},
        {"Cyrillic", "/\xD0\xA1\xD1\x81\xD1\x8B\xD0\xBB\xD0\xBA\xD0\xB0", u"/\u0421\u0441\u044B\u043B\u043A\u0430"},
        {"astral", "\xF0\x9F\x98\x80", u"\U0001F600"},
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
