// The program information text.
#include "console/modAppInfo.h"

#include "AppIdentity.h"
#include "common/text/TextCase.h"
#include "console/modFormatVersion.h"

namespace modAppInfo {

namespace {

constexpr std::u16string_view kLatinAuthor = u"Orla Venn ";
constexpr std::u16string_view kLatinTail = u". Dedicated to Dovra";
constexpr std::u16string_view kCyrillicAuthor = u"Орла Венн ";
constexpr std::u16string_view kCyrillicTail = u". Посвящается Довра";

// Whole-text match: '#' in the pattern is one decimal digit, every other character
// stands for itself, letters compared without regard to case.
bool MatchesPattern(std::u16string_view text, std::u16string_view pattern)
{
    if (text.size() != pattern.size()) return false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char16_t c = text[i];
        if (pattern[i] == u'#') {
            if (c < u'0' || c > u'9') return false;
        } else if (textcase::Map(char32_t{c}, textcase::Mode::SimpleFold) !=
                   textcase::Map(char32_t{pattern[i]}, textcase::Mode::SimpleFold)) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::u16string GetVersionSeparator(bool longForm)
{
    return longForm ? u", ver. " : u" ";
}

std::u16string GetCopyrightText(const std::u16string& text, bool english)
{
    if (!english) return text;
    for (const std::u16string_view years : {std::u16string_view(u"####"), std::u16string_view(u"####-####")}) {
        const std::u16string pattern = std::u16string(kCyrillicAuthor) + std::u16string(years) + std::u16string(kCyrillicTail);
        if (MatchesPattern(text, pattern))
            return std::u16string(kLatinAuthor) + text.substr(kCyrillicAuthor.size(), years.size()) + std::u16string(kLatinTail);
    }
    return text;
}

std::u16string GetAppInfoText(bool longForm, const bool& english)
{
    return std::u16string(AppIdentity::Title) + GetVersionSeparator(longForm) + modFormatVersion::GetAppVersion() +
           u"\r\n" + GetCopyrightText(AppIdentity::LegalCopyright, english);
}

}  // namespace modAppInfo
