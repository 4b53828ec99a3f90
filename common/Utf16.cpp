// UTF-8 <-> UTF-16 conversions. Written out rather than taken from ICU: every program
// converts its arguments and output, and loading ICU would double the start-up time of
// the console program.
#include "common/Utf16.h"

#include <cstdint>

namespace {

// One step of UTF-8 decoding at bytes[at]: a well-formed character (`ok`, its code point
// and length), or the maximal ill-formed subpart there (its length, 1 to 3), as Unicode
// defines it (chapter 3, "U+FFFD Substitution of Maximal Subparts").
struct Utf8Step {
    bool ok;
    std::size_t length;
    char32_t codePoint;
};

Utf8Step NextUtf8(std::string_view bytes, std::size_t at)
{
    const auto byteAt = [&](std::size_t k) { return static_cast<std::uint8_t>(bytes[k]); };
    const std::uint8_t lead = byteAt(at);
    if (lead < 0x80) return {true, 1, lead};
    std::size_t trail = 0;
    char32_t cp = 0;
    // The range of the first trail byte excludes overlong forms, surrogates and code
    // points past U+10FFFF; later trail bytes are 80..BF.
    std::uint8_t low = 0x80;
    std::uint8_t high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        trail = 1, cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        trail = 2, cp = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        trail = 3, cp = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return {false, 1, 0};
    }
    for (std::size_t k = 1; k <= trail; ++k) {
        if (k >= bytes.size() - at) return {false, k, 0};
        const std::uint8_t b = byteAt(at + k);
        if (b < low || b > high) return {false, k, 0};
        low = 0x80, high = 0xBF;
        cp = cp << 6 | (b & 0x3F);
    }
    return {true, trail + 1, cp};
}

void AppendUtf16(char32_t cp, std::u16string& out)
{
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
        return;
    }
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
}

bool IsHigh(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLow(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

}  // namespace

std::u16string FromUtf8(std::string_view utf8)
{
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const Utf8Step step = NextUtf8(utf8, i);
        AppendUtf16(step.ok ? step.codePoint : U'\uFFFD', out);
        i += step.length;
    }
    return out;
}

std::string ToUtf8(std::u16string_view utf16)
{
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t cp = utf16[i];
        if (IsHigh(utf16[i]) && i + 1 < utf16.size() && IsLow(utf16[i + 1]))
            cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[++i] - 0xDC00);
        else if (IsHigh(utf16[i]) || IsLow(utf16[i]))
            cp = 0xFFFD;
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
            continue;
        }
        const std::size_t trail = cp < 0x800 ? 1 : cp < 0x10000 ? 2 : 3;
        constexpr std::uint8_t kLeadMark[] = {0, 0xC0, 0xE0, 0xF0};
        out.push_back(static_cast<char>(kLeadMark[trail] | cp >> (6 * trail)));
        for (std::size_t k = trail; k-- > 0;) out.push_back(static_cast<char>(0x80 | ((cp >> (6 * k)) & 0x3F)));
    }
    return out;
}

std::u16string FromNativePath(std::string_view bytes)
{
    std::u16string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const Utf8Step step = NextUtf8(bytes, i);
        if (step.ok) {
            AppendUtf16(step.codePoint, out);
        } else {
            for (std::size_t k = 0; k < step.length; ++k)
                out.push_back(static_cast<char16_t>(0xDC00 + static_cast<std::uint8_t>(bytes[i + k])));
        }
        i += step.length;
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
