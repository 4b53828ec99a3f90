// Locale names and language identifiers from ICU's locale data (ICU loaded on first use).
#include "common/text/Locales.h"

#include <unicode/uloc.h>

#include <algorithm>
#include <array>

#include "common/text/Icu.h"

namespace locales {

namespace {

using PartFunction = int32_t (*)(const char*, char*, int32_t, UErrorCode*);

std::optional<std::string> Part(PartFunction function, const std::string& locale)
{
    std::array<char, ULOC_FULLNAME_CAPACITY> part{};
    UErrorCode status = U_ZERO_ERROR;
    function(locale.c_str(), part.data(), static_cast<int32_t>(part.size()), &status);
    if (U_FAILURE(status)) return std::nullopt;
    return std::string(part.data());
}

}  // namespace

std::string ForLanguageId(std::uint32_t languageId)
{
    std::array<char, ULOC_FULLNAME_CAPACITY> locale{};
    UErrorCode status = U_ZERO_ERROR;
    ICU_CALL(uloc_getLocaleForLCID)(languageId, locale.data(), static_cast<int32_t>(locale.size()), &status);
    return U_SUCCESS(status) ? std::string(locale.data()) : std::string();
}

std::uint32_t LanguageId(const std::string& locale)
{
    return ICU_CALL(uloc_getLCID)(locale.c_str());
}

std::string WithLikelySubtags(const std::string& locale)
{
    return Part(ICU_CALL(uloc_addLikelySubtags), locale).value_or(std::string());
}

std::optional<Parts> Split(const std::string& locale)
{
    auto language = Part(ICU_CALL(uloc_getLanguage), locale);
    auto script = Part(ICU_CALL(uloc_getScript), locale);
    auto country = Part(ICU_CALL(uloc_getCountry), locale);
    if (!language || !script || !country) return std::nullopt;
    return Parts{std::move(*language), std::move(*script), std::move(*country)};
}

std::u16string EnglishName(const std::string& locale, Name part)
{
    using DisplayFunction = int32_t (*)(const char*, const char*, UChar*, int32_t, UErrorCode*);
    DisplayFunction function = nullptr;
    switch (part) {
    case Name::Whole: function = ICU_CALL(uloc_getDisplayName); break;
    case Name::Language: function = ICU_CALL(uloc_getDisplayLanguage); break;
    case Name::Script: function = ICU_CALL(uloc_getDisplayScript); break;
    case Name::Country: function = ICU_CALL(uloc_getDisplayCountry); break;
    }
    std::array<UChar, 256> name{};
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = function(locale.c_str(), "en", name.data(), static_cast<int32_t>(name.size()), &status);
    if (U_FAILURE(status) || length <= 0) return {};
    return std::u16string(name.data(), static_cast<std::size_t>(std::min<int32_t>(length, name.size())));
}

}  // namespace locales
