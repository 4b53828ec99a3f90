// POSIX backend: the user's locale name and interface language as the environment gives them.
#include "platform/Process.h"

#include <cstdlib>
#include <string_view>

#include "common/text/Locales.h"

namespace platform {
namespace {

const char* Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

constexpr std::uint16_t kEnglishUnitedStates = 0x0409;

// The Windows language identifier of a POSIX locale name ("de_AT.UTF-8@euro"): its
// language and country, through the locale data's table of identifiers; a language alone stands for
// its likeliest country ("de" is German (Germany)).
std::uint16_t LanguageIdOf(std::string_view locale)
{
    const std::string_view bare = locale.substr(0, locale.find_first_of(".@"));
    if (bare.empty() || bare == "C" || bare == "POSIX") return kEnglishUnitedStates;
    const std::string name(bare);
    const std::string likely = locales::WithLikelySubtags(name);
    const auto parts = likely.empty() ? std::nullopt : locales::Split(likely);
    if (!parts) return kEnglishUnitedStates;
    // The name as given first ("sr_RS"), then with its likeliest script ("sr_Cyrl_RS"),
    // then language and country alone ("pt" -> "pt_BR"): ICU knows identifiers under
    // either form.
    const std::string plain = parts->language + "_" + parts->country;
    for (const std::string* candidate : {&name, &likely, &plain}) {
        const std::uint32_t lcid = locales::LanguageId(*candidate);
        // A bare language identifier (no sublanguage) names no interface language.
        if (lcid != 0 && lcid <= 0xFFFF && (lcid & 0xFC00) != 0) return static_cast<std::uint16_t>(lcid);
    }
    return kEnglishUnitedStates;
}

}  // namespace

std::string UserLocaleName()
{
    // The order in which the C library itself resolves LC_CTYPE.
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        if (const char* value = Variable(name)) return value;
    }
    return "C";
}

std::uint16_t UserInterfaceLanguage()
{
    // The order in which gettext picks the language of messages: LANGUAGE (a list; its
    // first entry) wins unless the messages locale is "C", then LC_ALL, LC_MESSAGES, LANG.
    const char* messages = nullptr;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if ((messages = Variable(name)) != nullptr) break;
    }
    const std::string_view locale = messages != nullptr ? messages : "C";
    const bool plainC = locale == "C" || locale == "POSIX" || locale.starts_with("C.");
    if (const char* list = Variable("LANGUAGE"); list != nullptr && !plainC) {
        const std::string_view first(list, std::string_view(list).find(':') == std::string_view::npos
                                               ? std::string_view(list).size()
                                               : std::string_view(list).find(':'));
        if (!first.empty()) return LanguageIdOf(first);
    }
    return plainC ? kEnglishUnitedStates : LanguageIdOf(locale);
}

}  // namespace platform
