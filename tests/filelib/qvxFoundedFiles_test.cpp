// qvxFoundedFiles on real trees: NTFS junctions, link loops, closed folders, a tree beside find.
#include <Hollin0106/qvxFoundedFiles.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "tests/filelib/FileTestSupport.h"
#include "tests/filelib/ReparseBuffers.h"
#include "support/quovixsupportfbe.h"

namespace {

using namespace filetest;

// The tree as text: names sorted, "name(children)" for every entry with children.
std::string Tree(const qvxFoundedFiles& level)
{
    std::vector<std::string> parts;
    for (const auto& e : level) {
        std::string part = ToUtf8(e->FileName());
        if (e->Childs()->Count() > 0) part += "(" + Tree(*e->Childs()) + ")";
        parts.push_back(part);
    }
    std::sort(parts.begin(), parts.end());
    std::string out;
    for (const auto& p : parts) out += (out.empty() ? "" : " ") + p;
    return out;
}

// Records each completed directory, then calls `then`; cancels in the one whose path ends with `cancelIn`.
class Recorder : public IFindFilesCallback {
public:
    explicit Recorder(std::string cancelIn = "\x01", std::function<void()> then = [] {})
        : cancelIn_(std::move(cancelIn)), then_(std::move(then))
    {
    }
    void DirectoryCompleted(const std::u16string& Path, bool& Cancel) override
    {
        const std::string p = ToUtf8(Path);
        completed.push_back(p.substr(p.rfind('/') + 1));
        if (p.ends_with(cancelIn_)) Cancel = true;
        then_();
    }
    std::vector<std::string> completed;

private:
    std::string cancelIn_;
    std::function<void()> then_;
};

// One volume for the suite, its tree made once: the searches only read it.
class SearchOnNtfs : public SharedNtfsVolume {
protected:
    static void SetUpTestSuite()
    {
        SharedNtfsVolume::SetUpTestSuite();
        if (MountError().empty()) MountError() = MakeTree();
    }

    // "" when the tree is made, else why not.
    static std::string MakeTree()
    {
        fs::create_directories(Data() / "old");
        fs::create_directories(Data() / "x.txt");
        for (const auto& [name, size] : {std::pair{"a.txt", 10}, {"B.bin", 300}, {"old/c.txt", 5}, {"x.txt/d.txt", 7},
                                         {"x.txt/e.log", 1}})
            WriteBytes(Data() / name, Bytes(size, 'f'));
        // ntfs-3g shows junctions as links into the volume: "j" to a sibling, "back" to its own folder.
        fs::create_directory(Data() / "j");
        fs::create_directory(Data() / "back");
        if (!Volume().SetReparseData(Data() / "j", testbuf::MountPoint(u"\\??\\C:\\data\\old", u"C:\\data\\old")) ||
            !Volume().SetReparseData(Data() / "back", testbuf::MountPoint(u"\\??\\C:\\data", u"C:\\data")))
            return "cannot write the junctions";
        return Volume().Remount();
    }
    static fs::path Data() { return Root() / "data"; }
};

TEST_F(SearchOnNtfs, MasksAndReparsePointsDecideWhatIsListedAndEntered)
{
    const struct {
        const char* name;
        std::u16string path;
        const char16_t* mask;
        bool follow;
        std::string expected;
    } rows[] = {
        {"every entry; junctions listed, not entered", U(Data()), u"*", false,
         "B.bin a.txt back j old(c.txt) x.txt(d.txt e.log)"},
        {"a folder is entered only when its name matches, in any case", U(Data()), u"*.TXT", false,
         "a.txt x.txt(d.txt)"},
        {"followed: j is entered, back leads to its own parent and is not", U(Data()), u"*", true,
         "B.bin a.txt back j(c.txt) old(c.txt) x.txt(d.txt e.log)"},
        {"no match", U(Data()), u"*.none", false, ""},
        {"a missing folder", U(Data() / "missing"), u"*", false, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        qvxFoundedFiles found;
        EXPECT_EQ(found.RefreshEx(row.path, row.mask, row.follow), !row.expected.empty());
        EXPECT_EQ(Tree(found), row.expected);
        EXPECT_EQ(found.HasSubItems(), !row.expected.empty());
    }
    qvxFoundedFiles refreshed;
    ASSERT_TRUE(refreshed.Refresh(U(Data()), u"*"));
    EXPECT_EQ(Tree(refreshed), rows[2].expected);
}

// The total size agrees with du; every entry keeps its folder as Path; junctions are reparse points.
TEST_F(SearchOnNtfs, SizesAndPathsComeFromTheVolume)
{
    qvxFoundedFiles found;
    ASSERT_TRUE(found.RefreshEx(U(Data()), u"*"));
    const std::string du = testfs::Output("find " + Quote(Data()) +
                                          " -type f -print0 | du -lbc --apparent-size --files0-from=- | tail -n1 | cut -f1");
    EXPECT_EQ(static_cast<long long>(found.Size()), std::stoll(du));
    for (const auto& e : found) {
        EXPECT_EQ(e->Path(), U(Data()));
        EXPECT_EQ(e->AttributeReparsePoint(), e->FileName() == u"back" || e->FileName() == u"j");
    }
}

TEST_F(SearchOnNtfs, TheEntryItselfWithItsParentOrWithAnEmptyMask)
{
    qvxFoundedFiles withParent;
    ASSERT_TRUE(withParent.RefreshEx2(U(Data()), u"*.txt", false, nullptr, true));
    EXPECT_EQ(withParent.Item(0)->Path(), U(Root()));
    EXPECT_EQ(Tree(withParent), "data(a.txt x.txt(d.txt))");
    EXPECT_EQ(withParent.Path(), U(Data()));

    qvxFoundedFiles emptyMask;
    ASSERT_TRUE(emptyMask.RefreshEx2(U(Data()), u"  ", false, nullptr, false));
    ASSERT_EQ(emptyMask.Count(), 1);
    EXPECT_EQ(emptyMask.Item(0)->Path(), U(Data()));
}

TEST_F(SearchOnNtfs, CallbacksComeChildrenFirstAndCanCancel)
{
    qvxFoundedFiles found;
    Recorder all;
    ASSERT_TRUE(found.RefreshEx2(U(Data()), u"*", false, &all));
    EXPECT_EQ(all.completed, (std::vector<std::string>{"old", "x.txt", "data"}));
    Recorder inSub("/x.txt");
    EXPECT_FALSE(found.RefreshEx2(U(Data()), u"*", false, &inSub));
    EXPECT_EQ(found.Count(), 0);
    EXPECT_EQ(inSub.completed, (std::vector<std::string>{"old", "x.txt"}));
    Recorder atTop("/data");
    EXPECT_TRUE(found.RefreshEx2(U(Data()), u"*", false, &atTop));
    EXPECT_EQ(found.Count(), 6);
}

// The attribute word is read when first asked for; hidden is its bit, whatever the name
// says; CompressedFileSize is the room on disk only for a compressed or sparse file.
TEST_F(SearchOnNtfs, AttributesAndCompressedSizesOfFiles)
{
    const fs::path dir = Root() / "sizes";
    fs::create_directories(dir / "packed");
    SetNtfsAttributes(dir / "packed", 0x810);
    WriteBytes(dir / "packed/zeros", Bytes(100000, 0));
    WriteBytes(dir / "small", Bytes(6, 'x'));
    WriteBytes(dir / "marked", Bytes(6, 'x'));
    SetNtfsAttributes(dir / "marked", 0x27);
    WriteBytes(dir / ".dotted", Bytes(6, 'x'));
    fs::create_directories(dir / ".dotdir");
    WriteBytes(dir / "concealed", Bytes(6, 'x'));
    SetNtfsAttributes(dir / "concealed", 0x22);
    ASSERT_TRUE(filetest::Run("dd if=/dev/zero of=" + Quote(dir / "holes") + " bs=4096 seek=1000 count=1"));
    const auto allocated = [](const fs::path& p) { return std::stod(testfs::Output("stat -c %b " + Quote(p))) * 512; };

    qvxFoundedFiles found;
    ASSERT_TRUE(found.RefreshEx(U(dir), u"*"));
    ASSERT_EQ(Tree(found), ".dotdir .dotted concealed holes marked packed(zeros) small");
    for (const auto& e : found) {
        const std::string name = ToUtf8(e->FileName());
        SCOPED_TRACE(name);
        if (name == ".dotdir") {
            EXPECT_EQ(e->FileAttributes(), 0x30);
        } else if (name == "packed") {
            const auto zeros = e->Childs()->Item(0);
            EXPECT_TRUE(zeros->AttributeCompressed());
            EXPECT_EQ(zeros->FileSize(), 100000.0);
            EXPECT_EQ(zeros->CompressedFileSize(), allocated(dir / "packed/zeros"));
            EXPECT_LT(zeros->CompressedFileSize(), 100000.0);
        } else if (name == "holes") {
            EXPECT_TRUE(e->AttributeSparseFile());
            EXPECT_EQ(e->CompressedFileSize(), allocated(dir / "holes"));
            EXPECT_LT(e->CompressedFileSize(), 4100096.0);
        } else {
            // A small file lives in its MFT record and says 512 bytes allocated.
            EXPECT_EQ(e->CompressedFileSize(), 6.0);
            EXPECT_EQ(e->FileAttributes(), name == "marked" ? 0x27 : name == "concealed" ? 0x22 : 0x20);
            EXPECT_EQ(e->AttributeHidden(), name == "marked" || name == "concealed");
        }
    }
}

// The root is its own entry and its own parent.
TEST(Search, TheRootStandsForItself)
{
    const bool windows = kNativePathStyle == PathStyle::Windows;
    const std::u16string root = windows ? u"C:\\" : u"/";
    qvxFoundedFiles found;
    ASSERT_TRUE(found.RefreshEx2(root, windows ? u"windows" : u"tmp", false, nullptr, true));
    EXPECT_EQ(Tree(found), windows ? "C:\\(windows)" : "/(tmp)");
    ASSERT_TRUE(found.RefreshEx2(windows ? u"C:\\windows" : u"/tmp", u"*.none", false, nullptr, true));
    EXPECT_EQ(found.Item(0)->Path(), windows ? u"C:" : u"/");
    EXPECT_EQ(Tree(found), windows ? "windows" : "tmp");
}

// An error out of a callback leaves the object free to search again. (A search from a
// callback with the object being filled, refused with error 5 while the running one goes
// on, is checked by the automation clients.)
TEST(Search, AnErrorOutOfACallbackLeavesTheObjectFreeToSearchAgain)
{
    TempFolder dir;
    fs::create_directories(dir / "a" / "b");
    qvxFoundedFiles found;
    Recorder failing("\x01", [] { throw AutomationError(1234, u"test callback"); });
    EXPECT_EQ(RaisedNumberFrom(u"test callback", [&] { found.RefreshEx2(U(dir.Path()), u"*", false, &failing); }),
              1234);
    EXPECT_TRUE(found.RefreshEx2(U(dir / "a"), u"*"));
    EXPECT_EQ(Tree(found), "b");
}

// Links are reparse points with their target's directory bit.
TEST(Search, ALinkLoopIsListedButNotEntered)
{
    TempFolder dir;
    fs::create_directories(dir / "a" / "b");
    fs::create_directory_symlink("..", dir / "a" / "b" / "up");
    fs::create_directory_symlink(dir.Path(), dir / "a" / "top");
    fs::create_symlink("nowhere", dir / "a" / "dangling");
    qvxFoundedFiles found;
    ASSERT_TRUE(found.Refresh(U(dir.Path()), u"*"));
    EXPECT_EQ(Tree(found), "a(b(up) dangling top)");
    for (const auto& e : *found.Item(0)->Childs()) {
        SCOPED_TRACE(ToUtf8(e->FileName()));
        EXPECT_EQ(e->AttributeReparsePoint(), e->FileName() != u"b");
        EXPECT_EQ(e->AttributeDirectory(), e->FileName() != u"dangling");
    }
}

// Run as nobody, whom the folder's permissions stop: it is listed and the search goes on.
TEST(Search, AnUnreadableFolderIsListedNotEntered)
{
    if (const auto argument = NobodyArgument()) {
        qvxFoundedFiles found;
        ASSERT_TRUE(found.RefreshEx(FromUtf8(*argument), u"*"));
        EXPECT_EQ(Tree(found), "closed open(f) z");
        return;
    }
    if (!IsRoot()) GTEST_SKIP() << "needs root to run a step as nobody";
    TempFolder dir;
    fs::create_directories(dir / "open");
    fs::create_directories(dir / "closed");
    WriteBytes(dir / "open" / "f", {1});
    WriteBytes(dir / "closed" / "g", {1});
    WriteBytes(dir / "z", {1});
    fs::permissions(dir / "closed", fs::perms::none);
    RerunAsNobody(dir.Path().string());
}

}  // namespace
