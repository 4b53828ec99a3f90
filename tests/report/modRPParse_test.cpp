// The report text of any bytes and code, names made safe to show, and the window's driver.
#include "report/modRPParse.h"

#include <gtest/gtest.h>

#include "tests/filelib/ReparseBuffers.h"

using namespace Hollin0106;

namespace {

using modRPParse::Frontend;
using modRPParse::FormatReparseReport;
using modRPParse::ReparseRead;

constexpr char16_t kTotal[] = u"\r\n\r\nTotal reparse data size: ";

TEST(FormatReparseReport, NoBytesGiveTheErrorLineOfTheCode)
{
    const struct {
        const char* name;
        Frontend frontend;
        SymlinkTargetError_Const code;
        std::u16string expected;
    } cases[] = {
        {"window: path and blank line first", Frontend::Window, setFileNotFound,
         u"/m/x\r\n\r\nCan't read reparse point data: file or directory not found."},
        {"a code without a text ends the line", Frontend::Console, static_cast<SymlinkTargetError_Const>(10),
         u"Can't read reparse point data."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FormatReparseReport(c.frontend, u"/m/x", ReparseRead{c.code, {}, u"ignored", u"ignored"}), c.expected);
    }
}

TEST(FormatReparseReport, BytesGiveTheFullReportWhateverTheCode)
{
    // The print name runs past the end: the reader says 8 but has the substitute name.
    testbuf::Bytes bad = testbuf::Symlink(u"ab", u"cd", 0);
    bad[14] = 200;
    const std::u16string text = FormatReparseReport(Frontend::Console, u"/m/x", {setInvalidReparseStringSize, bad, u"ab", u""});
    EXPECT_TRUE(text.starts_with(u"File name: /m/x\r\n\r\nReparse tag: IO_REPARSE_TAG_SYMLINK (0xA000000C)\r\n"));
    EXPECT_NE(text.find(u"\r\n\r\nSubstitute name:\r\nab\r\n\r\nFlags: 0x00000000\r\n\r\n0000: 0C 00 00 A0"), std::u16string::npos);
    EXPECT_TRUE(text.ends_with(kTotal + std::u16string(u"32 bytes")));
}

TEST(FormatReparseReport, FewerThanFourBytesGiveNoHeaderBlock)
{
    for (const Frontend frontend : {Frontend::Console, Frontend::Window})
        EXPECT_EQ(FormatReparseReport(frontend, u"/m/x", {setInvalidReparseDataSize, {0x41, 0x0D, 0x0A}, u"", u""}),
                  u"File name: /m/x\r\n\r\n0000: 41 0D 0A" + std::u16string(39, u' ') + u"  A.." + kTotal + u"3 bytes");
}

// Escape sequences and CR LF in names are checked end to end (tests/e2e); here DEL, C1
// controls and U+00A0, which is no control, in the names and in the path.
TEST(FormatReparseReport, ControlCharactersInNamesAndPathShowAsReplacementCharacters)
{
    const std::u16string name = u"C:\\x\x7F\x85\u00A0", shown = u"C:\\x\uFFFD\uFFFD\u00A0";
    const testbuf::Bytes data = testbuf::Symlink(name, name, 0);
    const std::u16string text = FormatReparseReport(Frontend::Console, u"/m/\tx\x9B", {steSuccess, data, name, name});
    EXPECT_TRUE(text.starts_with(u"File name: /m/\uFFFDx\uFFFD\r\n"));
    EXPECT_NE(text.find(u"Substitute name:\r\n" + shown + u"\r\n\r\nPrint name:\r\n" + shown + u"\r\n"),
              std::u16string::npos);
    EXPECT_EQ(FormatReparseReport(Frontend::Window, u"/m/\x1B", {setFileNotFound, {}, u"", u""}).substr(0, 4),
              u"/m/\uFFFD");
}

// A sink that fails (an output that cannot be written) does not stop the report; the
// progress lines and the path made full are checked through the window program
// (tests/window) and the console's reports end to end (tests/e2e).
TEST(ReportDriver, AFailingSinkDoesNotStopTheReport)
{
    std::u16string text = u"stale";
    std::vector<std::uint8_t> data = {1};
    modRPParse::BuildReparseReport(
        Frontend::Window, u"", [](const std::u16string&) { throw std::runtime_error("no output"); }, text, data);
    EXPECT_EQ(text, u"\r\n\r\nCan't read reparse point data: file or directory not found.");
    EXPECT_TRUE(data.empty());
}

}  // namespace
