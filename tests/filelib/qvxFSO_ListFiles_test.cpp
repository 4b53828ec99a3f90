// List files: both readers, their filters, the line splitters and the keyed collection.
#include <gtest/gtest.h>

#include <functional>

#include <Hollin0106/Collection.h>
#include <Hollin0106/qvxFSO.h>
#include "tests/filelib/FileTestSupport.h"

using namespace filetest;

namespace {

using Entries = std::vector<std::u16string>;

// The entries, each checked to be reachable under its 1-based position, by index and by key.
Entries KeyedEntriesOf(const std::shared_ptr<Collection>& list)
{
    if (!list) {
        ADD_FAILURE() << "no collection";
        return {};
    }
    std::int32_t n = 0;
    for (const auto& entry : *list) {
        ++n;
        EXPECT_EQ(list->Item(n), entry);
        EXPECT_EQ(list->Item(FromUtf8(std::to_string(n))), entry);
    }
    return Entries(list->begin(), list->end());
}

class ListFiles : public TextFileTest {
protected:
    std::u16string Write(const Bytes& content)
    {
        WriteBytes(File("list.txt"), content);
        return Name("list.txt");
    }
};

// (1) a, (2) empty, (3) two blanks, a semicolon, a blank and "note", (4) a blank, b, a blank.
const std::string kFourLines = "a\r\n\r\n  ; note\r\n b ";

TEST_F(ListFiles, FiltersTrimmingAndLineEndsOfBothReaders)
{
    const struct {
        const char* name;
        std::string content;
        std::u16string comment;
        bool ignoreBlanks;
        bool trim;
        Entries first;   // ReadStandardListFile
        Entries second;  // ReadStandardListFile2
    } cases[] = {
        {"defaults", kFourLines, u";", true, true, {u"a", u"b"}, {u"a", u"b"}},
        {"no trimming: the first reader still sees the comment", kFourLines, u";", true, false, {u"a", u" b "},
         {u"a", u"  ; note", u" b "}},
        {"blanks kept", kFourLines, u";", false, true, {u"a", u"", u"b"}, {u"a", u"", u"b"}},
        {"no comment prefix", kFourLines, u"", true, true, {u"a", u"; note", u"b"}, {u"a", u"; note", u"b"}},
        {"comment letter case", "REM x\r\nrem y\r\nkeep", u"REM", true, true, {u"rem y", u"keep"}, {u"keep"}},
        {"lone CR ends a line only for the first reader", "a\rb\r\nc", u";", true, true, {u"a", u"b", u"c"},
         {u"a\rb", u"c"}},
        {"lone LF ends no line", "a\nb", u";", true, true, {u"a\nb"}, {u"a\nb"}},
        {"CR before CR LF", "a\r\r\nb", u";", false, false, {u"a", u"", u"b"}, {u"a\r", u"b"}},
        {"only line breaks", "\r\n\r\n", u";", false, true, {u"", u""}, {u"", u"", u""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::u16string name = Write(B(c.content));
        EXPECT_EQ(KeyedEntriesOf(fso_.ReadStandardListFile(name, c.comment, c.ignoreBlanks, c.trim)), c.first);
        EXPECT_EQ(KeyedEntriesOf(fso_.ReadStandardListFile2(name, c.comment, c.ignoreBlanks, c.trim)), c.second);
    }
    const std::u16string name = Write(B(kFourLines));
    EXPECT_EQ(KeyedEntriesOf(fso_.ReadStandardListFile(name)), (Entries{u"a", u"b"}));
    EXPECT_EQ(KeyedEntriesOf(fso_.ReadStandardListFile2(name)), (Entries{u"a", u"b"}));
}

// The second reader gives an empty list and False, or the error when asked to; the first gives no list.
TEST_F(ListFiles, FailuresReachTheCallerOnlyWhenAskedTo)
{
    const std::u16string missing = Name("missing.txt"), present = Write(B("a"));
    EXPECT_EQ(fso_.ReadStandardListFile(missing), nullptr);
    EXPECT_EQ(RaisedNumber([&] { fso_.ReadStandardListFile(missing, u";", true, true, false, true); }), 53);
    const struct {
        std::u16string name;
        FileEncoding_Const encoding;
        std::int32_t number;
    } rows[] = {{missing, feAuto, 53}, {present, static_cast<FileEncoding_Const>(7), 5}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.number);
        bool ok = true;
        const auto list = fso_.ReadStandardListFile2(row.name, u";", true, true, false, row.encoding, fbAuto, ibAuto,
                                                     nullptr, nullptr, nullptr, &ok);
        ASSERT_TRUE(list);
        EXPECT_EQ(list->Count(), 0);
        EXPECT_FALSE(ok);
        EXPECT_EQ(RaisedNumber([&] { fso_.ReadStandardListFile2(row.name, u";", true, true, true, row.encoding); }),
                  row.number);
    }
    EXPECT_FALSE(fs::exists(File("missing.txt")));
}

TEST_F(ListFiles, OnlyTheSecondReaderDetectsUtf16)
{
    // FF FE, then "x ; c" CR LF "y" as little-endian units.
    const std::u16string name =
        Write({0xFF, 0xFE, 0x78, 0x00, 0x0D, 0x00, 0x0A, 0x00, 0x3B, 0x00, 0x63, 0x00, 0x0D, 0x00, 0x0A, 0x00, 0x16, 0x04});
    FileFormat got = kAllAuto;
    const auto second =
        fso_.ReadStandardListFile2(name, u";", true, true, false, feAuto, fbAuto, ibAuto, FORMAT_OUTPUTS(got));
    EXPECT_EQ(KeyedEntriesOf(second), (Entries{u"x", u"\u0416"}));
    EXPECT_EQ(got, (FileFormat{feUTF16, fbBOM, ibDontInvertBytes}));
    const Entries first = KeyedEntriesOf(fso_.ReadStandardListFile(name, u""));
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(first[0], (std::u16string{u'\u00FF', u'\u00FE', u'x', u'\0'}));
}

TEST_F(ListFiles, IsOemReadsEntriesInTheOemCodePage)
{
    // 81 82 is "üé" in code page 437; in 1252 it is U+0081 and a low quotation mark.
    const std::u16string name = Write({0x81, 0x82, 0x0D, 0x0A, 0x20, 0x9A, 0x20});
    EXPECT_EQ(KeyedEntriesOf(fso_.ReadStandardListFile(name, u";", true, true, true)),
              (Entries{u"\u00FC\u00E9", u"\u00DC"}));
    EXPECT_EQ(KeyedEntriesOf(fso_.ReadStandardListFile(name)), (Entries{u"\u0081\u201A", u"\u0161"}));
}

TEST_F(ListFiles, TheVariantFormConvertsAndWritesBack)
{
    const std::u16string name = Write(B(kFourLines));
    Variant e, ok;
    const Variant result = fso_.ReadStandardListFile2ByVar(Variant(name), Variant::Missing(), Variant::Missing(),
                                                           Variant(u"False"), Variant::Missing(), Variant::Missing(),
                                                           Variant::Missing(), Variant::Missing(), &e, nullptr,
                                                           nullptr, &ok);
    ASSERT_EQ(result.type(), Variant::Type::Object);
    EXPECT_EQ(KeyedEntriesOf(std::static_pointer_cast<Collection>(result.object())),
              (Entries{u"a", u"  ; note", u" b "}));
    EXPECT_EQ(ok.type(), Variant::Type::Boolean);
    EXPECT_EQ(e.type(), Variant::Type::Long);
}

// Keys fold case beyond ASCII; removing takes the key along, later items move up and keep theirs.
TEST(CollectionType, IndexKeyAndRemoval)
{
    Collection list;
    for (const char16_t* key : {u"a", u"B", u"\u0416", u"d"}) list.Add(std::u16string(u"item ") + key, key);
    EXPECT_EQ(list.Item(u"b"), u"item B");
    EXPECT_EQ(list.Item(u"\u0436"), u"item \u0416");
    const struct {
        std::function<void()> call;
        std::int32_t number;
    } errors[] = {
        {[&] { (void)list.Item(0); }, 9},
        {[&] { (void)list.Item(5); }, 9},
        {[&] { (void)list.Item(u"nope"); }, 5},
        {[&] { list.Add(u"again", u"A"); }, 457},
    };
    for (const auto& e : errors) EXPECT_EQ(RaisedNumberFrom(u"Collection", e.call), e.number);
    list.Remove(2);
    list.Remove(u"\u0436");
    EXPECT_EQ(list.Item(2), u"item d");
    EXPECT_EQ(RaisedNumberFrom(u"Collection", [&] { list.Remove(u"b"); }), 5);
    EXPECT_EQ(RaisedNumberFrom(u"Collection", [&] { list.Remove(3); }), 9);
    list.Add(u"again", u"b");  // the removed key is free again
    EXPECT_EQ(list.Item(3), u"again");
}

}  // namespace
