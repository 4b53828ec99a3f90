// Case-insensitive comparison through ICU's simple case folding (ICU loaded on first use).
#include "support/TextCase.h"

#include <unicode/uchar.h>
#include <unicode/utf16.h>

#include <cstdint>

#include "platform/Icu.h"

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
        if (ca == cb) continue;
        const auto fold = ICU_CALL(u_foldCase);
        if (fold(ca, U_FOLD_CASE_DEFAULT) != fold(cb, U_FOLD_CASE_DEFAULT)) return false;
    }
    return i == length(a) && j == length(b);
}
