// The code-page service's own part on every system: the pages Windows gives a locale's
// language, and the process's choice of host pages.
#include "support/codepages/CodePages.h"

#include <atomic>
#include <string>

#include <Hollin0106/AutomationError.h>
#include "support/codepages/CodePagesBackend.h"

using namespace Hollin0106;

namespace codepages {

namespace {

struct PagePair {
    std::uint32_t ansi;
    std::uint32_t oem;
};

struct LanguagePages {
    std::string_view language;
    PagePair pages;
};

constexpr PagePair kWestern{1252, 850};
constexpr PagePair kUnitedStates{1252, 437};

// The pairs Windows gives the languages of its locales; a language not listed gets the
// Western pair. English and Chinese depend on the country and are decided in PagesFor.
constexpr LanguagePages kLanguages[] = {
    {"ru", {1251, 866}}, {"uk", {1251, 866}}, {"be", {1251, 866}}, {"bg", {1251, 866}},
    {"mk", {1251, 866}}, {"kk", {1251, 866}}, {"ky", {1251, 866}}, {"tt", {1251, 866}},
    {"mn", {1251, 866}}, {"sr", {1251, 855}},
    {"pl", {1250, 852}}, {"cs", {1250, 852}}, {"sk", {1250, 852}}, {"hu", {1250, 852}},
    {"hr", {1250, 852}}, {"sl", {1250, 852}}, {"ro", {1250, 852}}, {"sq", {1250, 852}},
    {"bs", {1250, 852}},
    {"el", {1253, 737}},
    {"tr", {1254, 857}}, {"az", {1254, 857}}, {"uz", {1254, 857}},
    {"he", {1255, 862}}, {"yi", {1255, 862}},
    {"ar", {1256, 720}}, {"fa", {1256, 720}}, {"ur", {1256, 720}},
    {"lt", {1257, 775}}, {"lv", {1257, 775}}, {"et", {1257, 775}},
    {"vi", {1258, 1258}},
    {"ja", {932, 932}},
    {"ko", {949, 949}},
    {"th", {874, 874}},
    {"c", kUnitedStates}, {"posix", kUnitedStates},
};

std::string Lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// "ll_CC.codeset@modifier" -> language and country, both lower case.
PagePair PagesFor(std::string_view locale)
{
    const std::size_t languageEnd = locale.find_first_of("_.@");
    const std::string language = Lower(locale.substr(0, languageEnd));
    std::string country;
    if (languageEnd != std::string_view::npos && locale[languageEnd] == '_') {
        const std::string_view rest = locale.substr(languageEnd + 1);
        country = Lower(rest.substr(0, rest.find_first_of(".@")));
    }
    if (language.empty()) return kUnitedStates;
    if (language == "en") return country.empty() || country == "us" ? kUnitedStates : kWestern;
    if (language == "zh")
        return country == "tw" || country == "hk" || country == "mo" ? PagePair{950, 950} : PagePair{936, 936};
    for (const auto& entry : kLanguages)
        if (entry.language == language) return entry.pages;
    return kWestern;
}

std::atomic<std::uint32_t> g_ansiOverride{0};
std::atomic<std::uint32_t> g_oemOverride{0};

}  // namespace

std::uint32_t AnsiCodePageForLocale(std::string_view locale)
{
    return PagesFor(locale).ansi;
}

std::uint32_t OemCodePageForLocale(std::string_view locale)
{
    return PagesFor(locale).oem;
}

std::uint32_t HostAnsiCodePage()
{
    const std::uint32_t set = g_ansiOverride.load();
    return set != 0 ? set : backend::SystemAnsiCodePage();
}

std::uint32_t HostOemCodePage()
{
    const std::uint32_t set = g_oemOverride.load();
    return set != 0 ? set : backend::SystemOemCodePage();
}

void SetHostCodePages(std::uint32_t ansiCodePage, std::uint32_t oemCodePage)
{
    if ((ansiCodePage != 0 && !IsSupportedCodePage(ansiCodePage)) ||
        (oemCodePage != 0 && !IsSupportedCodePage(oemCodePage)))
        throw AutomationError(errnum::InvalidProcedureCall, u"qvxFSO");
    g_ansiOverride.store(ansiCodePage);
    g_oemOverride.store(oemCodePage);
}

}  // namespace codepages
