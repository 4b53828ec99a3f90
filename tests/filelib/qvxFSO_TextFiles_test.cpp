// qvxFSO's text methods and their variant forms, on real files.
#include <gtest/gtest.h>

#include <Hollin0106/AutomationError.h>
#include <Hollin0106/qvxFSO.h>
#include "support/codepages/CodePages.h"
#include "tests/filelib/FileTestSupport.h"

using namespace Hollin0106;

namespace {

using filetest::Bytes;
using filetest::FileFormat;
using filetest::kAllAuto;
using filetest::RaisedNumber;
using filetest::ReadBytes;
using filetest::WriteBytes;
using testing::PrintToString;
namespace fs = std::filesystem;
using namespace std::string_literals;

using TextFiles = filetest::TextFileTest;

// The writers over every combination of the three values, Auto included.
TEST_F(TextFiles, WritersResolveAutoAndEncodeEveryCombination)
{
    const Bytes ansi{0x41, 0x42}, utf8{0x41, 0x42}, utf8Bom{0xEF, 0xBB, 0xBF, 0x41, 0x42};
    const Bytes le{0x41, 0x00, 0x42, 0x00}, leBom{0xFF, 0xFE, 0x41, 0x00, 0x42, 0x00};
    const Bytes be{0x00, 0x41, 0x00, 0x42}, beBom{0xFE, 0xFF, 0x00, 0x41, 0x00, 0x42};
    const FileBOM_Const boms[] = {fbAuto, fbNoBOM, fbBOM};
    const InvertBytes_Const inverts[] = {ibAuto, ibDontInvertBytes, ibInvertBytes};
    // Per encoding, the bytes for each mark value (rows) and byte order (columns) above.
    const struct {
        FileEncoding_Const encoding;
        Bytes expected[3][3];
    } cases[] = {
        // feAuto is ANSI: the mark and byte order do not matter.
        {feAuto, {{ansi, ansi, ansi}, {ansi, ansi, ansi}, {ansi, ansi, ansi}}},
        {feANSI, {{ansi, ansi, ansi}, {ansi, ansi, ansi}, {ansi, ansi, ansi}}},
        // fbAuto is a mark.
        {feUTF8, {{utf8Bom, utf8Bom, utf8Bom}, {utf8, utf8, utf8}, {utf8Bom, utf8Bom, utf8Bom}}},
        // ibAuto is little-endian.
        {feUTF16, {{leBom, leBom, beBom}, {le, le, be}, {leBom, leBom, beBom}}},
    };
    for (const auto& c : cases)
        for (int b = 0; b < 3; ++b)
            for (int i = 0; i < 3; ++i) {
                const FileFormat f{c.encoding, boms[b], inverts[i]};
                SCOPED_TRACE(PrintToString(f));
                WriteBytes(File("put"), {9, 9, 9, 9, 9, 9, 9, 9, 9});
                EXPECT_TRUE(fso_.PutFile2(Name("put"), u"AB", true, f.Encoding, f.FileBOM, f.InvertBytes));
                EXPECT_EQ(ReadBytes(File("put")), c.expected[b][i]);
                WriteBytes(File("over"), {9, 9, 9, 9, 9, 9, 9, 9, 9});
                EXPECT_TRUE(fso_.OverwriteFile2(Name("over"), u"AB", true, f.Encoding, f.FileBOM, f.InvertBytes));
                EXPECT_EQ(ReadBytes(File("over")), c.expected[b][i]);
            }
}

TEST_F(TextFiles, ArgumentsOutOfRangeAreErrorFiveBeforeAnyFileWork)
{
    const FileFormat bad[] = {
        {static_cast<FileEncoding_Const>(4), fbAuto, ibAuto},
        {feAuto, static_cast<FileBOM_Const>(3), ibAuto},
        {feUTF8, fbBOM, static_cast<InvertBytes_Const>(-1)},
    };
    WriteBytes(File("existing"), {0x41});
    for (const auto& f : bad) {
        SCOPED_TRACE(PrintToString(f));
        const auto e = f.Encoding;
        const auto b = f.FileBOM;
        const auto i = f.InvertBytes;
        EXPECT_EQ(RaisedNumber([&] { fso_.PutFile2(Name("new"), u"x", false, e, b, i); }), 5);
        EXPECT_EQ(RaisedNumber([&] { fso_.OverwriteFile2(Name("new"), u"x", false, e, b, i); }), 5);
        EXPECT_EQ(RaisedNumber([&] { fso_.AppendFile2(Name("new"), u"x", false, e, b, i); }), 5);
        EXPECT_EQ(RaisedNumber([&] { fso_.AppendFile2(Name("existing"), u"x", false, e, b, i); }), 5);
        bool ok = true;
        // The argument check comes before the missing file is noticed.
        EXPECT_EQ(RaisedNumber([&] { fso_.GetFile2(Name("new"), false, e, b, i, nullptr, nullptr, nullptr, &ok); }), 5);
        EXPECT_FALSE(ok);
        EXPECT_FALSE(fs::exists(File("new")));
        EXPECT_EQ(ReadBytes(File("existing")), (Bytes{0x41}));
    }
}

// Which marks mean what is the encoding tests' business; here: the file's first bytes
// reach the detection, and a missing file leaves the outputs as passed.
TEST_F(TextFiles, GetFileFormat2ReportsTheFilesMarkOrLeavesTheOutputs)
{
    WriteBytes(File("f"), {0xEF, 0xBB, 0xBF, 0x41});
    FileFormat got = kAllAuto;
    EXPECT_TRUE(fso_.GetFileFormat2(Name("f"), true, FORMAT_OUTPUTS(got)));
    EXPECT_EQ(got, (FileFormat{feUTF8, fbBOM, ibDontInvertBytes}));

    FileFormat passed{feUTF8, fbBOM, ibInvertBytes};
    EXPECT_FALSE(fso_.GetFileFormat2(Name("missing"), false, FORMAT_OUTPUTS(passed)));
    EXPECT_EQ(passed, (FileFormat{feUTF8, fbBOM, ibInvertBytes}));
    EXPECT_EQ(RaisedNumber([&] { fso_.GetFileFormat2(Name("missing"), true); }), 53);
}

// A value given wins; each Auto value is what the file says (UTF-16, marked, high byte
// first).
TEST_F(TextFiles, GetFile2ResolvesEachAutoValueFromTheFile)
{
    WriteBytes(File("be"), {0xFE, 0xFF, 0x00, 0x41, 0x00, 0x42});
    const struct {
        FileFormat given;
        std::u16string text;
        FileFormat reported;
    } cases[] = {
        {kAllAuto, u"AB", {feUTF16, fbBOM, ibInvertBytes}},
        {{feANSI, fbAuto, ibAuto}, u"\u00FE\u00FF\0A\0B"s, {feANSI, fbBOM, ibInvertBytes}},
        {{feUTF8, fbAuto, ibAuto}, u"A\0B"s, {feUTF8, fbBOM, ibInvertBytes}},
        {{feUTF8, fbNoBOM, ibDontInvertBytes}, u"\uFFFD\uFFFD\0A\0B"s, {feUTF8, fbNoBOM, ibDontInvertBytes}},
        {{feUTF16, fbNoBOM, ibAuto}, u"\uFEFFAB", {feUTF16, fbNoBOM, ibInvertBytes}},
        {{feAuto, fbAuto, ibDontInvertBytes}, u"\u4100\u4200", {feUTF16, fbBOM, ibDontInvertBytes}},
        {{feUTF16, fbNoBOM, ibDontInvertBytes}, u"\uFFFE\u4100\u4200", {feUTF16, fbNoBOM, ibDontInvertBytes}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(PrintToString(c.given));
        FileFormat got = kAllAuto;
        bool ok = false;
        EXPECT_EQ(fso_.GetFile2(Name("be"), true, c.given.Encoding, c.given.FileBOM, c.given.InvertBytes,
                                FORMAT_OUTPUTS(got), &ok),
                  c.text);
        EXPECT_TRUE(ok);
        EXPECT_EQ(got, c.reported);
    }
}

TEST_F(TextFiles, GetFile2EdgeCases)
{
    FileFormat got = kAllAuto;
    bool ok = true;

    // Missing: empty text, no success, outputs untouched; 53 when raising.
    EXPECT_EQ(fso_.GetFile2(Name("missing"), false, feAuto, fbAuto, ibAuto, FORMAT_OUTPUTS(got), &ok), u"");
    EXPECT_FALSE(ok);
    EXPECT_EQ(got, kAllAuto);
    EXPECT_EQ(RaisedNumber([&] { fso_.GetFile2(Name("missing"), true); }), 53);
    EXPECT_FALSE(fs::exists(File("missing")));

    // Empty: the format of an empty file, or the values given.
    WriteBytes(File("empty"), {});
    EXPECT_EQ(fso_.GetFile2(Name("empty"), true, feAuto, fbAuto, ibAuto, FORMAT_OUTPUTS(got), &ok), u"");
    EXPECT_TRUE(ok);
    EXPECT_EQ(got, (FileFormat{feANSI, fbNoBOM, ibDontInvertBytes}));
    ok = false;
    EXPECT_EQ(fso_.GetFile2(Name("empty"), true, feUTF16, fbBOM, ibInvertBytes, FORMAT_OUTPUTS(got), &ok), u"");
    EXPECT_TRUE(ok);
    EXPECT_EQ(got, (FileFormat{feUTF16, fbBOM, ibInvertBytes}));

    // UTF-16 asked for on an unmarked ANSI file: units, nothing dropped.
    WriteBytes(File("ansi"), {0x41, 0x42, 0x43, 0x44});
    EXPECT_EQ(fso_.GetFile2(Name("ansi"), true, feUTF16, fbAuto, ibAuto, FORMAT_OUTPUTS(got)), u"\u4241\u4443");
    EXPECT_EQ(got.FileBOM, fbNoBOM);

    // Odd-length big-endian UTF-16 is an error whatever RaiseErrors says.
    WriteBytes(File("odd"), {0xFE, 0xFF, 0x00, 0x41, 0x00});
    ok = true;
    EXPECT_EQ(RaisedNumber([&] {
                  fso_.GetFile2(Name("odd"), false, feAuto, fbAuto, ibAuto, nullptr, nullptr, nullptr, &ok);
              }),
              9);
    EXPECT_FALSE(ok);
}

// The format rules are the encoding tests' business; here: with name and text alone the
// writer uses the host's ANSI page, and ANSI text read and written back keeps every byte.
TEST_F(TextFiles, AnsiTextFollowsTheHostPageAndRoundTrips)
{
    codepages::SetHostCodePages(1251, 866);
    ASSERT_TRUE(fso_.PutFile2(Name("rt"), u"\u041F\u0440\u0438\u0432\u0435\u0442"));
    EXPECT_EQ(ReadBytes(File("rt")), (Bytes{0xCF, 0xF0, 0xE8, 0xE2, 0xE5, 0xF2}));
    EXPECT_EQ(fso_.GetFile2(Name("rt")), u"\u041F\u0440\u0438\u0432\u0435\u0442");
    // Reading and writing ANSI text back keeps every byte, those the page leaves
    // undefined too (Hebrew D9 FB FF).
    codepages::SetHostCodePages(1255, 862);
    const Bytes hebrew{0xE0, 0xD9, 0x41, 0xFB, 0xFF, 0x0D, 0x0A};
    WriteBytes(File("he"), hebrew);
    ASSERT_TRUE(fso_.PutFile2(Name("he"), fso_.GetFile2(Name("he"))));
    EXPECT_EQ(ReadBytes(File("he")), hebrew);
}

TEST_F(TextFiles, AppendFile2ContinuesInTheFilesOwnFormat)
{
    const struct {
        const char* name;
        bool exists;
        Bytes before;
        FileFormat given;
        std::u16string data;
        Bytes after;
        FileFormat reported;
    } cases[] = {
        {"UTF-8 with mark: no second mark", true, {0xEF, 0xBB, 0xBF, 0x41}, kAllAuto, u"\u00E9",
         {0xEF, 0xBB, 0xBF, 0x41, 0xC3, 0xA9}, {feUTF8, fbBOM, ibDontInvertBytes}},
        {"big-endian UTF-16 with mark", true, {0xFE, 0xFF, 0x00, 0x41}, kAllAuto, u"B\u0416",
         {0xFE, 0xFF, 0x00, 0x41, 0x00, 0x42, 0x04, 0x16}, {feUTF16, fbBOM, ibInvertBytes}},
        {"little-endian UTF-16 with mark", true, {0xFF, 0xFE, 0x41, 0x00}, kAllAuto, u"B",
         {0xFF, 0xFE, 0x41, 0x00, 0x42, 0x00}, {feUTF16, fbBOM, ibDontInvertBytes}},
        {"missing file: created in ANSI", false, {}, kAllAuto, u"\u00E9", {0xE9}, {feANSI, fbBOM, ibDontInvertBytes}},
        {"missing file, UTF-8 asked for: marked", false, {}, {feUTF8, fbAuto, ibAuto}, u"A",
         {0xEF, 0xBB, 0xBF, 0x41}, {feUTF8, fbBOM, ibDontInvertBytes}},
        {"empty file: the format of an empty file", true, {}, kAllAuto, u"\u00E9", {0xE9},
         {feANSI, fbNoBOM, ibDontInvertBytes}},
        {"empty file, marked UTF-8 asked for: mark written", true, {}, {feUTF8, fbBOM, ibAuto}, u"A",
         {0xEF, 0xBB, 0xBF, 0x41}, {feUTF8, fbBOM, ibDontInvertBytes}},
        {"UTF-8 without mark is taken for ANSI", true, {0xC3, 0xA9}, kAllAuto, u"\u00E9", {0xC3, 0xA9, 0xE9},
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
        FileFormat got = kAllAuto;
        EXPECT_TRUE(fso_.AppendFile2(Name("a"), c.data, true, c.given.Encoding, c.given.FileBOM, c.given.InvertBytes,
                                     FORMAT_OUTPUTS(got)));
        EXPECT_EQ(ReadBytes(File("a")), c.after);
        EXPECT_EQ(got, c.reported);
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

    // GetFile2ByVar: a string result and lpSuccess back as a Boolean.
    Variant ge, gb, gi, ok(std::int32_t{0});
    Variant text = fso_.GetFile2ByVar(Name("ow"), Variant::Missing(), Variant::Missing(), Variant::Missing(),
                                      Variant::Missing(), &ge, &gb, &gi, &ok);
    EXPECT_EQ(text.type(), Variant::Type::String);
    EXPECT_EQ(text.toString(), u"42");
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
