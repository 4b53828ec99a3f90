// The host code pages from POSIX locale names and variables.
#include "support/codepages/CodePages.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

class HostCodePages : public ::testing::Test {
protected:
    void TearDown() override { codepages::SetHostCodePages(0, 0); }
};

// The rules that pick the pair Windows assigns: case, codeset and modifier ignored, the
// country deciding for English and Chinese, an unknown language getting the Western pair;
// one locale of each pair, as every page named must convert.
TEST_F(HostCodePages, LocaleLanguagesGetTheWindowsPairs)
{
    const struct {
        const char* locale;
        std::uint32_t ansi;
        std::uint32_t oem;
    } cases[] = {
        {"POSIX", 1252, 437},       {"en_US.UTF-8", 1252, 437},    {"en_GB.UTF-8", 1252, 850},
        {"fr_FR@euro", 1252, 850},  {"RU_ru", 1251, 866},          {"sr_RS", 1251, 855},
        {"pl_PL.ISO-8859-2", 1250, 852}, {"el_GR.UTF-8", 1253, 737}, {"tr_TR.UTF-8", 1254, 857},
        {"he_IL", 1255, 862},       {"ar_EG", 1256, 720},          {"lt_LT", 1257, 775},
        {"vi_VN", 1258, 1258},      {"ja_JP.UTF-8", 932, 932},     {"zh_CN.UTF-8", 936, 936},
        {"zh_HK", 950, 950},        {"ko_KR.EUC-KR", 949, 949},    {"th_TH", 874, 874},
        {"xx_YY", 1252, 850},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale);
        EXPECT_EQ(codepages::AnsiCodePageForLocale(c.locale), c.ansi);
        EXPECT_EQ(codepages::OemCodePageForLocale(c.locale), c.oem);
        EXPECT_TRUE(codepages::IsSupportedCodePage(c.ansi) && codepages::IsSupportedCodePage(c.oem));
    }
}

// Without an override the pages follow the locale the C library would use for LC_CTYPE:
// LC_ALL before LC_CTYPE before LANG, an empty variable counting as unset.
TEST_F(HostCodePages, WithoutAnOverrideTheLocaleVariablesDecideInTheirOrder)
{
    const struct {
        const char* lcAll;
        const char* lcCtype;
        const char* lang;
        std::uint32_t ansi;
        std::uint32_t oem;
    } cases[] = {
        {"el_GR.UTF-8", "ru_RU.UTF-8", "pl_PL.UTF-8", 1253, 737},
        {nullptr, "ru_RU.UTF-8", "pl_PL.UTF-8", 1251, 866},
        {"", "", "pl_PL.UTF-8", 1250, 852},
        {nullptr, nullptr, nullptr, 1252, 437},
    };
    const char* const names[] = {"LC_ALL", "LC_CTYPE", "LANG"};
    std::vector<std::pair<const char*, std::string>> saved;
    for (const char* name : names)
        if (const char* value = std::getenv(name)) saved.emplace_back(name, value);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.lcAll ? c.lcAll : "-") << " " << (c.lcCtype ? c.lcCtype : "-"));
        const char* const values[] = {c.lcAll, c.lcCtype, c.lang};
        for (std::size_t i = 0; i < std::size(names); ++i)
            values[i] ? setenv(names[i], values[i], 1) : unsetenv(names[i]);
        EXPECT_EQ(codepages::HostAnsiCodePage(), c.ansi);
        EXPECT_EQ(codepages::HostOemCodePage(), c.oem);
        // An override of one page leaves the other to the locale.
        codepages::SetHostCodePages(0, 866);
        EXPECT_EQ(codepages::HostAnsiCodePage(), c.ansi);
        EXPECT_EQ(codepages::HostOemCodePage(), 866u);
        codepages::SetHostCodePages(0, 0);
    }
    for (const char* name : names) unsetenv(name);
    for (const auto& [name, value] : saved) setenv(name, value.c_str(), 1);
}

}  // namespace
