// What each system's implementation of the text-case service supplies (TextCase_icu.cpp,
// TextCase_win32.cpp); only TextCase.cpp calls it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace textcase::backend {

// The simple case folding (or with `upper` the simple upper case) of the non-ASCII
// Unicode scalar value `c`; `c` itself where it has none.
char32_t MapCodePoint(char32_t c, bool upper);

// The full case folding of `text`, which holds at least one non-ASCII unit; nothing where
// the system has no full folding, and the simple one stands in.
std::optional<std::u16string> FullFold(std::u16string_view text);

}  // namespace textcase::backend
