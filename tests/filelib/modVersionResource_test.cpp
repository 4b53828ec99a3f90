// The PE/NE resource readers and the version-block walker over images, prefixes and corruptions.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "filelib/modPEImage.h"
#include "filelib/modVersionResource.h"
#include "tests/filelib/VersionImages.h"

namespace {

using modVersionResource::VerQueryValue;
using Bytes = std::vector<std::uint8_t>;

// The version block of an image in memory, read as on an English (United States) system.
std::optional<Bytes> FindVersionResource(const Bytes& image, std::uint16_t uiLanguage = 0x0409)
{
    modPEImage::SpanSource source(image);
    return modPEImage::ReadVersionResource(source, uiLanguage);
}

constexpr std::u16string_view kCompany = u"\\StringFileInfo\\040904B0\\CompanyName";

using versiontest::PutLE;

TEST(VersionResource, QueriesFollowTheKeysWithoutRegardToCase)
{
    const Bytes image = versiontest::ReadImage("full64.dll");
    const auto block = *FindVersionResource(image);
    const struct {
        const char16_t* subBlock;
        bool found;
        std::size_t length;  // bytes
    } rows[] = {
        // (The root's and the translation's values: the Windows leg, against the system's.)
        {u"\\\\VarFileInfo\\\\Translation\\", true, 4},
        {u"\\StringFileInfo\\040904b0\\fileversion", true, 16},  // "5.6.7.8" and its zero
        {u"\\StringFileInfo\\040904B0\\PrivateBuild", true, 2},  // only the zero
        {u"\\StringFileInfo\\040704B0\\CompanyName", false, 0},
        {u"\\VarFileInfo\\Translation\\More", false, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.subBlock, row.subBlock + std::char_traits<char16_t>::length(row.subBlock)));
        const auto value = VerQueryValue(block, row.subBlock);
        ASSERT_EQ(value.has_value(), row.found);
        if (value) EXPECT_EQ(value->bytes.size(), row.length);
    }
}

TEST(VersionResource, EveryPrefixOfAnImageOrABlockEndsTheWalkCleanly)
{
    const Bytes image = versiontest::ReadImage("full64.dll");
    const auto full = *FindVersionResource(image);
    const auto blockEnd = static_cast<std::size_t>(std::search(image.begin(), image.end(), full.begin(), full.end()) -
                                                   image.begin()) + full.size();
    for (std::size_t n = 0; n < image.size(); ++n) {
        const Bytes prefix(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(n));
        const auto block = FindVersionResource(prefix);
        ASSERT_EQ(block.has_value(), n >= blockEnd) << "prefix " << n;
    }
    const Bytes block(full.begin(), full.end());
    for (std::size_t n = 0; n < block.size(); ++n) {
        const Bytes prefix(block.begin(), block.begin() + static_cast<std::ptrdiff_t>(n));
        ASSERT_FALSE(VerQueryValue(prefix, u"\\").has_value()) << "prefix " << n;
        ASSERT_FALSE(VerQueryValue(prefix, kCompany).has_value()) << "prefix " << n;
    }
}

TEST(VersionResource, CorruptedLengthsGiveNoValue)
{
    const Bytes image = versiontest::ReadImage("full64.dll");
    const auto good = *FindVersionResource(image);
    // The root node: +0 wLength, +2 wValueLength, key "VS_VERSION_INFO" (32 bytes with its
    // zero) from +6, the 52-byte value from +40, the first child (StringFileInfo) at +92.
    const struct {
        const char* name;
        std::size_t at;
        std::uint16_t value;
        const char16_t* subBlock;
    } rows[] = {
        {"root longer than the block", 0, 0xFFFF, u"\\"},
        {"root shorter than its header", 0, 4, u"\\"},
        {"binary value longer than its node", 2, 0xFFF0, u"\\"},
        {"child of length zero", 92, 0, kCompany.data()},
        {"child longer than its parent", 92, 0xFFF0, kCompany.data()},
        {"key without its zero", 0, 36, u"\\"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Bytes block(good.begin(), good.end());
        PutLE(block, row.at, row.value, 2);
        EXPECT_FALSE(VerQueryValue(block, row.subBlock).has_value());
    }
}

// One field of the headers, section table or resource directory spoilt at a time: the
// walk ends without a block.
TEST(VersionResource, CorruptedHeadersAndDirectoriesGiveNoBlock)
{
    const Bytes good = versiontest::ReadImage("full64.dll");
    ASSERT_TRUE(FindVersionResource(good).has_value());
    const std::size_t pe = versiontest::U32(good, 0x3C);
    const std::size_t optional = pe + 24;  // PE32+: NumberOfRvaAndSizes at +108, the entries after it
    ASSERT_EQ(good[optional] | good[optional + 1] << 8, 0x20B);
    const std::size_t optionalSize = good[pe + 20] | good[pe + 21] << 8;
    const std::size_t sections = good[pe + 6] | good[pe + 7] << 8;
    const std::size_t rsrc = versiontest::SectionHeader(good, ".rsrc");
    ASSERT_NE(rsrc, 0u);
    // Resource directory: +14 ID-entry count, entries from +16 (+0 ID, +4 offset with the
    // high bit for a subdirectory).
    const std::size_t root = versiontest::U32(good, rsrc + 20);
    // SizeOfOptionalHeader made to end before the resource entry (+128), the section table
    // moved up to where it then starts: the entry beyond the header does not count.
    const auto shortOptionalHeader = [&](Bytes& b) {
        const Bytes table(b.begin() + static_cast<std::ptrdiff_t>(optional + optionalSize),
                          b.begin() + static_cast<std::ptrdiff_t>(optional + optionalSize + 40 * sections));
        PutLE(b, pe + 20, 128, 2);
        std::copy(table.begin(), table.end(), b.begin() + static_cast<std::ptrdiff_t>(optional + 128));
    };
    const struct {
        const char* name;
        std::size_t at;
        std::uint32_t value;
        int width;
    } rows[] = {
        {"NumberOfRvaAndSizes 2: no resource entry", optional + 108, 2, 4},
        {"SizeOfOptionalHeader 2: the magic alone", pe + 20, 2, 2},
        {"SizeOfOptionalHeader past the file", pe + 20, 0xFFFF, 2},
        {"SizeOfOptionalHeader ends before the resource entry", 0, 0, 0},
        {"NumberOfSections 0", pe + 6, 0, 2},
        {"NumberOfSections past the file", pe + 6, 0xFFFF, 2},
        {"resource directory at no section's RVA", optional + 128, 0xFFFFFF00u, 4},
        {".rsrc VirtualAddress moved away", rsrc + 12, 0x7FFF0000u, 4},
        {".rsrc SizeOfRawData 0", rsrc + 16, 0, 4},
        {".rsrc SizeOfRawData 16: the root directory alone", rsrc + 16, 16, 4},
        {".rsrc PointerToRawData past the file", rsrc + 20, 0xFFFFFF00u, 4},
        {"the type entry points back at the root", root + 20, 0x80000000u, 4},
        {"no RT_VERSION type", root + 16, 3, 4},
        {"more entries than the section holds, none a version", root + 14, 0xFFFF, 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Bytes image = good;
        if (row.width == 0) shortOptionalHeader(image);
        else PutLE(image, row.at, row.value, row.width);
        if (row.at == root + 14) PutLE(image, root + 16, 3);
        EXPECT_FALSE(FindVersionResource(image).has_value());
    }
}

// The last number of the file version of each block tells which one was taken: 7 German,
// 9 English (United States), 12 French, 0 the neutral language.
TEST(VersionResource, TheResourceWindowsTakesByNameAndLanguage)
{
    const struct {
        const char* image;
        std::uint16_t uiLanguage;
        int taken;  // -1: none
    } rows[] = {
        {"twolang.dll", 0x0409, 9},  {"twolang.dll", 0x0407, 7},  {"twolang.dll", 0x0411, 9},
        {"neutral.dll", 0x0407, 0},  {"neutral.dll", 0x040C, 0},  {"defr.dll", 0x040C, 12},
        {"defr.dll", 0x0411, 7},     {"defr.dll", 0x0409, 7},     {"stringname.dll", 0x0409, -1},
        {"id102.dll", 0x0409, -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.image) + " " + std::to_string(row.uiLanguage));
        const auto block = FindVersionResource(versiontest::ReadImage(row.image), row.uiLanguage);
        ASSERT_EQ(block.has_value(), row.taken >= 0);
        if (!block) continue;
        const auto fixed = VerQueryValue(*block, u"\\");
        ASSERT_TRUE(fixed.has_value());
        EXPECT_EQ(fixed->bytes[12] | fixed->bytes[13] << 8, row.taken);
    }
}

// e_lfanew may point anywhere in the file, past any window a reader might assume.
TEST(VersionResource, HeadersAreReadWhereTheDosHeaderSays)
{
    const Bytes image = versiontest::ReadImage("full64.dll");
    EXPECT_EQ(FindVersionResource(versiontest::WithHeadersAt(image, 0x123458)), FindVersionResource(image));
}

// A program of 16-bit Windows: MZ header, NE header at 40h, resource table at 80h (an icon
// type first, then RT_VERSION ID 1), the block at 100h in the 16-bit layout with 8-bit
// keys: A8h bytes long, in a resource padded to B0h (alignment shift 4).
TEST(VersionResource, NEProgramsCarryBlocksInThe16BitLayout)
{
    const Bytes image = versiontest::ReadImage(TAGSCOPE_SOURCE_DIR "/tests/filelib/versions/ne-program.exe");
    ASSERT_EQ(image.size(), 432u);
    // Its values, read by the walker, are compared with the system's in the Windows leg; its
    // 8-bit company name is read by the qvxFileVersion tests.
    const auto found = FindVersionResource(image);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(*found, Bytes(image.begin() + 0x100, image.begin() + 0x1A8));  // the block, not its padding
    for (std::size_t n = 0; n < 0x1A8; ++n) {
        const Bytes prefix(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(n));
        ASSERT_FALSE(FindVersionResource(prefix).has_value()) << "prefix " << n;
    }
    // Only the resource named by ID 1 is the version resource: the record's ID at A4h.
    for (const std::uint16_t id : {0x0000, 0x8002, 0x0001}) {
        SCOPED_TRACE(id);
        Bytes other = image;
        PutLE(other, 0xA4, id, 2);
        EXPECT_FALSE(FindVersionResource(other).has_value());
    }
}

// Names as Microsoft's list of language identifiers spells them ("Language (Script,
// Location)"), where ICU's own English differs and the whole list's check cannot tell.
TEST(VersionResource, LanguageNamesAsWindowsPrintsThem)
{
    const std::pair<std::uint16_t, std::u16string_view> rows[] = {
        {0x043B, u"Sami, Northern (Norway)"},
        {0x0414, u"Norwegian, Bokm\u00E5l (Norway)"},
        // Identifiers Windows does not know, though ICU maps them to a language near them.
        {0x3FFF, u"Language Neutral"},
        {0x0886, u"Language Neutral"},
    };
    for (const auto& [id, name] : rows) {
        SCOPED_TRACE(id);
        EXPECT_EQ(modVersionResource::VerLanguageName(id), name);
    }
}

// Every identifier of Windows' list has a name of its own, in Windows' spelling: none is
// neutral, none keeps an ICU code, a bracket, an ampersand or a name Windows never uses.
TEST(VersionResource, EveryWindowsLanguageHasAWindowsName)
{
    std::ifstream list(TAGSCOPE_SOURCE_DIR "/tests/filelib/versions/windows-language-ids.txt");
    std::size_t checked = 0;
    for (std::string line; std::getline(list, line);) {
        if (line.empty() || line[0] == '#') continue;
        const auto id = static_cast<std::uint16_t>(std::stoul(line.substr(0, 4), nullptr, 16));
        const std::u16string name = modVersionResource::VerLanguageName(id);
        SCOPED_TRACE(line + " " + std::string(name.begin(), name.end()));
        ++checked;
        if (id == 0) continue;
        EXPECT_NE(name, u"Language Neutral");
        EXPECT_TRUE((name[0] >= u'A' && name[0] <= u'Z') || name.starts_with(u"isi")) << "an ICU code";
        for (const std::u16string_view icuOnly : {u"&", u"[", u"Unknown", u"world", u"Sort Order", u" China)", u"SAR China",
                                                   u"Czechia", u"South Korea", u"\u02BC"})
            EXPECT_EQ(name.find(icuOnly), std::u16string::npos) << "ICU's spelling";
        EXPECT_EQ(std::count(name.begin(), name.end(), u'('), std::count(name.begin(), name.end(), u')'));
    }
    EXPECT_GT(checked, 400u);
}

}  // namespace
