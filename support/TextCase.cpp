// Case-insensitive comparison through ICU's simple case folding.
#include "support/TextCase.h"

#include <unicode/uchar.h>
#include <unicode/utf16.h>

#include <cstdint>

bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b)
{
    const auto length = [](std::u16string_view s) { return static_cast<std::int32_t>(s.size()); };
    std::int32_t i = 0;
    std::int32_t j = 0;
    while (i < length(a) && j < length(b)) {
        UChar32 ca = 0;
        UChar32 cb = 0;
        U16_NEXT(a.data(), i, length(a), ca);
        U16_NEXT(b.data(), j, length(b), cb);
        if (ca != cb && u_foldCase(ca, U_FOLD_CASE_DEFAULT) != u_foldCase(cb, U_FOLD_CASE_DEFAULT)) return false;
    }
    return i == length(a) && j == length(b);
}
