// The text-case service's walks over UTF-16 text, over one code point mapping per system.
#include "common/text/TextCase.h"

#include "common/text/TextCaseBackend.h"

#include <utility>

namespace textcase {

namespace {

bool IsLead(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsTrail(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// The code point at `i` of `text`, moving `i` past it; a lone surrogate is itself.
char32_t Next(std::u16string_view text, std::size_t& i)
{
    const char16_t u = text[i++];
    if (IsLead(u) && i < text.size() && IsTrail(text[i]))
        return 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (static_cast<char32_t>(text[i++]) - 0xDC00);
    return u;
}

void Append(std::u16string& out, char32_t c)
{
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
    } else {
        out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    }
}

bool IsScalar(char32_t c)
{
    return c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
}

}  // namespace

char32_t Map(char32_t c, Mode mode)
{
    if (!IsScalar(c)) return c;
    // ASCII, by far the most frequent, needs no table.
    if (c < 0x80) {
        if (mode == Mode::SimpleUpper) return c >= U'a' && c <= U'z' ? c - 0x20 : c;
        return c >= U'A' && c <= U'Z' ? c + 0x20 : c;
    }
    const char32_t mapped = backend::MapCodePoint(c, mode == Mode::SimpleUpper);
    return IsScalar(mapped) ? mapped : c;
}

std::u16string Map(std::u16string_view text, Mode mode)
{
    if (mode == Mode::FullFold) {
        bool ascii = true;
        for (const char16_t u : text) ascii = ascii && u < 0x80;
        if (!ascii)
            if (auto folded = backend::FullFold(text)) return std::move(*folded);
    }
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) Append(out, Map(Next(text, i), mode));
    return out;
}

bool Equal(std::u16string_view a, std::u16string_view b, Mode mode)
{
    if (mode != Mode::SimpleFold) return Map(a, mode) == Map(b, mode);
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const char32_t ca = Next(a, i);
        const char32_t cb = Next(b, j);
        if (ca != cb && Map(ca, mode) != Map(cb, mode)) return false;
    }
    return i == a.size() && j == b.size();
}

}  // namespace textcase
