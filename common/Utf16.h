// UTF-8 <-> UTF-16 conversion for system strings; the one place where it happens.
#pragma once

#include <string>
#include <string_view>

// Ill-formed sequences become U+FFFD; never throws on bad input.
std::u16string FromUtf8(std::string_view utf8);
// Unpaired surrogates become U+FFFD.
std::string ToUtf8(std::u16string_view utf16);

// ASCII-only lower-casing; other units pass unchanged.
std::u16string AsciiLower(std::u16string_view s);
