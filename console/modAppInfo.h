// The program information text that heads the usage output of both programs.
#pragma once

#include <string>

namespace modAppInfo {

// ", ver. " for the long form, else " ".
std::u16string GetVersionSeparator(bool longForm);

// With `english`, the shipped Cyrillic copyright line "Орла Венн YYYY[-YYYY]. Посвящается
// Довра" (letters in any case) becomes "Orla Venn YYYY[-YYYY]. Dedicated to Dovra"; any other
// text, or `english` False, comes back unchanged.
std::u16string GetCopyrightText(const std::u16string& text, bool english);

// Title, separator, version, CR LF, copyright line.
std::u16string GetAppInfoText(bool longForm, const bool& english);

}  // namespace modAppInfo
