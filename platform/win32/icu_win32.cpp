// The ICU functions the code calls, on Windows, where no ICU comes with the program:
// case mapping through LCMapStringEx with the invariant locale, locale names through
// the system's locale data, UTF-8 through the project's own converter. ICU's headers
// give the signatures.
#include "platform/Icu.h"

#include <unicode/uchar.h>
#include <unicode/uloc.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include "platform/platform.h"
#include "platform/win32/Win32.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

#include "common/Utf16.h"

namespace platform {

namespace {

// `c` mapped by LCMapStringEx as `flags` say; `c` itself when the mapping does not give
// exactly one code point.
UChar32 MapCodePoint(UChar32 c, DWORD flags)
{
    if (c < 0 || c > 0x10FFFF || U_IS_SURROGATE(c)) return c;
    wchar_t in[2];
    int inLength = 0;
    if (U_IS_BMP(c)) {
        in[inLength++] = static_cast<wchar_t>(c);
    } else {
        in[inLength++] = static_cast<wchar_t>(U16_LEAD(c));
        in[inLength++] = static_cast<wchar_t>(U16_TRAIL(c));
    }
    wchar_t out[4] = {};
    const int n = ::LCMapStringEx(LOCALE_NAME_INVARIANT, flags, in, inLength, out, 4, nullptr, nullptr, 0);
    if (n == 1 && !U16_IS_SURROGATE(out[0])) return out[0];
    if (n == 2 && U16_IS_LEAD(out[0]) && U16_IS_TRAIL(out[1])) return U16_GET_SUPPLEMENTARY(out[0], out[1]);
    return c;
}

UChar32 ToUpper(UChar32 c)
{
    return MapCodePoint(c, LCMAP_UPPERCASE);
}

// The letters whose simple case folding is another letter than their lower case
// (Unicode's CaseFolding.txt, status C): variant forms that meet their plain letter.
struct Folding {
    UChar32 from;
    UChar32 to;
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

// Simple case folding: the table above, else the lower case of the upper case.
UChar32 FoldCase(UChar32 c, uint32_t /*options*/)
{
    for (const Folding& f : kSpecialFoldings)
        if (f.from == c) return f.to;
    return MapCodePoint(MapCodePoint(c, LCMAP_UPPERCASE), LCMAP_LOWERCASE);
}

int32_t StrFoldCase(UChar* dest, int32_t destCapacity, const UChar* src, int32_t srcLength, uint32_t options,
                    UErrorCode* status)
{
    if (status == nullptr || U_FAILURE(*status)) return 0;
    if (src == nullptr || destCapacity < 0 || (dest == nullptr && destCapacity > 0)) {
        *status = U_ILLEGAL_ARGUMENT_ERROR;
        return 0;
    }
    const int32_t length = srcLength < 0 ? static_cast<int32_t>(std::char_traits<UChar>::length(src)) : srcLength;
    int32_t written = 0;
    for (int32_t i = 0; i < length;) {
        UChar32 c;
        U16_NEXT(src, i, length, c);
        const UChar32 folded = FoldCase(c, options);
        const int32_t units = U16_LENGTH(folded);
        if (written + units <= destCapacity) {  // the length is counted on past the end
            int32_t at = written;
            UBool error = false;
            U16_APPEND(dest, at, destCapacity, folded, error);
            (void)error;
        }
        written += units;
    }
    if (written > destCapacity) *status = U_BUFFER_OVERFLOW_ERROR;
    return written;
}

// Compares by simple case folding, code point by code point (the order of ICU's
// u_strCaseCompare with U_COMPARE_CODE_POINT_ORDER left out: UTF-16 unit order).
int32_t StrCaseCompare(const UChar* s1, int32_t length1, const UChar* s2, int32_t length2, uint32_t options,
                       UErrorCode* status)
{
    if (status == nullptr || U_FAILURE(*status)) return 0;
    if (s1 == nullptr || s2 == nullptr) {
        *status = U_ILLEGAL_ARGUMENT_ERROR;
        return 0;
    }
    if (length1 < 0) length1 = static_cast<int32_t>(std::char_traits<UChar>::length(s1));
    if (length2 < 0) length2 = static_cast<int32_t>(std::char_traits<UChar>::length(s2));
    int32_t i = 0, j = 0;
    while (i < length1 && j < length2) {
        UChar32 a, b;
        U16_NEXT(s1, i, length1, a);
        U16_NEXT(s2, j, length2, b);
        a = FoldCase(a, options);
        b = FoldCase(b, options);
        if (a != b) return a < b ? -1 : 1;
    }
    return i < length1 ? 1 : j < length2 ? -1 : 0;
}

// Copies `text` and its terminator where it fits, and reports the length as ICU does.
int32_t Deliver(std::string_view text, char* out, int32_t capacity, UErrorCode* status)
{
    const auto length = static_cast<int32_t>(text.size());
    if (length > capacity) {
        *status = U_BUFFER_OVERFLOW_ERROR;
    } else {
        std::memcpy(out, text.data(), text.size());
        if (length < capacity) out[length] = '\0';
    }
    return length;
}

// The locale of a Windows language identifier ("en_US"), from LCIDToLocaleName.
int32_t LocaleForLcid(uint32_t lcid, char* locale, int32_t capacity, UErrorCode* status)
{
    if (status == nullptr || U_FAILURE(*status)) return 0;
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    // Primary language 0 is no language: LCIDToLocaleName would give the user's default
    // locale for some of them (0x0C00, 0x0400), ICU none.
    const int n = (lcid & 0x3FF) == 0 ? 0 : ::LCIDToLocaleName(lcid, name, LOCALE_NAME_MAX_LENGTH, 0);
    if (n <= 1) {
        *status = U_ILLEGAL_ARGUMENT_ERROR;
        return 0;
    }
    std::string text;
    for (int i = 0; i + 1 < n; ++i) text.push_back(name[i] == L'-' ? '_' : static_cast<char>(name[i] & 0x7F));
    return Deliver(text, locale, capacity, status);
}

// The English name of a locale ("English (United States)"), from GetLocaleInfoEx; the
// display language asked for is English in every caller.
int32_t LocaleDisplayName(const char* locale, const char* /*displayLocale*/, UChar* result, int32_t capacity,
                          UErrorCode* status)
{
    if (status == nullptr || U_FAILURE(*status)) return 0;
    std::wstring name;
    for (const char* p = locale; p != nullptr && *p != '\0'; ++p) name.push_back(*p == '_' ? L'-' : static_cast<wchar_t>(*p));
    wchar_t text[256] = {};
    const int n = ::GetLocaleInfoEx(name.c_str(), LOCALE_SENGLISHDISPLAYNAME, text, 256);
    if (n <= 1) {
        *status = U_ILLEGAL_ARGUMENT_ERROR;
        return 0;
    }
    const int32_t length = n - 1;
    if (length > capacity) {
        *status = U_BUFFER_OVERFLOW_ERROR;
    } else {
        std::copy(text, text + length, result);
        if (length < capacity) result[length] = 0;
    }
    return length;
}

char* StrToUtf8WithSub(char* dest, int32_t destCapacity, int32_t* destLength, const UChar* src, int32_t srcLength,
                       UChar32 subchar, int32_t* substitutions, UErrorCode* status)
{
    if (status == nullptr || U_FAILURE(*status)) return dest;
    // The project's converter puts U+FFFD for an unpaired surrogate; other
    // substitutes are not needed by any caller.
    if (src == nullptr || destCapacity < 0 || (dest == nullptr && destCapacity > 0) || subchar != 0xFFFD) {
        *status = U_ILLEGAL_ARGUMENT_ERROR;
        return dest;
    }
    const std::u16string_view text(src, srcLength < 0 ? std::char_traits<UChar>::length(src)
                                                      : static_cast<std::size_t>(srcLength));
    if (substitutions != nullptr) {
        int32_t count = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (U16_IS_LEAD(text[i]) && i + 1 < text.size() && U16_IS_TRAIL(text[i + 1]))
                ++i;
            else if (U16_IS_SURROGATE(text[i]))
                ++count;
        }
        *substitutions = count;
    }
    const std::string utf8 = ToUtf8(text);
    const auto length = static_cast<int32_t>(utf8.size());
    if (destLength != nullptr) *destLength = length;
    if (length > destCapacity) {
        *status = U_BUFFER_OVERFLOW_ERROR;
        return dest;
    }
    std::memcpy(dest, utf8.data(), utf8.size());
    if (length < destCapacity) dest[length] = '\0';
    return dest;
}

struct Function {
    const char* name;
    void* address;
};

const Function kFunctions[] = {
    {"u_foldCase", reinterpret_cast<void*>(&FoldCase)},
    {"u_strFoldCase", reinterpret_cast<void*>(&StrFoldCase)},
    {"u_toupper", reinterpret_cast<void*>(&ToUpper)},
    {"u_strToUTF8WithSub", reinterpret_cast<void*>(&StrToUtf8WithSub)},
    {"u_strCaseCompare", reinterpret_cast<void*>(&StrCaseCompare)},
    {"uloc_getLocaleForLCID", reinterpret_cast<void*>(&LocaleForLcid)},
    {"uloc_getDisplayName", reinterpret_cast<void*>(&LocaleDisplayName)},
};

}  // namespace

void* IcuFunction(const char* name)
{
    // ICU's headers add the version to every name ("u_toupper_72"); the table has none.
    std::string_view base(name);
    const auto underscore = base.rfind('_');
    if (underscore != std::string_view::npos && underscore + 1 < base.size() &&
        base.find_first_not_of("0123456789", underscore + 1) == std::string_view::npos)
        base = base.substr(0, underscore);
    for (const Function& f : kFunctions)
        if (base == f.name) return f.address;
    throw std::runtime_error(std::string("ICU function not available on Windows: ") + name);
}

}  // namespace platform
