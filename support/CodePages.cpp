// Host code pages from the locale and conversions through ICU converters.
#include "support/CodePages.h"

#include <unicode/ucnv.h>

#include <atomic>
#include <memory>
#include <string>

#include "common/AutomationError.h"
#include "platform/platform.h"

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

[[noreturn]] void Unsupported()
{
    throw AutomationError(errnum::InvalidProcedureCall, u"qvxFSO");
}

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

// Windows names ANSI pages windows-N and OEM pages by their IBM number; ICU knows each
// page under one of these names.
ConverterPtr OpenConverter(std::uint32_t codePage)
{
    const std::string number = std::to_string(codePage);
    for (const std::string& name : {"windows-" + number, "ibm-" + number, "cp" + number}) {
        UErrorCode status = U_ZERO_ERROR;
        ConverterPtr converter(ucnv_open(name.c_str(), &status));
        if (U_FAILURE(status) || !converter) continue;
        status = U_ZERO_ERROR;
        ucnv_setSubstChars(converter.get(), "?", 1, &status);
        if (U_FAILURE(status)) continue;
        return converter;
    }
    return nullptr;
}

// One converter per code page and thread, kept for the thread's life: opening costs far
// more than a line of a list file.
UConverter* ConverterFor(std::uint32_t codePage)
{
    struct Cached {
        std::uint32_t codePage;
        ConverterPtr converter;
    };
    thread_local std::vector<Cached> cache;
    for (auto& entry : cache)
        if (entry.codePage == codePage) {
            ucnv_reset(entry.converter.get());
            return entry.converter.get();
        }
    ConverterPtr converter = OpenConverter(codePage);
    if (!converter) Unsupported();
    cache.push_back({codePage, std::move(converter)});
    return cache.back().converter.get();
}

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
    return set != 0 ? set : AnsiCodePageForLocale(platform::UserLocaleName());
}

std::uint32_t HostOemCodePage()
{
    const std::uint32_t set = g_oemOverride.load();
    return set != 0 ? set : OemCodePageForLocale(platform::UserLocaleName());
}

bool IsSupportedCodePage(std::uint32_t codePage)
{
    return codePage != 0 && OpenConverter(codePage) != nullptr;
}

void SetHostCodePages(std::uint32_t ansiCodePage, std::uint32_t oemCodePage)
{
    if ((ansiCodePage != 0 && !IsSupportedCodePage(ansiCodePage)) ||
        (oemCodePage != 0 && !IsSupportedCodePage(oemCodePage)))
        Unsupported();
    g_ansiOverride.store(ansiCodePage);
    g_oemOverride.store(oemCodePage);
}

void Encode(std::u16string_view text, std::uint32_t codePage, std::vector<std::uint8_t>& out)
{
    UConverter* converter = ConverterFor(codePage);
    if (text.empty()) return;
    const std::size_t start = out.size();
    // Every code unit gives at most the page's longest character, "?" included.
    out.resize(start + text.size() * static_cast<std::size_t>(ucnv_getMaxCharSize(converter)));
    char* target = reinterpret_cast<char*>(out.data() + start);
    char* const targetLimit = reinterpret_cast<char*>(out.data() + out.size());
    const UChar* source = text.data();
    UErrorCode status = U_ZERO_ERROR;
    ucnv_fromUnicode(converter, &target, targetLimit, &source, text.data() + text.size(), nullptr, true, &status);
    if (U_FAILURE(status)) {
        out.resize(start);
        Unsupported();
    }
    out.resize(static_cast<std::size_t>(target - reinterpret_cast<char*>(out.data())));
}

std::u16string Decode(std::span<const std::uint8_t> bytes, std::uint32_t codePage)
{
    UConverter* converter = ConverterFor(codePage);
    std::u16string out;
    if (bytes.empty()) return out;
    // Windows pages give at most one unit a byte; a page that gives more (GB 18030's
    // four-byte forms give two units) makes the loop grow the buffer.
    out.resize(bytes.size() + 1);
    const char* source = reinterpret_cast<const char*>(bytes.data());
    const char* const sourceLimit = source + bytes.size();
    std::size_t used = 0;
    for (;;) {
        UChar* target = out.data() + used;
        UErrorCode status = U_ZERO_ERROR;
        ucnv_toUnicode(converter, &target, out.data() + out.size(), &source, sourceLimit, nullptr, true, &status);
        used = static_cast<std::size_t>(target - out.data());
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            out.resize(out.size() * 2);
            continue;
        }
        if (U_FAILURE(status)) Unsupported();
        break;
    }
    out.resize(used);
    return out;
}

}  // namespace codepages
