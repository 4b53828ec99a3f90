// UTF-8 <-> UTF-16 conversions. Written out rather than taken from ICU: every program
// converts its arguments and output, and loading ICU would double the start-up time of
// the console program; the text files' UTF-8 goes through here as well.
#include "common/Utf16.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// One step of UTF-8 decoding at bytes[at]: a well-formed character (`ok`, its code point
// and length), or the maximal ill-formed subpart there (its length, 1 to 3), as Unicode
// defines it (chapter 3, "U+FFFD Substitution of Maximal Subparts").
struct Utf8Step {
    bool ok;
    std::size_t length;
    char32_t codePoint;
    bool truncated = false;  // ill-formed only because the bytes end inside the character
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
        if (k >= bytes.size() - at) return {false, k, 0, true};
        const std::uint8_t b = byteAt(at + k);
        if (b < low || b > high) return {false, k, 0};
        low = 0x80, high = 0xBF;
        cp = cp << 6 | (b & 0x3F);
    }
    return {true, trail + 1, cp};
}

// Stores `cp` at `out` as one unit or a surrogate pair; returns the end of what it stored.
char16_t* StoreUtf16(char32_t cp, char16_t* out)
{
    if (cp < 0x10000) {
        *out++ = static_cast<char16_t>(cp);
        return out;
    }
    cp -= 0x10000;
    *out++ = static_cast<char16_t>(0xD800 + (cp >> 10));
    *out++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    return out;
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

bool IsTrail(std::uint8_t b)
{
    return (b & 0xC0) == 0x80;
}

bool IsSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDFFF;
}

// The eight bytes at `bytes` as eight UTF-16 units at `out`, whatever they are: the
// caller keeps the ASCII ones at the front. SSE2, which every x86-64 processor has,
// widens them in one step.
void WidenEight(const std::uint8_t* bytes, char16_t* out)
{
#if defined(__SSE2__)
    const __m128i eight = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(bytes));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(eight, _mm_setzero_si128()));
#else
    std::uint8_t eight[8];
    std::memcpy(eight, bytes, sizeof eight);
    for (std::size_t k = 0; k < sizeof eight; ++k) out[k] = eight[k];
#endif
}

// The top bit of each of the eight bytes at `bytes`: zero when all are ASCII.
std::uint64_t NonAsciiBits(const std::uint8_t* bytes)
{
    std::uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word & 0x8080808080808080u;
}

// How many ASCII bytes come before the first that is not, from NonAsciiBits (not 0).
std::size_t LeadingAscii(std::uint64_t nonAscii)
{
    // The first byte in memory is the word's lowest on a little-endian machine.
    if constexpr (std::endian::native == std::endian::little)
        return static_cast<std::size_t>(std::countr_zero(nonAscii)) / 8;
    return static_cast<std::size_t>(std::countl_zero(nonAscii)) / 8;
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
    Utf8Decoder().Decode(utf8, true, out);
    return out;
}

void Utf8Decoder::Decode(std::string_view bytes, bool last, std::u16string& out)
{
    // Written through a small buffer that stays in the cache, and appended from there, so
    // that `out` is written once, into memory its caller may have reserved. `limit`
    // leaves room for eight widened bytes, or a surrogate pair.
    char16_t chunk[8192];
    char16_t* unit = chunk;
    char16_t* const limit = chunk + std::size(chunk) - 8;
    if (pendingSize_ > 0) {
        // The character the piece before began: at most four bytes decide it.
        char joined[4];
        std::copy_n(pending_, pendingSize_, joined);
        const std::size_t take = std::min(sizeof joined - pendingSize_, bytes.size());
        std::copy_n(bytes.data(), take, joined + pendingSize_);
        const std::string_view head(joined, pendingSize_ + take);
        const Utf8Step step = NextUtf8(head, 0);
        if (step.truncated && !last) {
            // Still unfinished: every byte of this piece belongs to it.
            std::copy_n(head.data(), head.size(), pending_);
            pendingSize_ = head.size();
            return;
        }
        unit = StoreUtf16(step.ok ? step.codePoint : U'\uFFFD', unit);
        // The pending bytes were a well-formed beginning, so the step covers them all.
        bytes.remove_prefix(step.length - pendingSize_);
        pendingSize_ = 0;
    }
    const auto* const begin = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::uint8_t* const end = begin + bytes.size();
    const std::uint8_t* p = begin;
    while (p != end) {
        if (unit > limit) {
            out.append(chunk, static_cast<std::size_t>(unit - chunk));
            unit = chunk;
        }
        // Eight bytes at a time while eight are left: the ASCII ones at their front are
        // taken at once, then the character after them. Two- and three-byte characters,
        // the rest of most texts, go without the general step; what these tests refuse
        // (overlong forms, surrogates) it sorts out.
        while (unit <= limit && end - p >= 8) {
            WidenEight(p, unit);
            const std::uint64_t nonAscii = NonAsciiBits(p);
            if (nonAscii == 0) {
                unit += 8;
                p += 8;
                continue;
            }
            const std::size_t ascii = LeadingAscii(nonAscii);
            unit += ascii;
            p += ascii;
            const std::uint8_t b = p[0];
            if (b >= 0xC2 && b <= 0xDF && end - p >= 2 && IsTrail(p[1])) {
                *unit++ = static_cast<char16_t>((b & 0x1F) << 6 | (p[1] & 0x3F));
                p += 2;
                continue;
            }
            if (b >= 0xE0 && b <= 0xEF && end - p >= 3 && IsTrail(p[1]) && IsTrail(p[2])) {
                const auto u = static_cast<char16_t>((b & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F));
                if (u >= 0x800 && !IsSurrogate(u)) {
                    *unit++ = u;
                    p += 3;
                    continue;
                }
            }
            break;
        }
        if (p == end || unit > limit) continue;
        const std::size_t at = static_cast<std::size_t>(p - begin);
        const Utf8Step step = NextUtf8(bytes, at);
        if (step.truncated && !last) {
            std::copy_n(bytes.data() + at, step.length, pending_);
            pendingSize_ = step.length;
            break;
        }
        unit = StoreUtf16(step.ok ? step.codePoint : U'\uFFFD', unit);
        p += step.length;
    }
    out.append(chunk, static_cast<std::size_t>(unit - chunk));
}

std::size_t WriteUtf8(std::u16string_view utf16, char* out)
{
    char* const begin = out;
    const auto put = [&](unsigned byte) { *out++ = static_cast<char>(byte); };
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t cp = utf16[i];
        if (cp < 0x80) {
            put(cp);
            continue;
        }
        if (IsHigh(utf16[i]) && i + 1 < utf16.size() && IsLow(utf16[i + 1]))
            cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[++i] - 0xDC00);
        else if (IsHigh(utf16[i]) || IsLow(utf16[i]))
            cp = 0xFFFD;
        if (cp < 0x800) {
            put(0xC0 | cp >> 6);
        } else if (cp < 0x10000) {
            put(0xE0 | cp >> 12);
            put(0x80 | (cp >> 6 & 0x3F));
        } else {
            put(0xF0 | cp >> 18);
            put(0x80 | (cp >> 12 & 0x3F));
            put(0x80 | (cp >> 6 & 0x3F));
        }
        put(0x80 | (cp & 0x3F));
    }
    return static_cast<std::size_t>(out - begin);
}

std::string ToUtf8(std::u16string_view utf16)
{
    std::string out(utf16.size() * 3, '\0');
    out.resize(WriteUtf8(utf16, out.data()));
    return out;
}

std::u16string FromNativePath(std::string_view bytes)
{
    std::u16string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        // Most names are ASCII: a byte below 0x80 is its own character.
        if (static_cast<std::uint8_t>(bytes[i]) < 0x80) {
            out.push_back(static_cast<char16_t>(bytes[i++]));
            continue;
        }
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
