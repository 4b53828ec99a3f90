// Decoding of reparse buffers and normalisation of their targets.
#include "filelib/modReparsePoint.h"

#include <gtest/gtest.h>

#include "tests/filelib/ReparseBuffers.h"

using namespace Hollin0106;

namespace {

using namespace modReparsePoint;
using testbuf::Bytes;

struct DecodeCase {
    const char* name;
    Bytes data;
    SymlinkTargetError_Const code;
    std::uint32_t tag;
    std::u16string raw;
    std::u16string print;
    bool relative;
};

Bytes WithU16(Bytes b, std::size_t offset, std::uint16_t v)
{
    b[offset] = static_cast<std::uint8_t>(v);
    b[offset + 1] = static_cast<std::uint8_t>(v >> 8);
    return b;
}

Bytes Truncated(Bytes b, std::size_t n)
{
    b.resize(n);
    return b;
}

std::vector<DecodeCase> DecodeCases()
{
    const Bytes junction = testbuf::MountPoint(u"\\??\\C:\\Data", u"C:\\Data");
    const Bytes link = testbuf::Symlink(u"..\\file.txt", u"..\\file.txt", 1);
    // Whole samples of each kind are decoded end to end (tests/e2e); here each field is
    // spoilt. Path area of the junction: substitute 22 bytes + 2, print 14 bytes + 2 -> n = 16 + 40.
    const std::size_t n = junction.size();
    return {
        {"symlink flags 2 is not relative", testbuf::Symlink(u"\\??\\C:\\a", u"C:\\a", 2), steSuccess, 0xA000000C,
         u"\\??\\C:\\a", u"C:\\a", false},
        {"LX symlink cut at zero byte", testbuf::LxSymlink(std::string("ab\0cd", 5)), steSuccess, 0xA000001D, u"ab",
         u"", false},
        {"LX symlink version 1", testbuf::LxSymlink("/x", 1), setInvalidLXSymlinkVersion, 0xA000001D, u"", u"", false},
        {"LX symlink shorter than its fixed part", Truncated(testbuf::LxSymlink("/x"), 11), setInvalidReparseDataSize,
         0xA000001D, u"", u"", false},
        {"LX symlink data length past the end", WithU16(testbuf::LxSymlink("/x"), 4, 7), setInvalidReparseDataSize,
         0xA000001D, u"", u"", false},
        {"unsupported Microsoft tag", testbuf::Raw(0x80000017, {1, 2, 3, 4}), setUnsupportedReparseTag, 0x80000017, u"",
         u"", false},
        {"tag differing from mount point in bit 16", testbuf::Raw(0xA0010003, Bytes(8, 0)), setUnsupportedReparseTag,
         0xA0010003, u"", u"", false},
        {"mount point shorter than its fixed part", Truncated(junction, 15), setInvalidReparseDataSize, 0xA0000003, u"",
         u"", false},
        {"symlink shorter than its fixed part", Truncated(link, 19), setInvalidReparseDataSize, 0xA000000C, u"", u"",
         false},
        {"data length one past the end", WithU16(junction, 4, static_cast<std::uint16_t>(n - 8 + 1)),
         setInvalidReparseDataSize, 0xA0000003, u"", u"", false},
        {"data length exactly to the end", WithU16(junction, 4, static_cast<std::uint16_t>(n - 8)), steSuccess,
         0xA0000003, u"\\??\\C:\\Data", u"C:\\Data", false},
        // Print name: offset 24, length 14 -> end 16 + 24 + 14 = 54 of n = 56.
        {"print name ending exactly at n", WithU16(junction, 14, 16), steSuccess, 0xA0000003, u"\\??\\C:\\Data",
         u"C:\\Data", false},
        {"print name one byte past n", WithU16(junction, 14, 17), setInvalidReparseStringSize, 0xA0000003,
         u"\\??\\C:\\Data", u"", false},
        {"substitute name past n", WithU16(junction, 8, 40), setInvalidReparseStringSize, 0xA0000003, u"", u"", false},
        {"odd substitute name length drops the single byte", WithU16(junction, 10, 5), steSuccess, 0xA0000003,
         u"\\?", u"C:\\Data", false},
        {"embedded zero unit cuts the name", testbuf::MountPoint(std::u16string(u"\\??\\C:\0x", 8), u"C:"), steSuccess,
         0xA0000003, u"\\??\\C:", u"C:", false},
        {"relative flag stays False after a bad print name", WithU16(link, 14, 200), setInvalidReparseStringSize,
         0xA000000C, u"..\\file.txt", u"", false},
    };
}

TEST(ParseReparseData, EachMalformedFieldGivesItsCode)
{
    for (const DecodeCase& c : DecodeCases()) {
        SCOPED_TRACE(c.name);
        ReparseResult out;
        EXPECT_EQ(ParseReparseData(c.data, out), c.code);
        EXPECT_EQ(static_cast<std::uint32_t>(out.tag), c.tag);
        EXPECT_EQ(out.rawTarget, c.raw);
        EXPECT_EQ(out.printName, c.print);
        EXPECT_EQ(out.relative, c.relative);
    }
}

TEST(ParseReparseData, EveryPrefixOfEveryGoodSampleIsRejectedOrDecodedWithinBounds)
{
    // Shortened buffers must never read past their end (ASan watches) and never decode as
    // a success that needs bytes they do not have.
    for (const DecodeCase& c : DecodeCases()) {
        if (c.code != steSuccess) continue;
        SCOPED_TRACE(c.name);
        for (std::size_t len = 0; len < c.data.size(); ++len) {
            const Bytes prefix(c.data.begin(), c.data.begin() + static_cast<std::ptrdiff_t>(len));
            ReparseResult out;
            const auto code = ParseReparseData(prefix, out);
            EXPECT_NE(code, steSuccess) << "length " << len;
        }
    }
}

// The targets of the sample volume's links are checked end to end (tests/e2e).
TEST(NormalizeTargetPath, PrefixesDroppedAndRelativeTargetsResolved)
{
    const std::u16string guidRoot = u"\\??\\Volume{0a1b2c3d-4e5f-6789-abcd-ef0123456789}\\";
    const struct {
        const char* name;
        std::u16string raw;
        std::u16string link;
        bool relative;
        PathStyle style;
        std::u16string expected;
    } cases[] = {
        {"volume GUID root with other prefix characters stays", u"\\\\?\\Volume{0a1b2c3d-4e5f-6789-abcd-ef0123456789}\\",
         u"/m/v", false, PathStyle::Posix, u"\\\\?\\Volume{0a1b2c3d-4e5f-6789-abcd-ef0123456789}\\"},
        {"volume GUID with a path after the root loses the prefix", guidRoot + u"Data",
         u"/mnt/ntfs/v", false, PathStyle::Posix, u"Volume{0a1b2c3d-4e5f-6789-abcd-ef0123456789}\\Data"},
        {"network prefix in lower case only loses four characters", u"\\??\\unc\\server\\share", u"/m/l", false,
         PathStyle::Posix, u"unc\\server\\share"},
        {"relative link resolves against the link's folder (Windows paths)", u"..\\target.txt",
         u"C:\\dir\\sub\\link.txt", true, PathStyle::Windows, u"C:\\dir\\target.txt"},
        {"relative link climbing above the root stays at the root", u"..\\..\\..\\x", u"/a/link", true,
         PathStyle::Posix, u"/x"},
        {"absolute target with relative flag clear is left alone", u"C:\\x\\..\\y", u"/a/l", false, PathStyle::Posix,
         u"C:\\x\\..\\y"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(NormalizeTargetPath(c.raw, c.link, c.relative, c.style), c.expected);
    }
}

}  // namespace
