// Splitting the bytes of a text file into lines, for the readers that work line by line
// on bytes (INI text, Descript.ion files). The text's code units are one byte (ANSI,
// UTF-8) or two (UTF-16 in either byte order); lines and their parts are always spans of
// the text's own bytes, so that a writer can put back what it did not change as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace modTextLines {

// The width and byte order of a text's code units.
struct Units {
    std::size_t width = 1;   // 1 or 2
    bool bigEndian = false;  // for a width of 2
};

struct Line {
    std::span<const std::uint8_t> text;  // the line without its end
    std::span<const std::uint8_t> end;   // CR LF, a lone CR, a lone LF, or nothing (last line)
};

// The lines of `bytes` in order; text and end of all lines together are `bytes`. A
// final line end is not followed by an empty line; no bytes give no lines. A last byte
// that makes no whole unit belongs to the last line's text.
std::vector<Line> SplitLines(std::span<const std::uint8_t> bytes, Units units = {});

// The code unit at unit index `index` of `text`; 0 past its whole units.
std::uint16_t UnitAt(std::span<const std::uint8_t> text, std::size_t index, Units units = {});

// `text` without leading and trailing spaces and tabs.
std::span<const std::uint8_t> TrimBlanks(std::span<const std::uint8_t> text, Units units = {});

}  // namespace modTextLines
