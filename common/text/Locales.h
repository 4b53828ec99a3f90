// Locale names, Windows language identifiers and the English names of languages, from
// the system's locale data (ICU's on Linux).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace locales {

// The locale ("de_AT", "sr_Latn_RS") of a Windows language identifier; empty when the
// identifier names none. An identifier the data does not know may give the nearest one
// it does: LanguageId of the result tells.
std::string ForLanguageId(std::uint32_t languageId);

// The Windows language identifier of `locale`; 0 when it has none.
std::uint32_t LanguageId(const std::string& locale);

// `locale` with its likeliest script and country added ("de" -> "de_Latn_DE"); empty
// when the name cannot be read.
std::string WithLikelySubtags(const std::string& locale);

// The language, script and country codes of `locale` ("bs_Latn_BA": "bs", "Latn", "BA");
// a part the name lacks is empty. Nothing when the name cannot be read.
struct Parts {
    std::string language;
    std::string script;
    std::string country;
};
std::optional<Parts> Split(const std::string& locale);

// The English name of `locale` ("German (Austria)"), or of one of its parts ("German",
// "Latin", "Austria"); empty when there is none.
enum class Name { Whole, Language, Script, Country };
std::u16string EnglishName(const std::string& locale, Name part);

}  // namespace locales
