// UTF-8 <-> UTF-16 conversion for system strings; the one place where it happens.
#pragma once

#include <string>
#include <string_view>

// Ill-formed sequences become U+FFFD; never throws on bad input.
std::u16string FromUtf8(std::string_view utf8);
// Unpaired surrogates become U+FFFD.
std::string ToUtf8(std::u16string_view utf16);

// File names as POSIX systems hold them: bytes, usually UTF-8. A byte that is not part of
// a well-formed UTF-8 sequence becomes the lone surrogate U+DC80..U+DCFF, and
// ToNativePath turns such a surrogate back into its byte, so every name round-trips.
std::u16string FromNativePath(std::string_view bytes);
std::string ToNativePath(std::u16string_view path);

// ASCII-only lower-casing; other units pass unchanged.
std::u16string AsciiLower(std::u16string_view s);
