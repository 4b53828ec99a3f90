// UTF conversions through ICU.
#include "common/Utf16.h"

#include <unicode/unistr.h>

std::u16string FromUtf8(std::string_view utf8)
{
    const icu::UnicodeString u = icu::UnicodeString::fromUTF8(
        icu::StringPiece(utf8.data(), static_cast<std::int32_t>(utf8.size())));
    return std::u16string(u.getBuffer(), static_cast<std::size_t>(u.length()));
}

std::string ToUtf8(std::u16string_view utf16)
{
    const icu::UnicodeString u(false, utf16.data(), static_cast<std::int32_t>(utf16.size()));
    std::string out;
    u.toUTF8String(out);
    return out;
}

std::u16string AsciiLower(std::u16string_view s)
{
    std::u16string out(s);
    for (auto& c : out)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return out;
}
