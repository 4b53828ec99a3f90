// Line splitting over bytes through the bounds-checked reader.
#include "filelib/modTextLines.h"

#include "common/ByteReader.h"

using Hollin0106::ByteReader;

namespace modTextLines {

namespace {

constexpr std::uint16_t kCR = 0x0D;
constexpr std::uint16_t kLF = 0x0A;

std::uint16_t NextUnit(ByteReader& reader, Units units)
{
    if (units.width == 1) return reader.u8();
    const std::span<const std::uint8_t> b = reader.bytes(2);
    if (b.size() != 2) return 0;
    const std::uint8_t high = units.bigEndian ? b[0] : b[1], low = units.bigEndian ? b[1] : b[0];
    return static_cast<std::uint16_t>(high << 8 | low);
}

bool IsBlank(std::uint16_t unit)
{
    return unit == ' ' || unit == '\t';
}

}  // namespace

std::uint16_t UnitAt(std::span<const std::uint8_t> text, std::size_t index, Units units)
{
    ByteReader reader(text);
    if (index > text.size() / units.width) return 0;
    reader.skip(index * units.width);
    return reader.remaining() >= units.width ? NextUnit(reader, units) : 0;
}

std::vector<Line> SplitLines(std::span<const std::uint8_t> bytes, Units units)
{
    std::vector<Line> lines;
    ByteReader reader(bytes);
    std::size_t start = 0;
    while (reader.remaining() >= units.width) {
        const std::size_t at = reader.offset();
        const std::uint16_t unit = NextUnit(reader, units);
        if (unit != kCR && unit != kLF) continue;
        std::size_t endLength = units.width;
        const bool crLf = unit == kCR && reader.remaining() >= units.width &&
                          UnitAt(bytes.subspan(reader.offset()), 0, units) == kLF;
        if (crLf) {
            reader.skip(units.width);
            endLength += units.width;
        }
        lines.push_back({reader.sub(start, at - start), reader.sub(at, endLength)});
        start = reader.offset();
    }
    if (start < bytes.size()) lines.push_back({reader.sub(start, bytes.size() - start), {}});
    return lines;
}

std::span<const std::uint8_t> TrimBlanks(std::span<const std::uint8_t> text, Units units)
{
    const std::size_t w = units.width;
    while (text.size() >= w && IsBlank(UnitAt(text, 0, units))) text = text.subspan(w);
    // Units count from the front: a text that ends in part of a unit keeps its end.
    while (text.size() >= w && text.size() % w == 0 && IsBlank(UnitAt(text, text.size() / w - 1, units)))
        text = text.first(text.size() - w);
    return text;
}

}  // namespace modTextLines
