// The "as" support functions: text forms and string helpers shared by the programs and
// the library. Pure functions; none of them touches the operating system (the code-page
// functions read the host's code pages, see support/codepages/CodePages.h).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

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

// ---- Text and the host's code pages ------------------------------------------------

// `text` in the host's ANSI code page; a character the page cannot hold becomes "?".
std::vector<std::uint8_t> asStrConvB(std::u16string_view text);
// The text that `bytes` hold in the host's ANSI code page; no bytes give "".
std::u16string asStrConvW(std::span<const std::uint8_t> bytes);

// The UTF-8 bytes of `text`; unpaired surrogates become U+FFFD.
std::string asUNICODEToUTF8(std::u16string_view text);

// `text` without its first `count` characters ("" when it has no more); error 5 for a
// negative count.
std::u16string asCutLeft(std::u16string_view text, std::int32_t count);

// `text` without leading and trailing blanks: spaces and tabs, which every code page
// holds at the same byte.
std::u16string asTrimEx(std::u16string_view text);

// Reinterprets text read in the ANSI code page as OEM text: the ANSI bytes of `text`
// decoded in the OEM code page. asAnsiToOem is the reverse; a round trip changes exactly
// the characters the OEM code page cannot hold.
std::u16string asOemToAnsi(std::u16string_view text);
std::u16string asAnsiToOem(std::u16string_view text);

// ---- Numbers ----------------------------------------------------------------------

// The signed 64-bit value of `high`:`low` (a LARGE_INTEGER's two halves) as a double.
double asLargeIntegerToDouble(std::uint32_t low, std::uint32_t high);
