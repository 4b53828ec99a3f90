// Letter case of Unicode text: folding for comparisons without regard to case, and upper
// case, each in one named mode.
#pragma once

#include <string>
#include <string_view>

namespace textcase {

enum class Mode {
    // Each code point to one code point: "Ä" to "ä", "Σ" and "ς" to "σ", "ß" stays "ß"
    // (NTFS keeps "ß" and "ss" apart).
    SimpleFold,
    // Unicode's full folding, where one letter may become several ("ß" to "ss"); where the
    // system has no full folding (Windows) it is the simple one.
    FullFold,
    // Each code point to its one-code-point upper case: "ä" to "Ä", "ß" stays "ß".
    SimpleUpper,
};

// `c` mapped by `mode` (FullFold maps as SimpleFold: one code point in, one out). A code
// point outside Unicode or a lone surrogate comes back unchanged.
char32_t Map(char32_t c, Mode mode);

// `text` mapped by `mode`, code point by code point; unpaired surrogates stay themselves.
// SimpleFold and SimpleUpper keep the length in UTF-16 units.
std::u16string Map(std::u16string_view text, Mode mode);

// True when `a` and `b` are equal once both are folded by `mode` (SimpleFold or
// FullFold).
bool Equal(std::u16string_view a, std::u16string_view b, Mode mode = Mode::SimpleFold);

}  // namespace textcase

// The same as textcase::Equal(a, b, textcase::Mode::SimpleFold): names as NTFS compares
// them.
inline bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b)
{
    return textcase::Equal(a, b, textcase::Mode::SimpleFold);
}
