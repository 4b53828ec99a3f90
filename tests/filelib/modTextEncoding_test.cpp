// Format detection, the byte-pair swap and the text encoding rules, against hand-written
// byte sequences.
#include "filelib/modTextEncoding.h"

#include <gtest/gtest.h>

#include "tests/filelib/FileTestSupport.h"

using namespace filetest;
using namespace modTextEncoding;

namespace {

using TextEncoding = WesternCodePages;

constexpr FileFormat kAnsi{feANSI, fbNoBOM, ibDontInvertBytes};
constexpr FileFormat kUtf8Bom{feUTF8, fbBOM, ibDontInvertBytes};
constexpr FileFormat kUtf16LeBom{feUTF16, fbBOM, ibDontInvertBytes};
constexpr FileFormat kUtf16BeBom{feUTF16, fbBOM, ibInvertBytes};

TEST_F(TextEncoding, DetectsTheThreeMarksFromTheFirstBytesOnly)
{
    struct Case {
        const char* name;
        Bytes bytes;
        std::int32_t count;
        FileFormat expected;
    };
    const Case cases[] = {
        {"empty", {}, 0, kAnsi},
        {"FF FE", {0xFF, 0xFE}, 2, kUtf16LeBom},
        {"FE FF", {0xFE, 0xFF}, 2, kUtf16BeBom},
        {"EF BB BF", {0xEF, 0xBB, 0xBF}, 3, kUtf8Bom},
        {"FF FE 00 00 is UTF-16 LE", {0xFF, 0xFE, 0x00, 0x00}, 3, kUtf16LeBom},
        {"UTF-16 tested before UTF-8", {0xFE, 0xFF, 0xBF}, 3, kUtf16BeBom},
        {"UTF-8 mark not tested with count 2", {0xEF, 0xBB, 0xBF}, 2, kAnsi},
        {"count below 2 tests nothing", {0xFF, 0xFE, 0x41}, 1, kAnsi},
        {"count larger than 3 looks at 3", {0xEF, 0xBB, 0xBF, 0x41, 0x42}, 5, kUtf8Bom},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DetectFileFormat(c.bytes, c.count), c.expected);
    }
}

TEST_F(TextEncoding, ABadCountOrAnOddPairIsAnErrorAutoValuesAreNoFormat)
{
    EXPECT_EQ(RaisedNumber([] { DetectFileFormat(Bytes{0xFF, 0xFE}, 3); }), 9);
    EXPECT_EQ(RaisedNumber([] { DetectFileFormat(Bytes{}, 1); }), 9);
    Bytes odd{1, 2, 3, 4, 5};
    EXPECT_EQ(RaisedNumber([&] { modTextEncoding::SwapBytePairs(odd); }), 9);
    EXPECT_EQ(odd, (Bytes{2, 1, 4, 3, 5})) << "the pairs swapped before the error";
    EXPECT_EQ(RaisedNumber([] { EncodeText(u"x", {feAuto, fbBOM, ibDontInvertBytes}); }), 5);
    EXPECT_EQ(RaisedNumber([] { DecodeText(Bytes{0x41}, {feANSI, fbAuto, ibDontInvertBytes}); }), 5);
}

TEST_F(TextEncoding, EncodesNonAsciiText)
{
    // é, €, Ж, and U+1F600 as a surrogate pair.
    const std::u16string text = u"\u00E9\u20AC\u0416\U0001F600";
    struct Case {
        const char* name;
        FileFormat format;
        Bytes expected;
    };
    const Case cases[] = {
        {"ANSI 1252: what the page lacks becomes ?", kAnsi, {0xE9, 0x80, 0x3F, 0x3F}},
        {"UTF-8", {feUTF8, fbNoBOM, ibDontInvertBytes},
         {0xC3, 0xA9, 0xE2, 0x82, 0xAC, 0xD0, 0x96, 0xF0, 0x9F, 0x98, 0x80}},
        {"UTF-16 LE", {feUTF16, fbNoBOM, ibDontInvertBytes}, {0xE9, 0x00, 0xAC, 0x20, 0x16, 0x04, 0x3D, 0xD8, 0x00, 0xDE}},
        {"UTF-16 BE with mark", kUtf16BeBom,
         {0xFE, 0xFF, 0x00, 0xE9, 0x20, 0xAC, 0x04, 0x16, 0xD8, 0x3D, 0xDE, 0x00}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(EncodeText(text, c.format), c.expected);
    }
    // An unpaired surrogate cannot be UTF-8: it becomes U+FFFD.
    EXPECT_EQ(EncodeText(u"a\xD800z", {feUTF8, fbNoBOM, ibDontInvertBytes}), (Bytes{0x61, 0xEF, 0xBF, 0xBD, 0x7A}));
}

TEST_F(TextEncoding, DecodesByTheRulesAndDropsMarksByPosition)
{
    struct Case {
        const char* name;
        Bytes bytes;
        FileFormat format;
        std::u16string expected;
    };
    const Case cases[] = {
        {"ANSI keeps mark bytes as characters", {0xEF, 0xBB, 0xBF, 0x41}, {feANSI, fbBOM, ibDontInvertBytes},
         u"\u00EF\u00BB\u00BFA"},
        {"UTF-8 with mark", {0xEF, 0xBB, 0xBF, 0xC3, 0xA9}, kUtf8Bom, u"\u00E9"},
        {"UTF-8 mark asked for but absent: three bytes lost", {0x41, 0x42, 0x43, 0x44}, kUtf8Bom, u"D"},
        {"UTF-8 mark asked for, fewer than three bytes", {0x41, 0x42}, kUtf8Bom, u""},
        {"UTF-8 without mark keeps U+FEFF", {0xEF, 0xBB, 0xBF, 0x41}, {feUTF8, fbNoBOM, ibDontInvertBytes},
         u"\uFEFFA"},
        {"ill-formed UTF-8", {0x41, 0xFF, 0x42}, {feUTF8, fbNoBOM, ibDontInvertBytes}, u"A\uFFFDB"},
        {"UTF-16 LE with mark", {0xFF, 0xFE, 0x41, 0x00, 0x16, 0x04}, kUtf16LeBom, u"A\u0416"},
        {"UTF-16 mark asked for but absent: first character lost", {0x41, 0x00, 0x42, 0x00}, kUtf16LeBom, u"B"},
        {"UTF-16 LE odd length: last byte left out", {0x41, 0x00, 0x42}, {feUTF16, fbNoBOM, ibDontInvertBytes},
         u"A"},
        {"UTF-16 BE with mark", {0xFE, 0xFF, 0x00, 0x41, 0x04, 0x16}, kUtf16BeBom, u"A\u0416"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeText(c.bytes, c.format), c.expected);
    }
}

// A file is decoded as it is read, in pieces of any size: every split of every prefix of
// the samples must give the text of the whole, without reading past its end.
TEST_F(TextEncoding, DecodingEveryPrefixInPiecesEqualsDecodingTheWhole)
{
    const Bytes samples[] = {
        {0xEF, 0xBB, 0xBF, 0xF0, 0x9F, 0x98, 0x80, 0xC3, 0xA9, 0xE2, 0x82, 0xAC, 0x41},
        {0x41, 0xE2, 0x82, 0x41, 0xF0, 0x9F, 0xC3, 0xA9, 0xED, 0xA0, 0x80, 0xFF, 0xC0, 0xAF, 0xF4, 0x90, 0x80, 0x80},
        {0xFE, 0xFF, 0xD8, 0x3D, 0xDE, 0x00, 0x00, 0x41, 0x04},
        {0xFF, 0xFE, 0x3D, 0xD8, 0x00, 0xDE, 0x41, 0x00},
        {0x80, 0x81, 0x8D, 0xE9, 0xFF, 0x00, 0x41},
    };
    for (const Bytes& sample : samples)
        for (std::size_t n = 0; n <= sample.size(); ++n) {
            const std::span<const std::uint8_t> prefix(sample.data(), n);
            (void)DetectFileFormat(prefix, static_cast<std::int32_t>(n));
            for (const auto encoding : {feANSI, feUTF8, feUTF16})
                for (const auto bom : {fbNoBOM, fbBOM})
                    for (const auto invert : {ibDontInvertBytes, ibInvertBytes}) {
                        const FileFormat format{encoding, bom, invert};
                        SCOPED_TRACE(testing::Message() << testing::PrintToString(format) << " of " << n << " bytes");
                        const bool odd = encoding == feUTF16 && invert == ibInvertBytes && n % 2 == 1;
                        if (odd) {
                            EXPECT_EQ(RaisedNumber([&] { DecodeText(prefix, format); }), 9);
                        }
                        for (std::size_t piece = 1; piece <= 5; ++piece) {
                            modTextEncoding::TextDecoder decoder(format);
                            for (std::size_t at = 0; at < n; at += piece)
                                decoder.Feed(prefix.subspan(at, std::min(piece, n - at)));
                            EXPECT_EQ(decoder.OddBigEndian(), odd);
                            if (odd) {
                                EXPECT_EQ(RaisedNumber([&] { decoder.Finish(); }), 9) << "piece " << piece;
                            } else {
                                EXPECT_EQ(decoder.Finish(), DecodeText(prefix, format)) << "piece " << piece;
                            }
                        }
                    }
        }
}

// The encoder hands out pieces of 2^17 units; a surrogate pair on the border stays whole.
TEST_F(TextEncoding, APairOnAPieceBorderStaysWhole)
{
    std::u16string text(131071, u'a');
    text += u"\U0001F600b";
    Bytes utf8(131071, 0x61);
    for (const std::uint8_t b : {0xF0, 0x9F, 0x98, 0x80, 0x62}) utf8.push_back(b);
    EXPECT_EQ(EncodeText(text, {feUTF8, fbNoBOM, ibDontInvertBytes}), utf8);

    modTextEncoding::TextEncoder encoder(text, {feUTF16, fbBOM, ibInvertBytes});
    std::size_t pieces = 0;
    while (!encoder.Next().empty()) ++pieces;
    EXPECT_GT(pieces, 2u) << "the mark, then the text in pieces";
}

}  // namespace
