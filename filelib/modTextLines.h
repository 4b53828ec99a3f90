// Splitting the bytes of a text file into lines, for the readers that work line by line
// on bytes (INI text, Descript.ion files).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace modTextLines {

struct Line {
    std::span<const std::uint8_t> text;  // the line without its end
    std::span<const std::uint8_t> end;   // CR LF, a lone CR, a lone LF, or nothing (last line)
};

// The lines of `bytes` in order; text and end of all lines together are `bytes`. A
// final line end is not followed by an empty line; no bytes give no lines.
std::vector<Line> SplitLines(std::span<const std::uint8_t> bytes);

// `text` without leading and trailing spaces and tabs.
std::span<const std::uint8_t> TrimBlanks(std::span<const std::uint8_t> text);

}  // namespace modTextLines
