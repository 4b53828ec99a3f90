// The listing's text and JSON lines from decoded entries.
#include <gtest/gtest.h>

#include "report/modReparseListing.h"
#include "tests/filelib/ReparseBuffers.h"

using namespace Hollin0106;
using modReparseListing::FormatJsonLine;
using modReparseListing::FormatTextLine;
using modReparseListing::JsonString;
using modReparseListing::ListingEntry;

namespace {

TEST(ListingJson, StringsAreValidJsonWhateverTheNamesHold)
{
    struct Row {
        const char* name;
        std::u16string text;
        std::string json;
    } rows[] = {
        {"quote and backslash", u"a\"b\\c", "\"a\\\"b\\\\c\""},
        {"line breaks and tab", u"a\r\n\tb", "\"a\\r\\n\\tb\""},
        {"other control characters", std::u16string(u"a\x01\x1f" u"b"), "\"a\\u0001\\u001fb\""},
        {"DEL passes", u"\x7f", "\"\x7f\""},
        {"non-ASCII as UTF-8", u"Отчёт €", "\"Отчёт €\""},
        {"a surrogate pair as UTF-8", u"\U0001F4C1", "\"\xF0\x9F\x93\x81\""},
        {"a lone high surrogate", std::u16string(1, char16_t(0xD83D)) + u"x", "\"\\ud83dx\""},
        {"a lone low surrogate at the end", u"x" + std::u16string(1, char16_t(0xDC80)), "\"x\\udc80\""},
        {"two high surrogates then a low one", std::u16string{char16_t(0xD83D), char16_t(0xD83D), char16_t(0xDCC1)},
         "\"\\ud83d\xF0\x9F\x93\x81\""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(JsonString(row.text), row.json);
    }
}

// Symbolic links, junctions and tags without a name are listed end to end (tests/e2e),
// named streams and torn records by the image oracle (tests/ntfs/image_oracle.py).
TEST(ListingJson, ErrorFields)
{
    ListingEntry refused{u"/r", std::nullopt, setInvalidReparseStringSize, {0x03, 0, 0, 0xA0, 8, 0, 0, 0, 0, 0, 0xFF, 0, 0, 0, 0, 0},
                         u"", u"", u"", u"", {}};
    EXPECT_TRUE(FormatJsonLine(refused).ends_with("\"code\":8}")) << FormatJsonLine(refused);
    EXPECT_EQ(FormatJsonLine(refused).find("printName"), std::string::npos);

    ListingEntry broken{u"<MFT record 9>", 9, setCreateFileFailed, {}, u"", u"", u"", u"MFT record 9: torn", {}};
    EXPECT_EQ(FormatJsonLine(broken), "{\"path\":\"<MFT record 9>\",\"record\":9,\"error\":\"Can't read reparse point "
                                      "data: CreateFile() failed.\",\"code\":1,\"detail\":\"MFT record 9: torn\"}");
}

TEST(ListingText, PathTagNameAndTargetOrTheErrorLine)
{
    ListingEntry junction{u"/a\nb", std::nullopt, steSuccess, testbuf::MountPoint(u"\\??\\C:\\x", u"C:\\x"),
                          u"\\??\\C:\\x", u"C:\\x", u"C:\\x\r", u"", {}};
    EXPECT_EQ(FormatTextLine(junction), u"/a\uFFFDb\tIO_REPARSE_TAG_MOUNT_POINT\tC:\\x\uFFFD");
    ListingEntry missing{u"/m", std::nullopt, setFileNotFound, {}, u"", u"", u"", u"", {}};
    EXPECT_EQ(FormatTextLine(missing), u"/m\tCan't read reparse point data: file or directory not found.");
    ListingEntry broken{u"/b", 3, setDeviceIOControlFailed, {}, u"", u"", u"", u"a run lies outside the volume", {}};
    EXPECT_EQ(FormatTextLine(broken),
              u"/b\tCan't read reparse point data: DeviceIOControl() failed.\ta run lies outside the volume");
}

}  // namespace
