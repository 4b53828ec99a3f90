// The library at the file system's edge. Each writer runs in a child with an alarm, so a
// writer that blocks fails its case instead of hanging the suite.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <tuple>
#include <type_traits>

#include <Hollin0106/Variant.h>
#include <Hollin0106/qvxDescriptIon.h>
#include "tests/filelib/ChildProcess.h"
#include "tests/filelib/FileTestSupport.h"
#include "tests/filelib/ReparseBuffers.h"
#include "platform/Entries.h"

using namespace filetest;

static_assert(!std::is_constructible_v<Variant, const char*>, "a narrow string must not become a Boolean");
static_assert(std::is_constructible_v<Variant, const char16_t*>);

namespace {

// The error a call raises as the child's exit code (0 for none).
int RaisedIn(const std::function<void()>& call)
{
    return InChild([&] { return static_cast<int>(RaisedNumber(call)); });
}

// The kind of entry: 'f' regular, 'p' FIFO, '?' anything else. ntfs-3g answers EIO once
// for an entry whose type changed since the kernel looked; a second look sees it.
char KindOf(const fs::path& p)
{
    struct stat st{};
    if (::lstat(p.c_str(), &st) != 0 && ::lstat(p.c_str(), &st) != 0) return '?';
    return S_ISREG(st.st_mode) ? 'f' : S_ISFIFO(st.st_mode) ? 'p' : '?';
}

const Bytes kNew{'n', 'e', 'w'};

struct Writer {
    const char* name;
    bool appends;
    std::function<void(qvxFSO&, const std::u16string&)> write;
};

const Writer kWriters[] = {
    {"PutFileB", false, [](qvxFSO& f, const std::u16string& n) { f.PutFileB(n, kNew, true); }},
    {"OverwriteFileB", false, [](qvxFSO& f, const std::u16string& n) { f.OverwriteFileB(n, kNew, true); }},
    {"AppendFileB", true, [](qvxFSO& f, const std::u16string& n) { f.AppendFileB(n, kNew, true); }},
    {"PutFile2", false, [](qvxFSO& f, const std::u16string& n) { f.PutFile2(n, u"new", true); }},
    {"OverwriteFile2", false, [](qvxFSO& f, const std::u16string& n) { f.OverwriteFile2(n, u"new", true); }},
    {"AppendFile2", true, [](qvxFSO& f, const std::u16string& n) { f.AppendFile2(n, u"new", true); }},
};

using FileSafetyOnNtfs = SharedNtfsVolume;

TEST_F(FileSafetyOnNtfs, EveryWriterOnReadOnlySystemAndFifoFiles)
{
    constexpr std::uint32_t kReadOnly = 0x1, kHidden = 0x2, kSystem = 0x4;
    struct State {
        const char* name;
        Bytes before;
        std::uint32_t attributes;
        int error;
        std::uint32_t kept;  // attribute bits that must be there afterwards
    };
    // An empty system file is what ntfs-3g makes of mkfifo and of a system file cut to
    // length 0 (by PutFile2 with no text, say): it shows it as a FIFO.
    const State states[] = {
        {"hidden read-only file", {9, 9}, 0x20 | kHidden | kReadOnly, 75, kHidden | kReadOnly},
        {"system file with content", {9, 9}, 0x20 | kSystem, 0, kSystem},
        {"empty system file (a FIFO to ntfs-3g)", {}, 0x20 | kSystem, 0, kSystem},
    };
    qvxFSO fso;
    int n = 0;
    for (const State& s : states) {
        for (const Writer& w : kWriters) {
            SCOPED_TRACE(std::string(s.name) + " / " + w.name);
            const fs::path file = Root() / ("f" + std::to_string(n++));
            WriteBytes(file, s.before);
            SetNtfsAttributes(file, s.attributes);
            ASSERT_EQ(KindOf(file), s.before.empty() ? 'p' : 'f');
            EXPECT_EQ(RaisedIn([&] { w.write(fso, U(file)); }), s.error);
            ASSERT_EQ(KindOf(file), 'f');
            Bytes expected = s.error != 0 || w.appends ? s.before : Bytes{};
            if (s.error == 0) expected.insert(expected.end(), kNew.begin(), kNew.end());
            EXPECT_EQ(ReadBytes(file), expected);
            EXPECT_EQ(AttributesOf(file) & s.kept, s.kept);
        }
    }
}

// A FIFO of the kernel (not ntfs-3g's emulation) is no file to write: every writer
// refuses it at once, whether a reader waits on it or not, and it stays a FIFO.
TEST(FileSafety, WritersRefuseAKernelFifoWithoutBlocking)
{
    TempFolder dir;
    const fs::path fifo = dir / "fifo";
    ASSERT_TRUE(filetest::Run("mkfifo " + Quote(fifo)));
    qvxFSO fso;
    // Nobody at the other end, a reader, a writer that sends nothing (O_RDWR is both).
    for (const int other : {-1, O_RDONLY | O_NONBLOCK, O_RDWR}) {
        const auto attach = [&] {
            if (other != -1) (void)::open(fifo.c_str(), other);
        };
        for (const Writer& w : kWriters) {
            SCOPED_TRACE(std::string(w.name) + " / " + std::to_string(other));
            EXPECT_EQ(RaisedIn([&] {
                          attach();
                          w.write(fso, U(fifo));
                      }),
                      75);
            EXPECT_EQ(KindOf(fifo), 'p');
        }
        // A reader takes what is there, as much as an empty file, and does not wait.
        EXPECT_EQ(InChild([&] {
                      attach();
                      return fso.GetFileB(U(fifo), true).empty() ? 0 : 1;
                  }),
                  0);
    }
}

// The name helper of the platform layer refuses it for every method (one writer stands for
// them); the descriptions have a check of their own.
TEST(FileSafety, ANameWithANulIsABadFileName)
{
    TempFolder dir;
    const std::u16string name = U(dir / "a") + u'\0' + u"b";
    qvxFSO fso;
    EXPECT_EQ(RaisedIn([&] { fso.PutFileB(name, kNew, true); }), 52);
    EXPECT_FALSE(fs::exists(dir / "a"));
    // Where "a" exists, nothing that changes an entry changes it.
    WriteBytes(dir / "a", {1});
    EXPECT_FALSE(fso.SetFileDescription(name, u"x"));
    EXPECT_FALSE(fs::exists(dir / "Descript.ion"));
    EXPECT_FALSE(fso.RecycleFile(name, true));
    EXPECT_TRUE(fs::exists(dir / "a"));
}

// A name part too long, or links in a circle on the way: no such entry can exist.
TEST(FileSafety, NamesNoEntryCanHaveAreNotFound)
{
    TempFolder dir;
    ASSERT_TRUE(filetest::Run("ln -s loop " + Quote(dir / "loop")));
    qvxFSO fso;
    for (const std::string& leaf : {std::string("loop/below"), std::string(300, 'n')}) {
        SCOPED_TRACE(leaf.substr(0, 20));
        SymlinkTargetError_Const code = steSuccess;
        fso.GetSymlinkTargetEx(U(dir / leaf), nullptr, nullptr, nullptr, nullptr, nullptr, &code);
        EXPECT_EQ(code, setFileNotFound);
        EXPECT_EQ(RaisedIn([&] { fso.GetFileB(U(dir / leaf), true); }), 53);
    }
}

// /proc files tell a size of 0 and hold text; devices are refused, not read without end.
TEST(FileSafety, ReadersReadToTheEndWhateverSizeIsTold)
{
    qvxFSO fso;
    const Bytes status = fso.GetFileB(u"/proc/self/status", true);
    EXPECT_EQ(std::string(status.begin(), status.end()).substr(0, 5), "Name:");
    EXPECT_EQ(fso.GetFile2(u"/proc/self/status", true).substr(0, 5), u"Name:");
    EXPECT_EQ(RaisedIn([&] { fso.GetFileB(u"/dev/zero", true); }), 75);
}

// The data comes from the entry that was opened, even after another took its name.
TEST_F(FileSafetyOnNtfs, ReparseDataIsReadFromTheOpenedEntry)
{
    const fs::path a = Root() / "a", b = Root() / "b";
    fs::create_directories(a);
    fs::create_directories(b);
    const Bytes first = testbuf::MountPoint(u"\\??\\C:\\first", u""), second = testbuf::MountPoint(u"\\??\\D:\\b", u"");
    ASSERT_TRUE(Volume().SetReparseData(a, first));
    ASSERT_EQ(Volume().MakeReparseFolder("b", second), "");
    platform::ReparseHandle handle;
    ASSERT_FALSE(platform::OpenReparsePoint(U(a), handle));
    fs::rename(a, Root() / "gone");
    fs::rename(b, a);
    Bytes read;
    EXPECT_FALSE(platform::ReadReparseData(handle, 32768, read));
    EXPECT_EQ(read, first);
}

// Two processes change the descriptions of x.txt and y.txt 300 times each in a folder file
// of 100 entries, while a third reads one that nobody changes: no change may lose another's
// entry, no read may see a file in between, and nothing is left beside the file.
TEST_F(FileSafetyOnNtfs, DescriptionsChangedAtOnceLoseNothingAndNoReadSeesAFileInBetween)
{
    const fs::path folder = Root() / "race";
    fs::create_directories(folder);
    constexpr int rounds = 300;
    std::string index;
    for (int i = 0; i < 100; ++i) index += "f" + std::to_string(i) + ".txt text " + std::to_string(i) + "\r\n";
    WriteBytes(folder / "Descript.ion", B(index));
    constexpr unsigned kDeadline = 240;
    int writersDone[2];
    ASSERT_EQ(::pipe(writersDone), 0);
    const pid_t reader = StartChild(
        [&] {
            ::close(writersDone[1]);
            ::fcntl(writersDone[0], F_SETFL, O_NONBLOCK);
            qvxFSO fso;
            int reads = 0;
            char c = 0;
            // Reads until the pipe ends: the writers are gone.
            for (; ::read(writersDone[0], &c, 1) < 0 && errno == EAGAIN; ++reads)
                if (fso.GetFileDescription(U(folder / "f50.txt")) != u"text 50") return 1;
            return reads > 0 ? 0 : 2;
        },
        kDeadline);
    pid_t writers[2];
    for (int w = 0; w < 2; ++w) {
        const std::string name = w == 0 ? "x" : "y";
        writers[w] = StartChild(
            [&] {
                ::close(writersDone[0]);
                ::close(writersDone[1]);
                qvxFSO fso;
                for (int i = 1; i <= rounds; ++i)
                    if (!fso.SetFileDescription(U(folder / (name + ".txt")), FromUtf8(name + " " + std::to_string(i))))
                        return 1;
                return 0;
            },
            kDeadline);
    }
    ::close(writersDone[0]);
    EXPECT_EQ(ExitOf(writers[0]), 0);
    EXPECT_EQ(ExitOf(writers[1]), 0);
    ::close(writersDone[1]);
    EXPECT_EQ(ExitOf(reader), 0) << "1: a read saw a file in between, 2: no read";

    qvxDescriptIon d;
    ASSERT_TRUE(d.ReadDirectoryFile(U(folder)));
    EXPECT_EQ(d.ItemCount(), 102);
    EXPECT_EQ(d.ItemDescriptionByFileName(u"f99.txt"), u"text 99");
    EXPECT_EQ(d.ItemDescriptionByFileName(u"x.txt"), u"x 300");
    EXPECT_EQ(d.ItemDescriptionByFileName(u"y.txt"), u"y 300");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

// The new file takes the old one's permission bits and owner: a private file stays
// private, and a file root rewrites stays its owner's.
TEST(DescriptionsAtOnce, ARewriteKeepsModeAndOwner)
{
    if (!IsRoot()) GTEST_SKIP() << "giving a file away needs root";
    TempFolder dir;
    const fs::path index = dir / "Descript.ion";
    WriteBytes(index, B("a 1\r\n"));
    ASSERT_EQ(::chmod(index.c_str(), 0640), 0);
    ASSERT_EQ(::chown(index.c_str(), 65534, 65534), 0);
    qvxFSO fso;
    EXPECT_TRUE(fso.SetFileDescription(U(dir / "b"), u"2"));
    EXPECT_EQ(ReadBytes(index), B("a 1\r\nb 2\r\n"));
    struct stat st{};
    ASSERT_EQ(::stat(index.c_str(), &st), 0);
    EXPECT_EQ(std::make_tuple(st.st_mode & 07777, st.st_uid, st.st_gid), std::make_tuple(0640u, 65534u, 65534u));
}

}  // namespace
