// Locale names and language identifiers from Windows' own locale data.
#include "common/text/Locales.h"

#include <windows.h>

#include <algorithm>

namespace locales {

namespace {

// "de_AT" as Windows spells it, "de-AT".
std::wstring WindowsName(const std::string& locale)
{
    std::wstring name;
    for (const char c : locale) name.push_back(c == '_' ? L'-' : static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return name;
}

std::u16string Info(const std::wstring& name, LCTYPE type)
{
    wchar_t text[256] = {};
    const int n = ::GetLocaleInfoEx(name.c_str(), type, text, 256);
    if (n <= 1) return {};
    return std::u16string(reinterpret_cast<const char16_t*>(text), static_cast<std::size_t>(n - 1));
}

}  // namespace

std::string ForLanguageId(std::uint32_t languageId)
{
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    // Primary language 0 is no language: LCIDToLocaleName would give the user's default
    // locale for some of them (0x0C00, 0x0400).
    const int n = (languageId & 0x3FF) == 0 ? 0 : ::LCIDToLocaleName(languageId, name, LOCALE_NAME_MAX_LENGTH, 0);
    std::string text;
    for (int i = 0; i + 1 < n; ++i) text.push_back(name[i] == L'-' ? '_' : static_cast<char>(name[i] & 0x7F));
    return text;
}

std::uint32_t LanguageId(const std::string& locale)
{
    return locale.empty() ? 0 : ::LocaleNameToLCID(WindowsName(locale).c_str(), 0);
}

std::string WithLikelySubtags(const std::string& locale)
{
    return locale;
}

std::optional<Parts> Split(const std::string& locale)
{
    // language[_Script][_CC]: a script has four letters, a country two letters or three digits.
    Parts parts;
    std::size_t at = 0;
    for (int field = 0; at <= locale.size(); ++field) {
        const std::size_t end = std::min(locale.find_first_of("_-", at), locale.size());
        const std::string piece = locale.substr(at, end - at);
        if (field == 0)
            parts.language = piece;
        else if (piece.size() == 4 && parts.script.empty() && parts.country.empty())
            parts.script = piece;
        else if (parts.country.empty())
            parts.country = piece;
        at = end + 1;
    }
    return parts;
}

std::u16string EnglishName(const std::string& locale, Name part)
{
    const std::wstring name = WindowsName(locale);
    switch (part) {
    case Name::Whole: return Info(name, LOCALE_SENGLISHDISPLAYNAME);
    case Name::Language: return Info(name, LOCALE_SENGLISHLANGUAGENAME);
    case Name::Country: return Info(name, LOCALE_SENGLISHCOUNTRYNAME);
    case Name::Script: break;
    }
    return {};
}

}  // namespace locales
