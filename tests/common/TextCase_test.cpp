// The text-case service: each mode on letters that fold, upper-case or stay, on both systems.
#include <gtest/gtest.h>

#include "common/text/TextCase.h"

namespace {

using textcase::Mode;

TEST(TextCase, EachModeMapsLettersAndLeavesTheRest)
{
    const struct {
        const char* name;
        std::u16string text;
        Mode mode;
        std::u16string expected;
    } cases[] = {
        {"final sigma meets sigma", u"ς", Mode::SimpleFold, u"σ"},
        {"Kelvin sign is k", u"\u212A", Mode::SimpleFold, u"k"},
        {"sharp s stays one letter in simple folding", u"ß", Mode::SimpleFold, u"ß"},
        {"sharp s has no one-letter upper case", u"straße", Mode::SimpleUpper, u"STRAßE"},
        {"a lone low surrogate stays", u"a\xDC00" "B", Mode::SimpleFold, u"a\xDC00" "b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(textcase::Map(c.text, c.mode), c.expected);
    }
}

TEST(TextCase, EqualityFoldsBothSidesAndNeedsTheWholeOfEach)
{
    const struct {
        const char* name;
        std::u16string a, b;
        bool same;
    } cases[] = {
        {"Greek with accents", u"ΣΊΣΥΦΟΣ", u"σίσυφος", true},
        {"micro sign and mu", u"µs", u"ΜS", true},
        {"one side longer", u"name", u"names", false},
        {"sharp s is not ss", u"straße", u"STRASSE", false},
        {"surrogates compare as themselves", u"\xD801x", u"\xD801X", true},
        {"a lone surrogate against a letter", u"\xDC00", u"a", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(textcase::Equal(c.a, c.b), c.same);
        EXPECT_EQ(textcase::Equal(c.b, c.a), c.same);
    }
}

#ifndef _WIN32
// ICU folds fully where asked: keys of a collection and of a version block meet so.
TEST(TextCase, FullFoldingMakesOneLetterSeveral)
{
    EXPECT_EQ(textcase::Map(u"Straße", Mode::FullFold), u"strasse");
    EXPECT_TRUE(textcase::Equal(u"straße", u"STRASSE", Mode::FullFold));
    EXPECT_EQ(textcase::Map(u"\U00010400", Mode::SimpleFold), u"\U00010428");  // Deseret, beyond the BMP
}
#endif

}  // namespace
