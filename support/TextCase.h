// Comparing names without regard to letter case, for every Unicode letter.
#pragma once

#include <string_view>

// True when `a` and `b` are equal after simple Unicode case folding of each code point
// (so "Ä" equals "ä" and "Σ" equals "σ", while "ß" and "ss" stay different, as NTFS
// keeps them apart). Unpaired surrogates compare as themselves.
bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b);
