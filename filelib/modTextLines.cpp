// Line splitting over bytes through the bounds-checked reader.
#include "filelib/modTextLines.h"

#include "common/ByteReader.h"

namespace modTextLines {

std::vector<Line> SplitLines(std::span<const std::uint8_t> bytes)
{
    constexpr std::uint8_t kCR = 0x0D;
    constexpr std::uint8_t kLF = 0x0A;
    std::vector<Line> lines;
    ByteReader reader(bytes);
    std::size_t start = 0;
    while (reader.remaining() > 0) {
        const std::size_t at = reader.offset();
        const std::uint8_t b = reader.u8();
        if (b != kCR && b != kLF) continue;
        std::size_t endLength = 1;
        if (b == kCR && reader.remaining() > 0 && reader.sub(reader.offset(), 1)[0] == kLF) {
            reader.skip(1);
            endLength = 2;
        }
        lines.push_back({reader.sub(start, at - start), reader.sub(at, endLength)});
        start = reader.offset();
    }
    if (start < bytes.size()) lines.push_back({reader.sub(start, bytes.size() - start), {}});
    return lines;
}

std::span<const std::uint8_t> TrimBlanks(std::span<const std::uint8_t> text)
{
    const auto blank = [](std::uint8_t b) { return b == ' ' || b == '\t'; };
    while (!text.empty() && blank(text.front())) text = text.subspan(1);
    while (!text.empty() && blank(text.back())) text = text.first(text.size() - 1);
    return text;
}

}  // namespace modTextLines
