// Windows wildcard masks: the DOS rules of "*", "?" and "." and case-insensitive letters.
#include "platform/posix/WildcardMask.h"

#include <gtest/gtest.h>

#include "common/Utf16.h"

namespace {

TEST(WildcardMask, MatchesAsWindowsDoes)
{
    // The expected answers are those of FindFirstFile on NTFS.
    const struct {
        const char* mask;
        const char* name;
        bool matches;
    } rows[] = {
        {"*.txt", "x.txt.bak", false},
        {"*.txt", "a.b.txt", true},  // "*" may pass a dot that is not the last
        {"*.", "README", true},      // names without a dot
        {"abc.", "abc", true},  // a trailing dot is the end of the name
        {"a?", "a", true},  // "?" at the end of the name matches nothing
        {"a??.txt", "a.txt", true},
        {"d[1].txt", "D[1].TXT", true},  // no bracket classes, letters in any case
        {"ΣΊΣΥΦΟΣ", "σίσυφος", true},   // Greek final sigma folds like sigma
        {"straße", "STRASSE", false},   // simple folding: one letter stays one letter
        {"\xF0\x90\x90\x80*", "\xF0\x90\x90\xA8x", true},  // Deseret capital and small letter
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.mask) + " vs " + row.name);
        EXPECT_EQ(WildcardMask(FromUtf8(row.mask)).Matches(FromUtf8(row.name)), row.matches);
    }
    EXPECT_TRUE(WildcardMask(u"*.*").MatchesEverything());
    EXPECT_FALSE(WildcardMask(u"*.txt").MatchesEverything());
    EXPECT_TRUE(WildcardMask(u"data.txt").IsLiteral());
    EXPECT_FALSE(WildcardMask(u"data?").IsLiteral());
}

}  // namespace
