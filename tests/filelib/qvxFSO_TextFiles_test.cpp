// qvxFSO's text methods and their variant forms, on real files.
#include <gtest/gtest.h>

#include "common/AutomationError.h"
#include "filelib/qvxFSO.h"
#include "support/CodePages.h"
#include "tests/filelib/FileTestSupport.h"

namespace {

using filetest::Bytes;
using filetest::RaisedNumber;
using filetest::ReadBytes;
using filetest::WriteBytes;
namespace fs = std::filesystem;
using namespace std::string_literals;

struct Format {
    FileEncoding_Const encoding;
    FileBOM_Const bom;
    InvertBytes_Const invert;
};

using TextFiles = filetest::TextFileTest;

TEST_F(TextFiles, PutFile2WithOnlyNameAndDataWritesAnsiWithoutMark)
{
    EXPECT_TRUE(fso_.PutFile2(Name("t"), u"Gr\u00FC\u00DF \u20AC\r\n"));
    EXPECT_EQ(ReadBytes(File("t")), (Bytes{0x47, 0x72, 0xFC, 0xDF, 0x20, 0x80, 0x0D, 0x0A}));
}

// The writers over every combination of the three values, Auto included.
TEST_F(TextFiles, WritersResolveAutoAndEncodeEveryCombination)
{
    const Bytes ansi{0x41, 0x42};
    const Bytes utf8{0x41, 0x42};
    const Bytes utf8Bom{0xEF, 0xBB, 0xBF, 0x41, 0x42};
    const Bytes le{0x41, 0x00, 0x42, 0x00};
    const Bytes leBom{0xFF, 0xFE, 0x41, 0x00, 0x42, 0x00};
    const Bytes be{0x00, 0x41, 0x00, 0x42};
    const Bytes beBom{0xFE, 0xFF, 0x00, 0x41, 0x00, 0x42};
    struct Case {
        Format format;
        Bytes expected;
    };
    const Case cases[] = {
        // feAuto is ANSI: the mark and byte order do not matter.
        {{feAuto, fbAuto, ibAuto}, ansi}, {{feAuto, fbAuto, ibDontInvertBytes}, ansi},
        {{feAuto, fbAuto, ibInvertBytes}, ansi}, {{feAuto, fbNoBOM, ibAuto}, ansi},
        {{feAuto, fbNoBOM, ibDontInvertBytes}, ansi}, {{feAuto, fbNoBOM, ibInvertBytes}, ansi},
        {{feAuto, fbBOM, ibAuto}, ansi}, {{feAuto, fbBOM, ibDontInvertBytes}, ansi},
        {{feAuto, fbBOM, ibInvertBytes}, ansi},
        {{feANSI, fbAuto, ibAuto}, ansi}, {{feANSI, fbAuto, ibDontInvertBytes}, ansi},
        {{feANSI, fbAuto, ibInvertBytes}, ansi}, {{feANSI, fbNoBOM, ibAuto}, ansi},
        {{feANSI, fbNoBOM, ibDontInvertBytes}, ansi}, {{feANSI, fbNoBOM, ibInvertBytes}, ansi},
        {{feANSI, fbBOM, ibAuto}, ansi}, {{feANSI, fbBOM, ibDontInvertBytes}, ansi},
        {{feANSI, fbBOM, ibInvertBytes}, ansi},
        // fbAuto is a mark.
        {{feUTF8, fbAuto, ibAuto}, utf8Bom}, {{feUTF8, fbAuto, ibDontInvertBytes}, utf8Bom},
        {{feUTF8, fbAuto, ibInvertBytes}, utf8Bom}, {{feUTF8, fbNoBOM, ibAuto}, utf8},
        {{feUTF8, fbNoBOM, ibDontInvertBytes}, utf8}, {{feUTF8, fbNoBOM, ibInvertBytes}, utf8},
        {{feUTF8, fbBOM, ibAuto}, utf8Bom}, {{feUTF8, fbBOM, ibDontInvertBytes}, utf8Bom},
        {{feUTF8, fbBOM, ibInvertBytes}, utf8Bom},
        // ibAuto is little-endian.
        {{feUTF16, fbAuto, ibAuto}, leBom}, {{feUTF16, fbAuto, ibDontInvertBytes}, leBom},
        {{feUTF16, fbAuto, ibInvertBytes}, beBom}, {{feUTF16, fbNoBOM, ibAuto}, le},
        {{feUTF16, fbNoBOM, ibDontInvertBytes}, le}, {{feUTF16, fbNoBOM, ibInvertBytes}, be},
        {{feUTF16, fbBOM, ibAuto}, leBom}, {{feUTF16, fbBOM, ibDontInvertBytes}, leBom},
        {{feUTF16, fbBOM, ibInvertBytes}, beBom},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.format.encoding << "/" << c.format.bom << "/" << c.format.invert);
        WriteBytes(File("put"), {9, 9, 9, 9, 9, 9, 9, 9, 9});
        EXPECT_TRUE(fso_.PutFile2(Name("put"), u"AB", true, c.format.encoding, c.format.bom, c.format.invert));
        EXPECT_EQ(ReadBytes(File("put")), c.expected);
        WriteBytes(File("over"), {9, 9, 9, 9, 9, 9, 9, 9, 9});
        EXPECT_TRUE(fso_.OverwriteFile2(Name("over"), u"AB", true, c.format.encoding, c.format.bom, c.format.invert));
        EXPECT_EQ(ReadBytes(File("over")), c.expected);
    }
}

TEST_F(TextFiles, ArgumentsOutOfRangeAreErrorFiveBeforeAnyFileWork)
{
    const Format bad[] = {
        {static_cast<FileEncoding_Const>(4), fbAuto, ibAuto},
        {static_cast<FileEncoding_Const>(-1), fbAuto, ibAuto},
        {feAuto, static_cast<FileBOM_Const>(3), ibAuto},
        {feAuto, fbAuto, static_cast<InvertBytes_Const>(-1)},
        {feUTF8, fbBOM, static_cast<InvertBytes_Const>(3)},
    };
    WriteBytes(File("existing"), {0x41});
    for (const auto& f : bad) {
        SCOPED_TRACE(testing::Message() << f.encoding << "/" << f.bom << "/" << f.invert);
        EXPECT_EQ(RaisedNumber([&] { fso_.PutFile2(Name("new"), u"x", false, f.encoding, f.bom, f.invert); }), 5);
        EXPECT_EQ(RaisedNumber([&] { fso_.OverwriteFile2(Name("new"), u"x", false, f.encoding, f.bom, f.invert); }), 5);
        EXPECT_EQ(RaisedNumber([&] { fso_.AppendFile2(Name("new"), u"x", false, f.encoding, f.bom, f.invert); }), 5);
        EXPECT_EQ(RaisedNumber([&] { fso_.AppendFile2(Name("existing"), u"x", false, f.encoding, f.bom, f.invert); }),
                  5);
        bool ok = true;
        // The argument check comes before the missing file is noticed.
        EXPECT_EQ(RaisedNumber([&] { fso_.GetFile2(Name("new"), false, f.encoding, f.bom, f.invert, nullptr, nullptr,
                                                   nullptr, &ok); }),
                  5);
        EXPECT_FALSE(ok);
        EXPECT_FALSE(fs::exists(File("new")));
        EXPECT_EQ(ReadBytes(File("existing")), (Bytes{0x41}));
    }
}

TEST_F(TextFiles, GetFileFormat2ReportsWhatTheFirstBytesSay)
{
    struct Case {
        const char* name;
        Bytes content;
        Format expected;
    };
    const Case cases[] = {
        {"empty", {}, {feANSI, fbNoBOM, ibDontInvertBytes}},
        {"one byte", {0xFF}, {feANSI, fbNoBOM, ibDontInvertBytes}},
        {"FF FE", {0xFF, 0xFE}, {feUTF16, fbBOM, ibDontInvertBytes}},
        {"FE FF", {0xFE, 0xFF}, {feUTF16, fbBOM, ibInvertBytes}},
        {"EF BB", {0xEF, 0xBB}, {feANSI, fbNoBOM, ibDontInvertBytes}},
        {"EF BB BF", {0xEF, 0xBB, 0xBF, 0x41}, {feUTF8, fbBOM, ibDontInvertBytes}},
        {"FF FE 00 00", {0xFF, 0xFE, 0x00, 0x00}, {feUTF16, fbBOM, ibDontInvertBytes}},
        {"UTF-8 without mark", {0xC3, 0xA9, 0x41}, {feANSI, fbNoBOM, ibDontInvertBytes}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(File("f"), c.content);
        FileEncoding_Const e = feAuto;
        FileBOM_Const b = fbAuto;
        InvertBytes_Const i = ibAuto;
        EXPECT_TRUE(fso_.GetFileFormat2(Name("f"), true, &e, &b, &i));
        EXPECT_EQ(e, c.expected.encoding);
        EXPECT_EQ(b, c.expected.bom);
        EXPECT_EQ(i, c.expected.invert);
    }

    FileEncoding_Const e = feUTF8;
    FileBOM_Const b = fbBOM;
    InvertBytes_Const i = ibInvertBytes;
    EXPECT_FALSE(fso_.GetFileFormat2(Name("missing"), false, &e, &b, &i));
    EXPECT_EQ(e, feUTF8);  // left as passed
    EXPECT_EQ(b, fbBOM);
    EXPECT_EQ(i, ibInvertBytes);
    EXPECT_EQ(RaisedNumber([&] { fso_.GetFileFormat2(Name("missing"), true); }), 53);
}

TEST_F(TextFiles, GetFile2ResolvesEachAutoValueFromTheFile)
{
    // Big-endian UTF-16 with mark: FE FF 00 41 00 42, read with every combination.
    WriteBytes(File("be"), {0xFE, 0xFF, 0x00, 0x41, 0x00, 0x42});
    struct Resolved {
        Format format;
        std::u16string text;
    };
    const Resolved results[] = {
        {{feANSI, fbNoBOM, ibDontInvertBytes}, u"\u00FE\u00FF\0A\0B"s},
        {{feUTF8, fbNoBOM, ibDontInvertBytes}, u"\uFFFD\uFFFD\0A\0B"s},
        {{feUTF8, fbBOM, ibDontInvertBytes}, u"A\0B"s},
        {{feUTF16, fbNoBOM, ibDontInvertBytes}, u"\uFFFE\u4100\u4200"},
        {{feUTF16, fbBOM, ibDontInvertBytes}, u"\u4100\u4200"},
        {{feUTF16, fbNoBOM, ibInvertBytes}, u"\uFEFFAB"},
        {{feUTF16, fbBOM, ibInvertBytes}, u"AB"},
    };
    const auto expectedText = [&](Format f) -> std::u16string {
        if (f.encoding == feANSI) return results[0].text;
        for (const auto& r : results)
            if (r.format.encoding == f.encoding && r.format.bom == f.bom &&
                (f.encoding != feUTF16 || r.format.invert == f.invert))
                return r.text;
        ADD_FAILURE() << "no expected text";
        return {};
    };
    for (const auto encoding : {feAuto, feANSI, feUTF8, feUTF16})
        for (const auto bom : {fbAuto, fbNoBOM, fbBOM})
            for (const auto invert : {ibAuto, ibDontInvertBytes, ibInvertBytes}) {
                SCOPED_TRACE(testing::Message() << encoding << "/" << bom << "/" << invert);
                // What the file says: UTF-16, mark, swapped.
                const Format resolved{encoding == feAuto ? feUTF16 : encoding, bom == fbAuto ? fbBOM : bom,
                                      invert == ibAuto ? ibInvertBytes : invert};
                FileEncoding_Const e = feAuto;
                FileBOM_Const b = fbAuto;
                InvertBytes_Const i = ibAuto;
                bool ok = false;
                EXPECT_EQ(fso_.GetFile2(Name("be"), true, encoding, bom, invert, &e, &b, &i, &ok),
                          expectedText(resolved));
                EXPECT_TRUE(ok);
                EXPECT_EQ(e, resolved.encoding);
                EXPECT_EQ(b, resolved.bom);
                EXPECT_EQ(i, resolved.invert);
            }
}

TEST_F(TextFiles, GetFile2EdgeCases)
{
    FileEncoding_Const e = feAuto;
    FileBOM_Const b = fbAuto;
    InvertBytes_Const i = ibAuto;
    bool ok = true;

    // Missing: empty text, no success, outputs untouched; 53 when raising.
    EXPECT_EQ(fso_.GetFile2(Name("missing"), false, feAuto, fbAuto, ibAuto, &e, &b, &i, &ok), u"");
    EXPECT_FALSE(ok);
    EXPECT_EQ(e, feAuto);
    EXPECT_EQ(RaisedNumber([&] { fso_.GetFile2(Name("missing"), true); }), 53);
    EXPECT_FALSE(fs::exists(File("missing")));

    // Empty: the format of an empty file, or the values given.
    WriteBytes(File("empty"), {});
    EXPECT_EQ(fso_.GetFile2(Name("empty"), true, feAuto, fbAuto, ibAuto, &e, &b, &i, &ok), u"");
    EXPECT_TRUE(ok);
    EXPECT_EQ(e, feANSI);
    EXPECT_EQ(b, fbNoBOM);
    EXPECT_EQ(i, ibDontInvertBytes);
    EXPECT_EQ(fso_.GetFile2(Name("empty"), true, feUTF16, fbBOM, ibInvertBytes, &e, &b, &i, &ok), u"");
    EXPECT_TRUE(ok);
    EXPECT_EQ(e, feUTF16);
    EXPECT_EQ(b, fbBOM);
    EXPECT_EQ(i, ibInvertBytes);

    // UTF-16 asked for on an unmarked ANSI file: units, nothing dropped.
    WriteBytes(File("ansi"), {0x41, 0x42, 0x43, 0x44});
    EXPECT_EQ(fso_.GetFile2(Name("ansi"), true, feUTF16, fbAuto, ibAuto, &e, &b, &i), u"\u4241\u4443");
    EXPECT_EQ(b, fbNoBOM);

    // Odd-length big-endian UTF-16 is an error whatever RaiseErrors says.
    WriteBytes(File("odd"), {0xFE, 0xFF, 0x00, 0x41, 0x00});
    ok = true;
    EXPECT_EQ(RaisedNumber([&] { fso_.GetFile2(Name("odd"), false, feAuto, fbAuto, ibAuto, nullptr, nullptr,
                                               nullptr, &ok); }),
              9);
    EXPECT_FALSE(ok);
    // Little-endian leaves the odd byte out.
    WriteBytes(File("oddle"), {0xFF, 0xFE, 0x41, 0x00, 0x42});
    EXPECT_EQ(fso_.GetFile2(Name("oddle")), u"A");
}

TEST_F(TextFiles, NonAsciiTextRoundTripsInEachEncoding)
{
    const std::u16string text = u"Gr\u00FC\u00DFe \u041F\u0440\u0438\u0432\u0435\u0442 \u65E5\u672C \U0001F600\r\nx";
    const Format marked[] = {
        {feUTF8, fbBOM, ibDontInvertBytes}, {feUTF16, fbBOM, ibDontInvertBytes}, {feUTF16, fbBOM, ibInvertBytes}};
    for (const auto& f : marked) {
        SCOPED_TRACE(testing::Message() << f.encoding << "/" << f.invert);
        ASSERT_TRUE(fso_.PutFile2(Name("rt"), text, true, f.encoding, f.bom, f.invert));
        FileEncoding_Const e = feAuto;
        FileBOM_Const b = fbAuto;
        InvertBytes_Const i = ibAuto;
        EXPECT_EQ(fso_.GetFile2(Name("rt"), true, feAuto, fbAuto, ibAuto, &e, &b, &i), text);
        EXPECT_EQ(e, f.encoding);
        EXPECT_EQ(b, fbBOM);
        EXPECT_EQ(i, f.invert);
    }
    // Without a mark the reader has to be told.
    const Format unmarked[] = {
        {feUTF8, fbNoBOM, ibDontInvertBytes}, {feUTF16, fbNoBOM, ibDontInvertBytes}, {feUTF16, fbNoBOM, ibInvertBytes}};
    for (const auto& f : unmarked) {
        SCOPED_TRACE(testing::Message() << f.encoding << "/" << f.invert);
        ASSERT_TRUE(fso_.OverwriteFile2(Name("rt"), text, true, f.encoding, f.bom, f.invert));
        EXPECT_EQ(fso_.GetFile2(Name("rt"), true, f.encoding, f.bom, f.invert), text);
    }
    // ANSI carries what the host's page holds.
    codepages::SetHostCodePages(1251, 866);
    ASSERT_TRUE(fso_.PutFile2(Name("rt"), u"\u041F\u0440\u0438\u0432\u0435\u0442"));
    EXPECT_EQ(ReadBytes(File("rt")), (Bytes{0xCF, 0xF0, 0xE8, 0xE2, 0xE5, 0xF2}));
    EXPECT_EQ(fso_.GetFile2(Name("rt")), u"\u041F\u0440\u0438\u0432\u0435\u0442");
}

TEST_F(TextFiles, AppendFile2ContinuesInTheFilesOwnFormat)
{
    struct Case {
        const char* name;
        bool exists;
        Bytes before;
        Format given;
        std::u16string data;
        Bytes after;
        Format reported;
    };
    const Format allAuto{feAuto, fbAuto, ibAuto};
    const Case cases[] = {
        {"UTF-8 with mark: no second mark", true, {0xEF, 0xBB, 0xBF, 0x41}, allAuto, u"\u00E9",
         {0xEF, 0xBB, 0xBF, 0x41, 0xC3, 0xA9}, {feUTF8, fbBOM, ibDontInvertBytes}},
        {"big-endian UTF-16 with mark", true, {0xFE, 0xFF, 0x00, 0x41}, allAuto, u"B\u0416",
         {0xFE, 0xFF, 0x00, 0x41, 0x00, 0x42, 0x04, 0x16}, {feUTF16, fbBOM, ibInvertBytes}},
        {"little-endian UTF-16 with mark", true, {0xFF, 0xFE, 0x41, 0x00}, allAuto, u"B",
         {0xFF, 0xFE, 0x41, 0x00, 0x42, 0x00}, {feUTF16, fbBOM, ibDontInvertBytes}},
        {"missing file: created in ANSI", false, {}, allAuto, u"\u00E9", {0xE9}, {feANSI, fbBOM, ibDontInvertBytes}},
        {"missing file, UTF-8 asked for: marked", false, {}, {feUTF8, fbAuto, ibAuto}, u"A",
         {0xEF, 0xBB, 0xBF, 0x41}, {feUTF8, fbBOM, ibDontInvertBytes}},
        {"empty file: the format of an empty file", true, {}, allAuto, u"\u00E9", {0xE9},
         {feANSI, fbNoBOM, ibDontInvertBytes}},
        {"empty file, marked UTF-8 asked for: mark written", true, {}, {feUTF8, fbBOM, ibAuto}, u"A",
         {0xEF, 0xBB, 0xBF, 0x41}, {feUTF8, fbBOM, ibDontInvertBytes}},
        {"UTF-8 without mark is taken for ANSI", true, {0xC3, 0xA9}, allAuto, u"\u00E9", {0xC3, 0xA9, 0xE9},
         {feANSI, fbNoBOM, ibDontInvertBytes}},
        {"explicit UTF-8 on a UTF-16 file: no mark", true, {0xFF, 0xFE, 0x41, 0x00}, {feUTF8, fbAuto, ibAuto}, u"B",
         {0xFF, 0xFE, 0x41, 0x00, 0x42}, {feUTF8, fbBOM, ibDontInvertBytes}},
        {"explicit byte order wins", true, {0xFF, 0xFE, 0x41, 0x00}, {feAuto, fbAuto, ibInvertBytes}, u"B",
         {0xFF, 0xFE, 0x41, 0x00, 0x00, 0x42}, {feUTF16, fbBOM, ibInvertBytes}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::error_code ec;
        fs::remove(File("a"), ec);
        if (c.exists) WriteBytes(File("a"), c.before);
        FileEncoding_Const e = feAuto;
        FileBOM_Const b = fbAuto;
        InvertBytes_Const i = ibAuto;
        EXPECT_TRUE(fso_.AppendFile2(Name("a"), c.data, true, c.given.encoding, c.given.bom, c.given.invert, &e, &b, &i));
        EXPECT_EQ(ReadBytes(File("a")), c.after);
        EXPECT_EQ(e, c.reported.encoding);
        EXPECT_EQ(b, c.reported.bom);
        EXPECT_EQ(i, c.reported.invert);
    }
}

TEST_F(TextFiles, AppendFile2WritesNothingWhenTheFileCannotBeRead)
{
    if (filetest::IsRoot()) {
        filetest::RerunAsNobody();
        return;
    }
    WriteBytes(File("locked"), {0x41});
    fs::permissions(File("locked"), fs::perms::owner_write);  // write-only: detection cannot read it
    FileEncoding_Const e = feUTF16;
    EXPECT_FALSE(fso_.AppendFile2(Name("locked"), u"B", false, feAuto, fbAuto, ibAuto, &e));
    EXPECT_EQ(e, feUTF16);
    EXPECT_EQ(RaisedNumber([&] { fso_.AppendFile2(Name("locked"), u"B", true); }), 75);
    fs::permissions(File("locked"), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(ReadBytes(File("locked")), (Bytes{0x41}));

    // A read-only file: detected, then the append fails.
    fs::permissions(File("locked"), fs::perms::owner_read);
    EXPECT_FALSE(fso_.AppendFile2(Name("locked"), u"B"));
    EXPECT_FALSE(fso_.PutFile2(Name("locked"), u"B"));
    EXPECT_EQ(RaisedNumber([&] { fso_.PutFile2(Name("locked"), u"B", true); }), 75);
    EXPECT_EQ(ReadBytes(File("locked")), (Bytes{0x41}));
}

TEST_F(TextFiles, VariantFormsConvertDefaultAndWriteBack)
{
    // GetFileFormat2ByVar: outputs written back as 32-bit integers.
    WriteBytes(File("u8"), {0xEF, 0xBB, 0xBF, 0x41});
    Variant e, b, i;
    Variant r = fso_.GetFileFormat2ByVar(Variant(Name("u8")), Variant::Missing(), &e, &b, &i);
    EXPECT_EQ(r.type(), Variant::Type::Boolean);
    EXPECT_TRUE(r.toBool());
    EXPECT_EQ(e.type(), Variant::Type::Long);
    EXPECT_EQ(e.toLong(), feUTF8);
    EXPECT_EQ(b.toLong(), fbBOM);
    EXPECT_EQ(i.toLong(), ibDontInvertBytes);
    // A failure writes back the converted current values.
    Variant e2(u"3");
    r = fso_.GetFileFormat2ByVar(Variant(Name("missing")), Variant(false), &e2);
    EXPECT_FALSE(r.toBool());
    EXPECT_EQ(e2.type(), Variant::Type::Long);
    EXPECT_EQ(e2.toLong(), 3);
    EXPECT_EQ(RaisedNumber([&] { fso_.GetFileFormat2ByVar(Variant(Name("missing")), Variant(u"True")); }), 53);

    // OverwriteFile2ByVar: omitted arguments are ANSI with a mark (so none).
    EXPECT_TRUE(fso_.OverwriteFile2ByVar(Variant(Name("ow")), Variant(u"\u00E9")).toBool());
    EXPECT_EQ(ReadBytes(File("ow")), (Bytes{0xE9}));
    EXPECT_TRUE(fso_.OverwriteFile2ByVar(Variant(Name("ow")), Variant(std::int32_t{42}), Variant(true),
                                         Variant(u"2"), Variant(2.0))
                    .toBool());
    EXPECT_EQ(ReadBytes(File("ow")), (Bytes{0xEF, 0xBB, 0xBF, 0x34, 0x32}));

    // AppendFile2ByVar reports the resolved format.
    Variant ae, ab, ai;
    EXPECT_TRUE(fso_.AppendFile2ByVar(Variant(Name("ow")), Variant(u"!"), Variant::Missing(), Variant::Missing(),
                                      Variant::Missing(), Variant::Missing(), &ae, &ab, &ai)
                    .toBool());
    EXPECT_EQ(ae.toLong(), feUTF8);
    EXPECT_EQ(ab.toLong(), fbBOM);
    EXPECT_EQ(ai.toLong(), ibDontInvertBytes);
    EXPECT_EQ(ReadBytes(File("ow")), (Bytes{0xEF, 0xBB, 0xBF, 0x34, 0x32, 0x21}));

    // GetFile2ByVar: a string result and lpSuccess back as a Boolean.
    Variant ge, gb, gi, ok(std::int32_t{0});
    Variant text = fso_.GetFile2ByVar(Name("ow"), Variant::Missing(), Variant::Missing(), Variant::Missing(),
                                      Variant::Missing(), &ge, &gb, &gi, &ok);
    EXPECT_EQ(text.type(), Variant::Type::String);
    EXPECT_EQ(text.toString(), u"42!");
    EXPECT_EQ(ok.type(), Variant::Type::Boolean);
    EXPECT_TRUE(ok.toBool());
    EXPECT_EQ(ge.toLong(), feUTF8);
    text = fso_.GetFile2ByVar(Name("missing"), Variant(false), Variant(), Variant(), Variant(), nullptr, nullptr,
                              nullptr, &ok);
    EXPECT_EQ(text.toString(), u"");
    EXPECT_FALSE(ok.toBool());
}

TEST_F(TextFiles, VariantsThatCannotBeConvertedAreTypeMismatchBeforeAnyFileWork)
{
    Variant bad(u"not a number");
    Variant array(Bytes{1});
    EXPECT_EQ(RaisedNumber([&] { fso_.OverwriteFile2ByVar(Variant(Name("n")), Variant(u"x"), Variant(false), bad); }),
              13);
    EXPECT_EQ(RaisedNumber([&] { fso_.OverwriteFile2ByVar(Variant(Name("n")), array); }), 13);
    EXPECT_EQ(RaisedNumber([&] { fso_.AppendFile2ByVar(Variant(Name("n")), Variant(u"x"), bad); }), 13);
    Variant outBad(u"zz");
    EXPECT_EQ(RaisedNumber([&] {
                  fso_.AppendFile2ByVar(Variant(Name("n")), Variant(u"x"), Variant(), Variant(), Variant(), Variant(),
                                        &outBad);
              }),
              13);
    EXPECT_EQ(RaisedNumber([&] { fso_.GetFile2ByVar(Name("n"), Variant(false), bad); }), 13);
    EXPECT_EQ(RaisedNumber([&] { fso_.GetFileFormat2ByVar(array); }), 13);
    EXPECT_FALSE(fs::exists(File("n")));
    // A value out of range after conversion is still error 5.
    EXPECT_EQ(RaisedNumber([&] { fso_.OverwriteFile2ByVar(Variant(Name("n")), Variant(u"x"), Variant(), Variant(7)); }),
              5);
    EXPECT_FALSE(fs::exists(File("n")));
}

}  // namespace
