// Entries deeper than PATH_MAX reached by every family of calls: zones, streams, file
// times, compression, search and recycling, on one shared ntfs-3g volume and locally.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <climits>

#include <Hollin0106/qvxFileStreams.h>
#include <Hollin0106/qvxFoundedFiles.h>
#include "support/OleDate.h"
#include "tests/filelib/FileTestSupport.h"

namespace {

using namespace filetest;

// 22 folders of 200 characters: more than PATH_MAX from the root. Made (and later
// looked at) one step at a time through descriptors, as nothing takes the whole name.
constexpr int kLevels = 22;
const std::string kPart(200, 'd');

// A folder below `root` at kLevels levels, open for the *at calls of the test's own checks.
class DeepFolder {
public:
    ~DeepFolder()
    {
        if (fd_ >= 0) ::close(fd_);
    }

    // Makes the levels; false when the system refuses one.
    bool Make(const fs::path& root)
    {
        path_ = root;
        int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        for (int i = 0; i < kLevels && fd >= 0; ++i) {
            const int next = ::mkdirat(fd, kPart.c_str(), 0777) == 0
                                 ? ::openat(fd, kPart.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                                 : -1;
            ::close(fd);
            fd = next;
            path_ /= kPart;
        }
        fd_ = fd;
        return fd_ >= 0 && path_.string().size() > PATH_MAX;
    }

    const fs::path& Path() const { return path_; }
    fs::path operator/(const std::string& leaf) const { return path_ / leaf; }
    std::u16string Name(const std::string& leaf) const { return U(path_ / leaf); }

    // A file made in the folder with `bytes`.
    bool Write(const std::string& leaf, const Bytes& bytes) const
    {
        const int fd = ::openat(fd_, leaf.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) return false;
        const bool ok = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
        return ::close(fd) == 0 && ok;
    }
    bool MakeFolder(const std::string& leaf) const { return ::mkdirat(fd_, leaf.c_str(), 0777) == 0; }
    bool Exists(const std::string& leaf) const
    {
        struct stat st{};
        return ::fstatat(fd_, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    }
    // The value of an extended attribute of `leaf`; "-" when it has none.
    std::string Attribute(const std::string& leaf, const char* name) const
    {
        const int fd = ::openat(fd_, leaf.c_str(), O_RDONLY | O_CLOEXEC);
        char value[256];
        const ssize_t n = fd >= 0 ? ::fgetxattr(fd, name, value, sizeof value) : -1;
        if (fd >= 0) ::close(fd);
        return n < 0 ? "-" : std::string(value, static_cast<std::size_t>(n));
    }
    bool SetAttribute(const std::string& leaf, const char* name, const std::string& value) const
    {
        const int fd = ::openat(fd_, leaf.c_str(), O_RDONLY | O_CLOEXEC);
        const bool ok = fd >= 0 && ::fsetxattr(fd, name, value.data(), value.size(), 0) == 0;
        if (fd >= 0) ::close(fd);
        return ok;
    }
    std::int64_t WriteTimeSeconds(const std::string& leaf) const
    {
        struct stat st{};
        return ::fstatat(fd_, leaf.c_str(), &st, 0) == 0 ? static_cast<std::int64_t>(st.st_mtim.tv_sec) : -1;
    }

private:
    fs::path path_;
    int fd_ = -1;
};

// One volume and one deep folder on it for the whole suite.
class LongNamesOnNtfs : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        volume_ = new testfs::NtfsVolume();
        mountProblem_ = volume_->Mount();
        deep_ = new DeepFolder();
        if (mountProblem_.empty() && !deep_->Make(volume_->Root())) mountProblem_ = "cannot make the deep folders";
    }
    static void TearDownTestSuite()
    {
        delete deep_;
        delete volume_;
        deep_ = nullptr;
        volume_ = nullptr;
    }
    void SetUp() override { TAGSCOPE_NEED_MOUNT(mountProblem_, true); }

    static inline testfs::NtfsVolume* volume_ = nullptr;
    static inline DeepFolder* deep_ = nullptr;
    static inline std::string mountProblem_;
    qvxFSO fso_;
};

TEST_F(LongNamesOnNtfs, Zones)
{
    ASSERT_TRUE(deep_->Write("zoned", {1}));
    const std::u16string name = deep_->Name("zoned");
    ASSERT_TRUE(fso_.SetFileZone(name, fzInternet));
    EXPECT_NE(deep_->Attribute("zoned", "user.Zone.Identifier").find("ZoneId=3"), std::string::npos);
    EXPECT_EQ(fso_.GetFileZone(name), fzInternet);
    EXPECT_TRUE(fso_.IsFileZoneDefined(name));
    EXPECT_TRUE(fso_.DeleteFileZone(name));
    EXPECT_FALSE(fso_.IsFileZoneDefined(name));
}

TEST_F(LongNamesOnNtfs, Streams)
{
    ASSERT_TRUE(deep_->Write("streamed", {1, 2, 3}));
    ASSERT_TRUE(deep_->SetAttribute("streamed", "user.notes", "abcd"));
    qvxFileStreams streams;
    ASSERT_TRUE(streams.ReadFileStreams(deep_->Name("streamed")));
    std::string listed;
    for (const auto& s : streams)
        listed += std::to_string(s->StreamID()) + " " + ToUtf8(s->Name()) + " " +
                  std::to_string(static_cast<long long>(s->Size())) + "\n";
    EXPECT_EQ(listed, "1 ::$DATA 3\n4 :notes:$DATA 4\n");
}

TEST_F(LongNamesOnNtfs, FileTimes)
{
    ASSERT_TRUE(deep_->Write("timed", {1}));
    const std::u16string name = deep_->Name("timed");
    const double creation = 40000.25, access = 44000.5, write = 45000.75 + 999.0 / 86400000;
    ASSERT_TRUE(fso_.SetFileDateTime(name, creation, access, write, true));
    double c = 0, a = 0, w = 0;
    ASSERT_TRUE(fso_.GetFileDateTime(name, &c, &a, &w, true));
    EXPECT_EQ(oledate::ToWallMillis(c), oledate::ToWallMillis(creation));
    EXPECT_EQ(oledate::ToWallMillis(a), oledate::ToWallMillis(access));
    EXPECT_EQ(oledate::ToWallMillis(w), oledate::ToWallMillis(write));
    // 45000.75 is in 2023: the file itself holds the new time.
    EXPECT_GT(deep_->WriteTimeSeconds("timed"), 1672531200);
    EXPECT_LT(deep_->WriteTimeSeconds("timed"), 1704067200);
}

TEST_F(LongNamesOnNtfs, Compression)
{
    ASSERT_TRUE(deep_->MakeFolder("packed"));
    const std::u16string name = deep_->Name("packed");
    std::int32_t code = -1;
    ASSERT_TRUE(fso_.SetFileCompression(name, cfLZNT1, &code));
    EXPECT_EQ(code, 0);
    EXPECT_EQ(fso_.GetFileCompression(name, &code), cfLZNT1);
    std::string word = deep_->Attribute("packed", "system.ntfs_attrib");
    ASSERT_EQ(word.size(), 4u);
    EXPECT_TRUE(static_cast<unsigned char>(word[1]) & 0x08);
    EXPECT_TRUE(fso_.SetFileCompression(name, cfNone, &code));
    EXPECT_EQ(fso_.GetFileCompression(name, &code), cfNone);
}

TEST_F(LongNamesOnNtfs, Search)
{
    ASSERT_TRUE(deep_->Write("found.txt", Bytes(6, 'x')));
    // From the top, down through every level, and at the bottom on its own.
    for (const fs::path& from : {volume_->Root() / kPart, deep_->Path()}) {
        SCOPED_TRACE(from.string().size());
        qvxFoundedFiles found;
        ASSERT_TRUE(found.RefreshEx(U(from), u"*"));
        std::shared_ptr<FoundedFile> file;
        for (const qvxFoundedFiles* level = &found; level != nullptr && !file;) {
            const qvxFoundedFiles* next = nullptr;
            for (const auto& e : *level) {
                if (e->FileName() == u"found.txt") file = e;
                if (e->FileName() == FromUtf8(kPart)) next = e->Childs().get();
            }
            level = next;
        }
        ASSERT_TRUE(file);
        EXPECT_EQ(file->Path(), U(deep_->Path()));
        EXPECT_EQ(file->FileSize(), 6.0);
        EXPECT_EQ(file->CompressedFileSize(), 6.0);
        // Read when asked for, by the long name: the attribute word and the creation time.
        EXPECT_TRUE(file->AttributeArchive());
        EXPECT_GT(file->CreationTime(), 45000.0);
    }
}

TEST_F(LongNamesOnNtfs, RecyclingIntoTheVolumesTrashAndForGood)
{
    ASSERT_TRUE(deep_->Write("old.txt", {4}));
    ASSERT_TRUE(fso_.RecycleFile(deep_->Name("old.txt"), false, true));
    EXPECT_FALSE(deep_->Exists("old.txt"));
    const fs::path trash = volume_->Root() / ".Trash-0";
    EXPECT_EQ(ReadBytes(trash / "files/old.txt"), Bytes{4});
    const Bytes info = ReadBytes(trash / "info/old.txt.trashinfo");
    const std::string record(info.begin(), info.end());
    // Relative to the volume's top folder, as the specification asks of a volume's trash.
    const std::string relative = (deep_->Path() / "old.txt").lexically_relative(volume_->Root()).string();
    EXPECT_EQ(record.rfind("[Trash Info]\nPath=" + relative + "\nDeletionDate=", 0), 0u) << record.substr(0, 80);

    ASSERT_TRUE(deep_->MakeFolder("tree"));
    ASSERT_TRUE(deep_->Write("tree.txt", {5}));
    EXPECT_TRUE(fso_.RecycleFile(deep_->Name("tree"), true, true));
    EXPECT_TRUE(fso_.RecycleFile(deep_->Name("tree.txt"), true, true));
    EXPECT_FALSE(deep_->Exists("tree"));
    EXPECT_FALSE(deep_->Exists("tree.txt"));
}

// The user's own trash, on the file system of the temporary folder, and a whole deep
// tree removed for good.
TEST(LongNames, RecyclingIntoTheHomeTrashAndForGood)
{
    TempFolder dir;
    const ScopedEnvironment xdg("XDG_DATA_HOME", (dir / "xdg").string());
    fs::create_directory(dir / "top");
    DeepFolder deep;
    ASSERT_TRUE(deep.Make(dir / "top"));
    ASSERT_TRUE(deep.Write("old.txt", {4}));
    qvxFSO fso;
    ASSERT_TRUE(fso.RecycleFile(deep.Name("old.txt"), false, true));
    EXPECT_FALSE(deep.Exists("old.txt"));
    EXPECT_EQ(ReadBytes(dir / "xdg/Trash/files/old.txt"), Bytes{4});
    const Bytes info = ReadBytes(dir / "xdg/Trash/info/old.txt.trashinfo");
    const std::string record(info.begin(), info.end());
    EXPECT_EQ(record.rfind("[Trash Info]\nPath=" + (deep.Path() / "old.txt").string() + "\nDeletionDate=", 0), 0u)
        << record.substr(0, 80);

    ASSERT_TRUE(deep.Write("kept-out", {1}));
    EXPECT_TRUE(fso.RecycleFile(U(dir / "top"), true, true));
    EXPECT_FALSE(fs::exists(dir / "top"));
}

}  // namespace
