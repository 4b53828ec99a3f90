// The text-case service on Windows' case mappings: LCMapStringEx with the invariant locale.
#include "common/text/TextCaseBackend.h"

#include <windows.h>

namespace textcase::backend {

namespace {

// `c` mapped by LCMapStringEx as `flags` say; `c` itself when the mapping does not give
// exactly one code point.
char32_t MapWith(char32_t c, DWORD flags)
{
    wchar_t in[2];
    int inLength = 0;
    if (c < 0x10000) {
        in[inLength++] = static_cast<wchar_t>(c);
    } else {
        in[inLength++] = static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
        in[inLength++] = static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
    wchar_t out[4] = {};
    const int n = ::LCMapStringEx(LOCALE_NAME_INVARIANT, flags, in, inLength, out, 4, nullptr, nullptr, 0);
    const auto isLead = [](wchar_t u) { return u >= 0xD800 && u <= 0xDBFF; };
    const auto isTrail = [](wchar_t u) { return u >= 0xDC00 && u <= 0xDFFF; };
    if (n == 1 && !isLead(out[0]) && !isTrail(out[0])) return out[0];
    if (n == 2 && isLead(out[0]) && isTrail(out[1]))
        return 0x10000 + ((static_cast<char32_t>(out[0]) - 0xD800) << 10) + (static_cast<char32_t>(out[1]) - 0xDC00);
    return c;
}

// The letters whose simple case folding is another letter than their lower case
// (Unicode's CaseFolding.txt, status C): variant forms that meet their plain letter.
struct Folding {
    char32_t from;
    char32_t to;
};
constexpr Folding kSpecialFoldings[] = {
    {0x00B5, 0x03BC},  // micro sign -> mu
    {0x017F, 0x0073},  // long s -> s
    {0x0345, 0x03B9},  // combining ypogegrammeni -> iota
    {0x03C2, 0x03C3},  // final sigma -> sigma
    {0x03D0, 0x03B2}, {0x03D1, 0x03B8}, {0x03D5, 0x03C6}, {0x03D6, 0x03C0},
    {0x03F0, 0x03BA}, {0x03F1, 0x03C1}, {0x03F5, 0x03B5},
    {0x1E9B, 0x1E61},  // long s with dot above
    {0x1FBE, 0x03B9},  // prosgegrammeni -> iota
    // Letters whose fold is their plain lower case, which not every system's tables
    // give (Wine leaves them as they are): the title-case digraphs, Ohm, Kelvin and
    // Angstrom signs.
    {0x01C5, 0x01C6}, {0x01C8, 0x01C9}, {0x01CB, 0x01CC}, {0x01F2, 0x01F3},
    {0x2126, 0x03C9}, {0x212A, 0x006B}, {0x212B, 0x00E5},
};

}  // namespace

char32_t MapCodePoint(char32_t c, bool upper)
{
    if (upper) return MapWith(c, LCMAP_UPPERCASE);
    // Simple case folding: the table above, else the lower case of the upper case.
    for (const Folding& f : kSpecialFoldings)
        if (f.from == c) return f.to;
    return MapWith(MapWith(c, LCMAP_UPPERCASE), LCMAP_LOWERCASE);
}

std::optional<std::u16string> FullFold(std::u16string_view /*text*/)
{
    // Windows has no full folding: names compare by the simple one, as NTFS compares them.
    return std::nullopt;
}

}  // namespace textcase::backend
