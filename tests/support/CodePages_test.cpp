// Conversion through the code pages on each backend, their override, and the text helpers.
#include "support/codepages/CodePages.h"

#include <gtest/gtest.h>

#include "support/quovixsupport.h"
#include "tests/filelib/FileTestSupport.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class CodePages : public ::testing::Test {
protected:
    void TearDown() override { codepages::SetHostCodePages(0, 0); }
};

TEST_F(CodePages, TheOverrideReplacesTheLocaleAndRefusesUnknownPages)
{
    codepages::SetHostCodePages(1251, 866);
    EXPECT_EQ(codepages::HostAnsiCodePage(), 1251u);
    EXPECT_EQ(codepages::HostOemCodePage(), 866u);
    EXPECT_EQ(filetest::RaisedNumber([] { codepages::SetHostCodePages(1252, 99999); }), 5);
    EXPECT_EQ(filetest::RaisedNumber([] { codepages::Decoder decoder(99999); }), 5);
    EXPECT_FALSE(codepages::IsSupportedCodePage(0) || codepages::IsSupportedCodePage(99999));
    EXPECT_EQ(codepages::HostAnsiCodePage(), 1251u);
    EXPECT_EQ(codepages::HostOemCodePage(), 866u);
}

TEST_F(CodePages, ConvertsAndReplacesWhatThePageCannotHold)
{
    const struct {
        const char* name;
        std::uint32_t page;
        std::u16string text;
        Bytes bytes;
        bool lossy = false;  // "?" for what the page lacks: no way back
    } cases[] = {
        {"1252", 1252, u"Gr\u00FC\u00DF \u20AC", {0x47, 0x72, 0xFC, 0xDF, 0x20, 0x80}},
        {"437", 437, u"\u00FC\u00E9\u2591", {0x81, 0x82, 0xB0}},
        {"932", 932, u"\u65E5\u672C", {0x93, 0xFA, 0x96, 0x7B}},
        {"65001", 65001, u"\u20AC\U0001F600", {0xE2, 0x82, 0xAC, 0xF0, 0x9F, 0x98, 0x80}},
        {"1252 lacks Cyrillic and emoji", 1252, u"\u0416\U0001F600x", {0x3F, 0x3F, 0x78}, true},
        {"932 lacks the accent", 932, u"\u0416\u00E9", {0x84, 0x47, 0x3F}, true},
        {"default-ignorable characters do not vanish", 1252, u"a\u200Bb\uFEFF", {0x61, 0x3F, 0x62, 0x3F}, true},
        {"a lone surrogate in UTF-8", 65001, u"a\xD800" u"b", {0x61, 0x3F, 0x62}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes out{0x7E};  // Encode appends
        codepages::Encode(c.text, c.page, out);
        Bytes expected{0x7E};
        expected.insert(expected.end(), c.bytes.begin(), c.bytes.end());
        EXPECT_EQ(out, expected);
        if (!c.lossy) EXPECT_EQ(codepages::Decode(c.bytes, c.page), c.text);
    }
}

// Every byte of a single-byte page is a character and comes back as itself, the bytes
// the page leaves undefined too (Greek D2 FF, Hebrew CA D9-DF FB FC FF, Baltic A1 A5),
// as Windows has it; so ANSI text read and written again keeps every byte.
TEST_F(CodePages, EveryByteOfASingleBytePageRoundTrips)
{
    Bytes all(256);
    for (int i = 0; i < 256; ++i) all[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    for (const std::uint32_t page : {1252u, 1251u, 1253u, 1255u, 1257u, 437u, 866u, 775u}) {
        SCOPED_TRACE(page);
        const std::u16string text = codepages::Decode(all, page);
        EXPECT_EQ(text.find(u'\uFFFD'), std::u16string::npos);
        Bytes back;
        codepages::Encode(text, page, back);
        EXPECT_EQ(back, all);
    }
    // The characters Windows gives undefined bytes.
    const struct {
        std::uint32_t page;
        std::uint8_t byte;
        char16_t character;
    } windows[] = {{1252, 0x81, 0x0081}, {1253, 0xD2, 0xF8FA}, {1255, 0xD9, 0xF88D}, {1257, 0xA5, 0xF8FD}};
    for (const auto& w : windows) {
        SCOPED_TRACE(w.page);
        EXPECT_EQ(codepages::Decode(Bytes{w.byte}, w.page), std::u16string(1, w.character));
    }
}

TEST_F(CodePages, StrConvGoesThroughTheHostsAnsiPage)
{
    codepages::SetHostCodePages(1251, 866);
    EXPECT_EQ(asStrConvB(u"\u0416A"), (Bytes{0xC6, 0x41}));
    EXPECT_EQ(asStrConvW(Bytes{0xC6, 0x41}), u"\u0416A");
    // The three characters whose ANSI codes are 239, 187, 191 give the UTF-8 mark.
    codepages::SetHostCodePages(1252, 437);
    EXPECT_EQ(asStrConvB(u"\u00EF\u00BB\u00BF"), (Bytes{0xEF, 0xBB, 0xBF}));
}

TEST_F(CodePages, OemToAnsiReinterpretsAndTheRoundTripLosesOnlyWhatOemCannotHold)
{
    codepages::SetHostCodePages(1252, 437);
    const std::u16string text = u"\u00FC\u00E9 \u20AC \u00BE";  // 437 has no € and no ¾
    EXPECT_EQ(asOemToAnsi(asAnsiToOem(text)), u"\u00FC\u00E9 ? ?");
    // Bytes the ANSI page leaves undefined are OEM letters all the same.
    codepages::SetHostCodePages(1257, 775);
    EXPECT_EQ(asOemToAnsi(asStrConvW(Bytes{0xA1, 0xA5})), u"\u012A\u017A");
}

TEST_F(CodePages, StreamingConvertersPutSplitCharactersTogether)
{
    // Shift-JIS and UTF-8 split inside each character; a pair split across text pieces.
    for (const std::uint32_t page : {932u, 1252u, 65001u}) {
        SCOPED_TRACE(page);
        const std::u16string text = page == 1252 ? u"\u00E9x" : page == 932 ? u"\u65E5\u672C" : u"\u65E5\U0001F600";
        Bytes whole;
        codepages::Encode(text, page, whole);
        for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
            codepages::Decoder decoder(page);
            std::u16string out;
            decoder.Decode(std::span(whole).first(cut), false, out);
            decoder.Decode(std::span(whole).subspan(cut), true, out);
            EXPECT_EQ(out, text) << cut;
        }
    }
    for (const std::uint32_t page : {932u, 1252u}) {
        codepages::Encoder encoder(page);
        Bytes out;
        encoder.Encode(u"a\xD83D", false, out);
        encoder.Encode(u"\xDE00" u"b" u"\xD800", false, out);
        encoder.Encode(u"", true, out);
        EXPECT_EQ(out, (Bytes{0x61, 0x3F, 0x62, 0x3F})) << page;
    }
}

TEST(TextHelpers, TrimTakesBlanksAndTabsOnly)
{
    const struct {
        std::u16string in;
        std::u16string out;
    } trims[] = {
        {u"  a b\t", u"a b"}, {u"\t\t", u""}, {u"\u00A0x\u00A0", u"\u00A0x\u00A0"},
    };
    for (const auto& t : trims) EXPECT_EQ(asTrimEx(t.in), t.out);
}

}  // namespace
