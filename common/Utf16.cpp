// UTF conversions through ICU.
#include "common/Utf16.h"

#include <unicode/unistr.h>

#include <cstdint>

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

std::u16string FromNativePath(std::string_view bytes)
{
    std::u16string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    const auto byteAt = [&](std::size_t k) { return static_cast<std::uint8_t>(bytes[k]); };
    while (i < bytes.size()) {
        const std::uint8_t lead = byteAt(i);
        std::size_t length = 0;
        std::uint32_t cp = 0;
        std::uint32_t min = 0;
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, cp = lead & 0x1F, min = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, cp = lead & 0x0F, min = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, cp = lead & 0x07, min = 0x10000;
        }
        bool ok = length != 0 && length <= bytes.size() - i;
        for (std::size_t k = 1; ok && k < length; ++k) {
            const std::uint8_t b = byteAt(i + k);
            ok = (b & 0xC0) == 0x80;
            cp = (cp << 6) | (b & 0x3F);
        }
        ok = ok && cp >= min && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
        if (!ok) {
            out.push_back(static_cast<char16_t>(0xDC00 + lead));
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += length;
    }
    return out;
}

std::string ToNativePath(std::u16string_view path)
{
    std::string out;
    out.reserve(path.size());
    std::size_t start = 0;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const char16_t c = path[i];
        const bool lowSurrogate = c >= 0xDC00 && c <= 0xDFFF;
        const bool paired = lowSurrogate && i > 0 && path[i - 1] >= 0xD800 && path[i - 1] <= 0xDBFF;
        if (c >= 0xDC80 && c <= 0xDCFF && !paired) {
            out += ToUtf8(path.substr(start, i - start));
            out.push_back(static_cast<char>(c - 0xDC00));
            start = i + 1;
        }
    }
    out += ToUtf8(path.substr(start));
    return out;
}

std::u16string AsciiLower(std::u16string_view s)
{
    std::u16string out(s);
    for (auto& c : out)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return out;
}
