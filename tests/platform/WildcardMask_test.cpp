// Windows wildcard masks: the DOS rules of "*", "?" and "." and case-insensitive letters.
#include "platform/posix/WildcardMask.h"

#include <gtest/gtest.h>

#include "common/Utf16.h"

namespace {

struct Row {
    const char* mask;
    const char* name;
    bool matches;
};

// The expected answers are those of FindFirstFile on NTFS.
constexpr Row kRows[] = {
    {"*", "anything.at.all", true},
    {"*", ".hidden", true},
    {"*.*", "README", true},  // no dot needed
    {"*.*", "a.b.c", true},
    {"*.*", ".", true},
    {"*.txt", "x.txt", true},
    {"*.txt", "X.TXT", true},
    {"*.txt", "old", false},
    {"*.txt", "x.txt.bak", false},
    {"*.txt", "a.b.txt", true},  // "*" may pass a dot that is not the last
    {"*.", "README", true},      // names without a dot
    {"*.", "a.txt", false},
    {"abc.", "abc", true},  // a trailing dot is the end of the name
    {"abc.", "abcd", false},
    {"a?c", "abc", true},
    {"a?c", "ac", false},
    {"a?", "a", true},  // "?" at the end of the name matches nothing
    {"a??.txt", "a.txt", true},
    {"a??.txt", "abcd.txt", false},
    {"?", "", true},
    {"???", "abcd", false},
    {"a*b*c", "aXXbYYc", true},
    {"a*b*c", "aXXbYY", false},
    {"", "", true},
    {"", "a", false},
    {"d[1].txt", "D[1].TXT", true},  // no bracket classes
    {"ДАННЫЕ*", "данные.txt", true},  // Cyrillic
    {"ΣΊΣΥΦΟΣ", "σίσυφος", true},   // Greek final sigma folds like sigma
    {"straße", "STRASSE", false},   // simple folding: one letter stays one letter
    {"\xF0\x90\x90\x80*", "\xF0\x90\x90\xA8x", true},  // Deseret capital and small letter
};

TEST(WildcardMask, MatchesAsWindowsDoes)
{
    for (const Row& row : kRows) {
        SCOPED_TRACE(std::string(row.mask) + " vs " + row.name);
        EXPECT_EQ(WildcardMask(FromUtf8(row.mask)).Matches(FromUtf8(row.name)), row.matches);
    }
}

TEST(WildcardMask, TellsMasksThatNameOneEntryOrEverything)
{
    EXPECT_TRUE(WildcardMask(u"*").MatchesEverything());
    EXPECT_TRUE(WildcardMask(u"*.*").MatchesEverything());
    EXPECT_FALSE(WildcardMask(u"*.txt").MatchesEverything());
    EXPECT_TRUE(WildcardMask(u"data.txt").IsLiteral());
    EXPECT_FALSE(WildcardMask(u"data?").IsLiteral());
}

}  // namespace
