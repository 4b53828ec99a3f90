// The text-case service on ICU's case mappings (ICU loaded on first use).
#include "common/text/TextCaseBackend.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <cstdint>
#include <stdexcept>

#include "common/text/Icu.h"

namespace textcase::backend {

char32_t MapCodePoint(char32_t c, bool upper)
{
    const auto code = static_cast<UChar32>(c);
    return static_cast<char32_t>(upper ? ICU_CALL(u_toupper)(code) : ICU_CALL(u_foldCase)(code, U_FOLD_CASE_DEFAULT));
}

std::optional<std::u16string> FullFold(std::u16string_view text)
{
    // Full case folding lengthens a character to at most three units.
    std::u16string out(text.size() * 3, u'\0');
    UErrorCode status = U_ZERO_ERROR;
    const std::int32_t length =
        ICU_CALL(u_strFoldCase)(out.data(), static_cast<std::int32_t>(out.size()), text.data(),
                                static_cast<std::int32_t>(text.size()), U_FOLD_CASE_DEFAULT, &status);
    if (U_FAILURE(status)) throw std::runtime_error(std::string("case folding failed: ") + ICU_CALL(u_errorName)(status));
    out.resize(static_cast<std::size_t>(length));
    return out;
}

}  // namespace textcase::backend
