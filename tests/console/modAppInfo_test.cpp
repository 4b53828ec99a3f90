// Program information: the copyright line (the version format and the texts made of them
// are checked in the programs' usage and about texts: tests/e2e, tests/window).
#include "console/modAppInfo.h"

#include <gtest/gtest.h>

namespace {

TEST(GetCopyrightText, CyrillicPatternsSelectTheEnglishForm)
{
    struct Case {
        const char* name;
        std::u16string text;
        bool english;
        std::u16string expected;
    } const cases[] = {
        {"shipped text", u"Орла Венн 2025-2026. Посвящается Довра", true, u"Orla Venn 2025-2026. Dedicated to Dovra"},
        {"single year", u"Орла Венн 2025. Посвящается Довра", true, u"Orla Venn 2025. Dedicated to Dovra"},
        {"upper case letters", u"ОРЛА ВЕНН 2025. ПОСВЯЩАЕТСЯ ДОВРА", true, u"Orla Venn 2025. Dedicated to Dovra"},
        {"not english", u"Орла Венн 2025. Посвящается Довра", false, u"Орла Венн 2025. Посвящается Довра"},
        {"trailing blank", u"Орла Венн 2025. Посвящается Довра ", true, u"Орла Венн 2025. Посвящается Довра "},
        {"missing full stop", u"Орла Венн 2025 Посвящается Довра", true, u"Орла Венн 2025 Посвящается Довра"},
        {"letter in the year", u"Орла Венн 20x5. Посвящается Довра", true, u"Орла Венн 20x5. Посвящается Довра"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(modAppInfo::GetCopyrightText(c.text, c.english), c.expected);
    }
}

}  // namespace
