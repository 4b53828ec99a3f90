// Entries deeper than PATH_MAX reached by every family of calls, on one shared ntfs-3g volume.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <climits>
#include <functional>

#include <Hollin0106/qvxFileStreams.h>
#include <Hollin0106/qvxFoundedFiles.h>
#include "support/quovixsupportfbe.h"
#include "tests/filelib/ChildProcess.h"
#include "tests/filelib/FileTestSupport.h"
#include "tests/filelib/ReparseBuffers.h"

namespace {

using namespace filetest;

// 22 folders of 200 characters: more than PATH_MAX from the root.
constexpr int kLevels = 22;
const std::string kPart(200, 'd');

// A descriptor of the folder kLevels levels below `root`, each level made first when
// `make`; -1 when a step fails. The test's own checks go through it, as no call of the
// system takes the whole name.
int OpenDeep(const fs::path& root, bool make)
{
    int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int i = 0; i < kLevels && fd >= 0; ++i) {
        const int next = !make || ::mkdirat(fd, kPart.c_str(), 0777) == 0
                             ? ::openat(fd, kPart.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                             : -1;
        ::close(fd);
        fd = next;
    }
    return fd;
}

using LongNamesOnNtfs = SharedNtfsVolume;

// The deep folder with a junction "j" at its bottom.
TEST_F(LongNamesOnNtfs, EveryFamilyOfCallsReachesTheDeepFolder)
{
    const Bytes junction = testbuf::MountPoint(u"\\??\\C:\\target", u"C:\\target");
    const int made = OpenDeep(Root(), true);
    const int j = made >= 0 && ::mkdirat(made, "j", 0777) == 0 ? ::openat(made, "j", O_RDONLY | O_CLOEXEC) : -1;
    ASSERT_EQ(::fsetxattr(j, "system.ntfs_reparse_data", junction.data(), junction.size(), 0), 0);
    ::close(j);
    ::close(made);
    ASSERT_EQ(Volume().Remount(), "");
    const int deep = OpenDeep(Root(), false);
    ASSERT_GE(deep, 0);
    fs::path deepPath = Root();
    for (int i = 0; i < kLevels; ++i) deepPath /= kPart;
    ASSERT_GT(deepPath.string().size(), static_cast<std::size_t>(PATH_MAX));
    // `leaf` in the deep folder: its long name for the library, a short one for the test.
    const auto longName = [&](const std::string& leaf) { return U(deepPath / leaf); };
    const auto shortName = [&](const std::string& leaf) {
        return fs::path("/proc/self/fd/" + std::to_string(deep) + "/" + leaf);
    };
    qvxFSO fso;
    const Bytes kNew{'n', 'e', 'w'};
    const struct {
        const char* family;
        std::function<void()> check;
    } rows[] = {
        {"reparse data",
         [&] {
             SymlinkTargetError_Const code = setCreateFileFailed;
             EXPECT_EQ(fso.GetSymlinkTargetEx(longName("j"), nullptr, nullptr, nullptr, nullptr, nullptr, &code),
                       u"C:\\target");
             EXPECT_EQ(code, steSuccess);
         }},
        {"binary files",
         [&] {
             EXPECT_TRUE(fso.PutFileB(longName("f"), kNew, true));
             EXPECT_EQ(fso.GetFileB(longName("f"), true), kNew);
         }},
        {"streams and zones",
         [&] {
             ASSERT_EQ(::setxattr(shortName("f").c_str(), "user.notes", "abcd", 4, 0), 0);
             qvxFileStreams streams;
             ASSERT_TRUE(streams.ReadFileStreams(longName("f")));
             EXPECT_EQ(streams.Count(), 2);
             ASSERT_TRUE(fso.SetFileZone(longName("f"), fzInternet));
             // The very attribute ntfs-3g keeps as the NTFS stream Zone.Identifier.
             EXPECT_EQ(::getxattr(shortName("f").c_str(), "user.Zone.Identifier", nullptr, 0), 26);
         }},
        {"file times",
         [&] {
             ASSERT_TRUE(fso.SetFileDateTime(longName("f"), 40000.25, 44000.5, 45000.75, true));
             double c = 0;
             ASSERT_TRUE(fso.GetFileDateTime(longName("f"), &c, nullptr, nullptr, true));
             EXPECT_EQ(c, 40000.25);
         }},
        {"search, from the top down through every level",
         [&] {
             qvxFoundedFiles found;
             ASSERT_TRUE(found.RefreshEx(U(Root() / kPart), u"*"));
             std::shared_ptr<FoundedFile> file;
             for (const qvxFoundedFiles* level = &found; level != nullptr && !file;) {
                 const qvxFoundedFiles* next = nullptr;
                 for (const auto& e : *level) {
                     if (e->FileName() == u"f") file = e;
                     if (e->FileName() == FromUtf8(kPart)) next = e->Childs().get();
                 }
                 level = next;
             }
             ASSERT_TRUE(file);
             EXPECT_EQ(file->Path(), U(deepPath));
             EXPECT_TRUE(file->AttributeArchive());  // read by the long name when asked for
         }},
        {"recycling into the volume's trash, its record relative to the volume's top",
         [&] {
             ASSERT_TRUE(fso.RecycleFile(longName("f"), false, true));
             EXPECT_EQ(ReadBytes(Root() / ".Trash-0/files/f"), kNew);
             const Bytes info = ReadBytes(Root() / ".Trash-0/info/f.trashinfo");
             const std::string relative = (deepPath / "f").lexically_relative(Root()).string();
             EXPECT_EQ(std::string(info.begin(), info.end()).rfind("[Trash Info]\nPath=" + relative + "\n", 0), 0u);
             fs::create_directories(shortName("dir/sub"));
             EXPECT_TRUE(fso.RecycleFile(longName("dir"), true, true));
             EXPECT_FALSE(fs::exists(shortName("dir")));
         }},
        {"relative names, from the volume's root and from the folder itself, widened to full names",
         [&] {
             EXPECT_EQ(InChild([&] {
                           SymlinkTargetError_Const code = setCreateFileFailed;
                           if (::chdir(Root().c_str()) != 0) return 1;
                           fso.GetSymlinkTargetEx(U(deepPath.lexically_relative(Root()) / "j"), nullptr, nullptr,
                                                   nullptr, nullptr, nullptr, &code);
                           if (code != steSuccess || ::fchdir(deep) != 0) return 2;
                           fso.GetSymlinkTargetEx(u"j", nullptr, nullptr, nullptr, nullptr, nullptr, &code);
                           if (code != steSuccess) return 3;
                           return esGetFullFileName(u"j") == longName("j") ? 0 : 4;
                       }),
                       0);
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.family);
        row.check();
    }
    ::close(deep);
}

}  // namespace
