// The stream walk over synthetic backup sequences, and the find-data time conversion.
#include "filelib/modStreamWalk.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "filelib/modFindFiles.h"
#include "tests/filelib/ReparseBuffers.h"

namespace {

using testbuf::Bytes;

// One stream: header, name, and `data` bytes of data (the header's size may claim more).
Bytes Stream(std::uint32_t id, const std::u16string& name, std::uint64_t size, std::size_t data = 0,
             std::uint32_t nameSize = UINT32_MAX)
{
    Bytes b;
    testbuf::Put32(b, id);
    testbuf::Put32(b, 0);
    testbuf::Put32(b, static_cast<std::uint32_t>(size));
    testbuf::Put32(b, static_cast<std::uint32_t>(size >> 32));
    const Bytes n = testbuf::Utf16(name);
    testbuf::Put32(b, nameSize == UINT32_MAX ? static_cast<std::uint32_t>(n.size()) : nameSize);
    b.insert(b.end(), n.begin(), n.end());
    b.insert(b.end(), data, 0xAB);
    return b;
}

Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// What the walk delivered: "id:first name unit count" per stream.
std::string Walk(const Bytes& sequence)
{
    modStreamWalk::ByteSequenceSource source(sequence);
    std::string out;
    modStreamWalk::WalkStreams(source, [&](const modStreamWalk::StreamHeader& h, std::span<const std::uint8_t> name) {
        std::size_t units = 0;
        while (units * 2 + 1 < name.size() && (name[units * 2] | name[units * 2 + 1]) != 0) ++units;
        out += std::to_string(h.StreamID) + ":" + std::to_string(units) + " ";
    });
    return out;
}

TEST(StreamWalk, StopsWhereTheSequenceEndsOrBreaks)
{
    const std::u16string longest(262, u'x');  // exactly the name buffer
    const struct {
        const char* name;
        Bytes sequence;
        std::string expected;
    } rows[] = {
        {"data skipped to the next header", Cat({Stream(1, u"", 5, 5), Stream(4, u":s:$DATA", 2, 2)}), "1:0 4:8 "},
        {"a name that fills the buffer", Cat({Stream(4, longest, 0), Stream(8, u"", 0)}), "4:262 8:0 "},
        {"a short header ends the walk", Cat({Stream(1, u"", 0), Bytes(19, 0)}), "1:0 "},
        {"a short name ends the walk", Cat({Stream(1, u"", 0), Stream(4, u"abcd", 0, 0, 10)}), "1:0 "},
        {"an odd name size keeps its last byte", Stream(4, u"ab", 0, 0, 3), "4:2 "},
        {"data shorter than its size", Cat({Stream(1, u"", 1000, 3)}), "1:0 "},
        {"a size above 4 GiB", Cat({Stream(1, u"", 0x100000000ULL, 0)}), "1:0 "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Walk(row.sequence), row.expected);
    }
}

TEST(FindDataTimes, FileTimesBecomeLocalAutomationDates)
{
    constexpr std::uint64_t k2000 = 125911584000000000ULL;  // 2000-01-01 00:00:00 UTC
    const struct {
        const char* name;
        std::uint64_t fileTime;
        std::int64_t bias;
        double expected;
    } rows[] = {
        {"midnight", k2000, 0, 36526.0},
        {"west of UTC goes back a day", k2000, -6 * 3600, 36525.75},
        {"milliseconds dropped", k2000 + 9999999, 0, 36526.0},
        {"the day before 1899-12-30, 06:00", 94353120000000000ULL + 6 * 3600 * 10000000ULL - 86400 * 10000000ULL,
         0, -1.25},
        {"zero is 1601-01-01", 0, 0, -109205.0},
        {"before 1601 after the bias", 0, -1, 0.0},
        {"top bit set", 0x8000000000000000ULL, 0, 0.0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_DOUBLE_EQ(modFindFiles::FileTimeToVariantDate(row.fileTime, row.bias), row.expected);
    }
}

}  // namespace
