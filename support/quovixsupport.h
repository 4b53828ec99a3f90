// The "as" support functions: text forms and string helpers shared by the programs and
// the library. Pure functions; none of them touches the operating system.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// Decimal with "," between groups of three: 76, 32,768, -1,024.
std::u16string asFormatLong(std::int32_t value);

// The text without the CR and LF characters at its end.
std::u16string asTrimCRLF(std::u16string_view text);

// The UTF-16LE text held in `bytes`, up to the first zero code unit (or the end). A
// trailing odd byte cannot form a code unit and is ignored.
std::u16string asGetStringFromPointerW(std::span<const std::uint8_t> bytes);

// The bytes up to the first zero byte (or the end), one char per byte.
std::string asGetStringFromPointerA(std::span<const std::uint8_t> bytes);

// Decodes UTF-8 bytes; ill-formed sequences become U+FFFD.
std::u16string asUTF8ToUNICODE(std::string_view utf8);
