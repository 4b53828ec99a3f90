// Text forms, byte dump and path handling of the support functions.
#include "support/quovixsupportfbe.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/quovixsupport.h"

using namespace Hollin0106;

namespace {

// Hex forms, GUIDs and byte dumps (to the last line's end) are checked in the reports end
// to end (tests/e2e).
TEST(FormatLong, Grouping)
{
    struct Case {
        std::int32_t v;
        const char16_t* text;
    } const cases[] = {{999, u"999"}, {1000, u"1,000"}, {-999, u"-999"}, {INT32_MIN, u"-2,147,483,648"}};
    for (const Case& c : cases) EXPECT_EQ(asFormatLong(c.v), c.text) << c.v;
}

TEST(TrimAndStrings, LineBreaksTrimmedNamesCutAtTheFirstZero)
{
    EXPECT_EQ(asTrimCRLF(u"a\r\n\r\n"), u"a");
    EXPECT_EQ(asTrimCRLF(u"\r\na\rb\n"), u"\r\na\rb");
    const std::vector<std::uint8_t> w = {'A', 0, 'B', 0, 0, 0, 'C', 0};
    EXPECT_EQ(asGetStringFromPointerW(w), u"AB");
    EXPECT_EQ(asGetStringFromPointerW(std::span(w).first(3)), u"A");
    const std::vector<std::uint8_t> a = {'x', 'y', 0, 'z'};
    EXPECT_EQ(asGetStringFromPointerA(a), "xy");
}

TEST(PathParts, FolderAndName)
{
    const struct {
        const char* name;
        std::u16string path;
        PathStyle style;
        std::u16string folder;
        std::u16string file;
    } cases[] = {
        {"posix file", u"/mnt/ntfs/dir/link", PathStyle::Posix, u"/mnt/ntfs/dir", u"link"},
        {"posix bare name", u"link", PathStyle::Posix, u"", u"link"},
        {"backslash is a name character on POSIX", u"/a/b\\c", PathStyle::Posix, u"/a", u"b\\c"},
        {"windows file", u"C:\\dir\\sub\\f.txt", PathStyle::Windows, u"C:\\dir\\sub", u"f.txt"},
        {"windows forward slashes", u"C:/a/b", PathStyle::Windows, u"C:/a", u"b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(esGetFilePath(c.path, c.style), c.folder);
        EXPECT_EQ(esGetFileName(c.path, c.style), c.file);
    }
}

TEST(AbsoluteFileName, ResolvesAndNormalises)
{
    struct Case {
        std::u16string relative, base;
        PathStyle style;
        std::u16string expected;
    } const cases[] = {
        {u"/abs/./p", u"/mnt/v", PathStyle::Posix, u"/abs/p"},
        {u"..\\..\\..", u"/a", PathStyle::Posix, u"/"},
        {u"..\\t.txt", u"C:\\dir\\sub", PathStyle::Windows, u"C:\\dir\\t.txt"},
        {u"..\\..\\f", u"\\\\server\\share\\dir", PathStyle::Windows, u"\\\\server\\share\\f"},
    };
    for (const Case& c : cases) EXPECT_EQ(esGetAbsoluteFileName(c.relative, c.base, c.style), c.expected);
}

// Dots, doubled separators and relative names are widened as the end-to-end runs and
// the file classes' suites show; a backslash is no separator here.
TEST(FullFileName, KeepsBackslashes)
{
    EXPECT_EQ(esGetFullFileName(u"/x/a\\b", true), u"/x/a\\b");
}

TEST(BuildFileName, JoinsWithOneSeparator)
{
    const struct {
        const char* name;
        std::u16string folder, file;
        PathStyle style;
        std::u16string expected;
    } rows[] = {
        {"posix", u"/mnt/d", u"*.txt", PathStyle::Posix, u"/mnt/d/*.txt"},
        {"posix root", u"/", u"tmp", PathStyle::Posix, u"/tmp"},
        {"separators before the name go", u"/a", u"//b", PathStyle::Posix, u"/a/b"},
        {"no folder", u"", u"b", PathStyle::Posix, u"b"},
        {"windows root", u"D:\\", u"x", PathStyle::Windows, u"D:\\x"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(esBuildFileName(row.folder, row.file, false, row.style), row.expected);
    }
}

}  // namespace
