// qvxFSO's text methods and their variant forms, on real files.
#include <gtest/gtest.h>

#include <Hollin0106/qvxFSO.h>
#include "support/codepages/CodePages.h"
#include "tests/filelib/FileTestSupport.h"

using namespace filetest;

namespace {

using testing::PrintToString;
using TextFiles = TextFileTest;

// Auto resolves to ANSI, a mark, little-endian; ANSI ignores the mark and byte order.
// (UTF-8 without a mark and UTF-16 with every other value Auto: the automation client.)
TEST_F(TextFiles, WritersResolveAutoAndEncode)
{
    const struct {
        FileFormat f;
        Bytes expected;
    } rows[] = {
        {kAllAuto, {0x41, 0x42}},
        {{feANSI, fbBOM, ibInvertBytes}, {0x41, 0x42}},
        {{feUTF8, fbAuto, ibInvertBytes}, {0xEF, 0xBB, 0xBF, 0x41, 0x42}},
        {{feUTF16, fbBOM, ibInvertBytes}, {0xFE, 0xFF, 0x00, 0x41, 0x00, 0x42}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(PrintToString(row.f));
        WriteBytes(File("put"), Bytes(9, 9));
        EXPECT_TRUE(fso_.PutFile2(Name("put"), u"AB", true, row.f.Encoding, row.f.FileBOM, row.f.InvertBytes));
        EXPECT_EQ(ReadBytes(File("put")), row.expected);
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
        EXPECT_EQ(RaisedNumber([&] {
                      fso_.AppendFile2(Name("existing"), u"x", false, f.Encoding, f.FileBOM, f.InvertBytes);
                  }),
                  5);
        EXPECT_EQ(RaisedNumber([&] { fso_.GetFile2(Name("new"), false, f.Encoding, f.FileBOM, f.InvertBytes); }), 5);
        EXPECT_FALSE(fs::exists(File("new")));
        EXPECT_EQ(ReadBytes(File("existing")), (Bytes{0x41}));
    }
}

// A value given wins (the encoding and the byte order: the writers' and appending rows);
// each Auto value is what the file says (UTF-16, marked, high byte first).
TEST_F(TextFiles, GetFile2ResolvesEachAutoValueFromTheFile)
{
    WriteBytes(File("be"), {0xFE, 0xFF, 0x00, 0x41, 0x00, 0x42});
    const struct {
        FileFormat given;
        std::u16string text;
        FileFormat reported;
    } cases[] = {
        {kAllAuto, u"AB", {feUTF16, fbBOM, ibInvertBytes}},
        {{feUTF16, fbNoBOM, ibAuto}, u"\uFEFFAB", {feUTF16, fbNoBOM, ibInvertBytes}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(PrintToString(c.given));
        FileFormat got = kAllAuto;
        EXPECT_EQ(fso_.GetFile2(Name("be"), true, c.given.Encoding, c.given.FileBOM, c.given.InvertBytes,
                                FORMAT_OUTPUTS(got)),
                  c.text);
        EXPECT_EQ(got, c.reported);
    }
}

TEST_F(TextFiles, GetFile2EdgeCases)
{
    FileFormat got = kAllAuto;
    bool ok = true;
    EXPECT_EQ(fso_.GetFile2(Name("missing"), false, feAuto, fbAuto, ibAuto, FORMAT_OUTPUTS(got), &ok), u"");
    EXPECT_FALSE(ok);
    EXPECT_EQ(got, kAllAuto);

    WriteBytes(File("empty"), {});
    EXPECT_EQ(fso_.GetFile2(Name("empty"), true, feAuto, fbAuto, ibAuto, FORMAT_OUTPUTS(got), &ok), u"");
    EXPECT_TRUE(ok);
    EXPECT_EQ(got, (FileFormat{feANSI, fbNoBOM, ibDontInvertBytes}));

    // GetFileFormat2 leaves the outputs of a missing file as passed.
    FileFormat passed{feUTF8, fbBOM, ibInvertBytes};
    EXPECT_FALSE(fso_.GetFileFormat2(Name("missing"), false, FORMAT_OUTPUTS(passed)));
    EXPECT_EQ(passed, (FileFormat{feUTF8, fbBOM, ibInvertBytes}));

    // Odd-length big-endian UTF-16 is an error whatever RaiseErrors says.
    WriteBytes(File("odd"), {0xFE, 0xFF, 0x00, 0x41, 0x00});
    EXPECT_EQ(RaisedNumber([&] {
                  fso_.GetFile2(Name("odd"), false, feAuto, fbAuto, ibAuto, nullptr, nullptr, nullptr, &ok);
              }),
              9);
    EXPECT_FALSE(ok);
}

// With name and text alone the writer and the reader use the host's ANSI page (that its
// undefined bytes round-trip is the code-page tests' and the text fuzz corpus's check).
TEST_F(TextFiles, AnsiTextFollowsTheHostPage)
{
    codepages::SetHostCodePages(1251, 866);
    ASSERT_TRUE(fso_.PutFile2(Name("rt"), u"\u041F\u0440\u0438"));
    EXPECT_EQ(ReadBytes(File("rt")), (Bytes{0xCF, 0xF0, 0xE8}));
    EXPECT_EQ(fso_.GetFile2(Name("rt")), u"\u041F\u0440\u0438");
}

TEST_F(TextFiles, AppendFile2ContinuesInTheFilesOwnFormat)
{
    const struct {
        const char* name;
        bool exists;
        Bytes before;
        FileFormat given;
        Bytes after;
        FileFormat reported;
    } cases[] = {
        {"UTF-8 with mark: no second mark", true, {0xEF, 0xBB, 0xBF, 0x41}, kAllAuto,
         {0xEF, 0xBB, 0xBF, 0x41, 0xC3, 0xA9}, {feUTF8, fbBOM, ibDontInvertBytes}},
        {"big-endian UTF-16 with mark", true, {0xFE, 0xFF, 0x00, 0x41}, kAllAuto, {0xFE, 0xFF, 0x00, 0x41, 0x00, 0xE9},
         {feUTF16, fbBOM, ibInvertBytes}},
        {"missing file: created in ANSI", false, {}, kAllAuto, {0xE9}, {feANSI, fbBOM, ibDontInvertBytes}},
        {"empty file, marked UTF-8 asked for: mark written", true, {}, {feUTF8, fbBOM, ibAuto},
         {0xEF, 0xBB, 0xBF, 0xC3, 0xA9}, {feUTF8, fbBOM, ibDontInvertBytes}},
        {"explicit UTF-8 on a UTF-16 file: no mark", true, {0xFF, 0xFE, 0x41, 0x00}, {feUTF8, fbAuto, ibAuto},
         {0xFF, 0xFE, 0x41, 0x00, 0xC3, 0xA9}, {feUTF8, fbBOM, ibDontInvertBytes}},
        {"explicit byte order wins", true, {0xFF, 0xFE, 0x41, 0x00}, {feAuto, fbAuto, ibInvertBytes},
         {0xFF, 0xFE, 0x41, 0x00, 0x00, 0xE9}, {feUTF16, fbBOM, ibInvertBytes}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::error_code ec;
        fs::remove(File("a"), ec);
        if (c.exists) WriteBytes(File("a"), c.before);
        FileFormat got = kAllAuto;
        EXPECT_TRUE(fso_.AppendFile2(Name("a"), u"\u00E9", true, c.given.Encoding, c.given.FileBOM,
                                     c.given.InvertBytes, FORMAT_OUTPUTS(got)));
        EXPECT_EQ(ReadBytes(File("a")), c.after);
        EXPECT_EQ(got, c.reported);
    }
}

TEST_F(TextFiles, AppendFile2WritesNothingWhenTheFileCannotBeRead)
{
    if (IsRoot()) {
        RerunAsNobody();
        return;
    }
    WriteBytes(File("locked"), {0x41});
    fs::permissions(File("locked"), fs::perms::owner_write);  // write-only: detection cannot read it
    FileEncoding_Const e = feUTF16;
    EXPECT_FALSE(fso_.AppendFile2(Name("locked"), u"B", false, feAuto, fbAuto, ibAuto, &e));
    EXPECT_EQ(e, feUTF16);
    EXPECT_EQ(RaisedNumber([&] { fso_.AppendFile2(Name("locked"), u"B", true); }), 75);
    fs::permissions(File("locked"), fs::perms::owner_read);
    EXPECT_EQ(ReadBytes(File("locked")), (Bytes{0x41}));
}

// The variant forms: omitted arguments take the defaults (ANSI with a mark, so none), the
// outputs come back as 32-bit integers and a Boolean, even on failure; what cannot be
// converted is a type mismatch, and a converted value out of range error 5, before any file work.
TEST_F(TextFiles, VariantFormsConvertDefaultAndWriteBack)
{
    EXPECT_TRUE(fso_.OverwriteFile2ByVar(Variant(Name("ow")), Variant(u"\u00E9")).toBool());
    EXPECT_EQ(ReadBytes(File("ow")), (Bytes{0xE9}));
    EXPECT_TRUE(fso_.OverwriteFile2ByVar(Variant(Name("ow")), Variant(std::int32_t{42}), Variant(true),
                                         Variant(u"2"), Variant(2.0))
                    .toBool());
    EXPECT_EQ(ReadBytes(File("ow")), (Bytes{0xEF, 0xBB, 0xBF, 0x34, 0x32}));
    Variant e, ok(std::int32_t{0});
    const Variant text = fso_.GetFile2ByVar(Name("ow"), Variant::Missing(), Variant::Missing(), Variant::Missing(),
                                            Variant::Missing(), &e, nullptr, nullptr, &ok);
    EXPECT_EQ(text.toString(), u"42");
    EXPECT_EQ(ok.type(), Variant::Type::Boolean);
    EXPECT_EQ(e.type(), Variant::Type::Long);
    EXPECT_EQ(e.toLong(), feUTF8);
    Variant e2(u"3");
    EXPECT_FALSE(fso_.GetFileFormat2ByVar(Variant(Name("missing")), Variant(false), &e2).toBool());
    EXPECT_EQ(e2.type(), Variant::Type::Long);

    EXPECT_EQ(RaisedNumber([&] { fso_.OverwriteFile2ByVar(Variant(Name("n")), Variant(u"x"), Variant(), Variant(u"?")); }),
              13);
    EXPECT_EQ(RaisedNumber([&] { fso_.OverwriteFile2ByVar(Variant(Name("n")), Variant(Bytes{1})); }), 13);
    EXPECT_EQ(RaisedNumber([&] { fso_.OverwriteFile2ByVar(Variant(Name("n")), Variant(u"x"), Variant(), Variant(7)); }),
              5);
    EXPECT_FALSE(fs::exists(File("n")));
}

}  // namespace
