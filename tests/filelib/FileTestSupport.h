// Helpers of the file tests: folders and file systems for one test, re-runs as nobody, checks.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <Hollin0106/AutomationError.h>
#include "common/Utf16.h"
#include "filelib/modTextEncoding.h"
#include <Hollin0106/qvxFSO.h>
#include "platform/Files.h"
#include "support/codepages/CodePages.h"
#include "tests/fixtures/NtfsVolume.h"
#include "tests/fixtures/Shell.h"

namespace modTextEncoding {
// Test messages show a format as its three numbers.
inline void PrintTo(const FileFormat& f, std::ostream* os)
{
    *os << f.Encoding << "/" << f.FileBOM << "/" << f.InvertBytes;
}
}  // namespace modTextEncoding

// The three format outputs of the text methods, written into a FileFormat `f`.
#define FORMAT_OUTPUTS(f) &(f).Encoding, &(f).FileBOM, &(f).InvertBytes

namespace filetest {

using namespace Hollin0106;

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using testfs::IsRoot;
using testfs::Quote;
using testfs::Run;
using testfs::UnderCI;
using testfs::UniqueTempPath;
using modTextEncoding::FileFormat;

// Every value Auto: what an output holds until a call writes it.
inline constexpr FileFormat kAllAuto{feAuto, fbAuto, ibAuto};

inline std::u16string U(const fs::path& p)
{
    return FromUtf8(p.string());
}

// The bytes of a text written in the test, as they stand.
inline Bytes B(std::string_view s)
{
    return Bytes(s.begin(), s.end());
}

inline Bytes ReadBytes(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const fs::path& p, const Bytes& bytes)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The number of the error a call raises, or 0 when it raises none. Every error the
// library raises has its class name as source and a description.
template <typename F>
std::int32_t RaisedNumberFrom(std::u16string_view source, F&& f)
{
    try {
        f();
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.Source, source);
        EXPECT_FALSE(e.Description.empty());
        return e.Number;
    }
    return 0;
}

template <typename F>
std::int32_t RaisedNumber(F&& f)
{
    return RaisedNumberFrom(u"qvxFSO", std::forward<F>(f));
}

// The attributes of an entry as the platform layer reads them.
inline std::uint32_t AttributesOf(const fs::path& p)
{
    std::uint32_t attributes = 0;
    EXPECT_FALSE(platform::GetFileAttributes(U(p), attributes)) << p;
    return attributes;
}

// Sets the NTFS attribute word with the attr tools, independently of the code under test.
inline void SetNtfsAttributes(const fs::path& p, std::uint32_t word)
{
    char value[16];
    std::snprintf(value, sizeof value, "0x%02X%02X%02X%02X", word & 0xFF, (word >> 8) & 0xFF, (word >> 16) & 0xFF,
                  word >> 24);
    ASSERT_TRUE(Run("setfattr -h -n system.ntfs_attrib -v " + std::string(value) + " " + Quote(p)));
}

// The ANSI rules depend on the host's code pages: pinned to 1252 and 437 for each test,
// given back to the locale afterwards.
template <typename Base>
class WithWesternCodePages : public Base {
protected:
    void SetUp() override { codepages::SetHostCodePages(1252, 437); }
    void TearDown() override { codepages::SetHostCodePages(0, 0); }
};
using WesternCodePages = WithWesternCodePages<::testing::Test>;

// A fresh folder under the system's temporary folder, removed with its content.
class TempFolder {
public:
    TempFolder() : path_(UniqueTempPath("tagscope-files"))
    {
        fs::create_directories(path_);
        // Open to every user, so that a test re-run as nobody can work in it.
        fs::permissions(path_, fs::perms::all);
    }
    ~TempFolder()
    {
        std::error_code ec;
        // Entries a test made read-only must not stop the clean-up.
        Run("chmod -R u+rwx " + Quote(path_));
        fs::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const fs::path& Path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }

private:
    fs::path path_;
};

// qvxFSO on files of a temporary folder.
class FolderTest : public ::testing::Test {
protected:
    std::u16string Name(const std::string& leaf) const { return U(dir_ / leaf); }
    fs::path File(const std::string& leaf) const { return dir_ / leaf; }

    TempFolder dir_;
    qvxFSO fso_;
};

// The text and list methods, with the Western code pages.
using TextFileTest = WithWesternCodePages<FolderTest>;

// A file system of its own mounted on a temporary folder while the object lives; each
// Mount returns "" on success, else why not.
class ScratchMount {
public:
    ~ScratchMount()
    {
        if (mounted_) Run("umount " + Quote(dir_.Path()) + " || umount -l " + Quote(dir_.Path()));
        std::error_code ec;
        if (!image_.empty()) fs::remove(image_, ec);
    }

    // A tmpfs of `kib` KiB, writable by every user.
    std::string MountTmpfs(std::uint32_t kib)
    {
        if (!IsRoot()) return "mounting needs root";
        mounted_ = Run("mount -t tmpfs -o size=" + std::to_string(kib) + "k,mode=1777 tmpfs " + Quote(dir_.Path()));
        return mounted_ ? "" : "mount -t tmpfs failed (no CAP_SYS_ADMIN?)";
    }

    // ext4 of `kib` KiB on a loop device, with inodes of `inodeSize` bytes (256 holds times
    // from 1901-12-14 to 2446-05-10 in nanoseconds, 128 to 2038 in whole seconds).
    std::string MountExt4(std::uint32_t kib, int inodeSize)
    {
        if (!IsRoot()) return "mounting needs root";
        image_ = dir_.Path().string() + ".img";
        if (!Run("truncate -s " + std::to_string(kib) + "k " + Quote(image_) + " && mkfs.ext4 -q -F -I " +
                 std::to_string(inodeSize) + " " + Quote(image_)))
            return "mkfs.ext4 failed";
        mounted_ = Run("mount -o loop " + Quote(image_) + " " + Quote(dir_.Path()));
        return mounted_ ? "" : "mount -o loop failed (no loop devices?)";
    }

    const fs::path& Root() const { return dir_.Path(); }

private:
    TempFolder dir_;
    fs::path image_;
    bool mounted_ = false;
};

// Skips the test when the scratch file system cannot be had (`why` says why); a missing
// FUSE fails it under CI, where it must be present.
#define TAGSCOPE_NEED_MOUNT(why, fuse)                                           \
    do {                                                                         \
        const std::string why_ = (why);                                          \
        if (!why_.empty()) {                                                     \
            if ((fuse) && ::filetest::UnderCI()) FAIL() << "under CI: " << why_; \
            GTEST_SKIP() << why_;                                                \
        }                                                                        \
    } while (0)

// Mounts a testfs::NtfsVolume or skips the test (fails it under CI).
#define TAGSCOPE_MOUNT_OR_SKIP(volume) TAGSCOPE_NEED_MOUNT((volume).Mount(), true)

// One NTFS volume for every case of a test suite, mounted before its first case and
// unmounted after its last (a mount costs seconds); each case skips without it (fails
// under CI). Cases share the volume, so each works in files or folders of its own. The
// build registers each such suite as one test, so that the suite really mounts once.
// `Permissions`: mounted with ntfs-3g's `-o permissions` (NtfsOptions).
template <typename Base, bool Permissions = false>
class WithSharedNtfsVolume : public Base {
public:
    static void SetUpTestSuite()
    {
        volume_ = new testfs::NtfsVolume({.permissions = Permissions});
        mountError_ = volume_->Mount();
    }
    static void TearDownTestSuite()
    {
        delete volume_;
        volume_ = nullptr;
    }

protected:
    void SetUp() override
    {
        Base::SetUp();
        TAGSCOPE_NEED_MOUNT(mountError_, true);
    }
    static const fs::path& Root() { return volume_->Root(); }
    static testfs::NtfsVolume& Volume() { return *volume_; }
    // "" while the volume is usable, else why not; a suite's own set-up may add a reason.
    static std::string& MountError() { return mountError_; }

private:
    inline static testfs::NtfsVolume* volume_ = nullptr;
    inline static std::string mountError_;
};
using SharedNtfsVolume = WithSharedNtfsVolume<::testing::Test>;

// In the child that RerunAsNobody started: the argument it was given; else nothing.
inline std::optional<std::string> NobodyArgument()
{
    const char* value = std::getenv("TAGSCOPE_CHILD_ARG");
    return value ? std::optional<std::string>(value) : std::nullopt;
}

// Runs the current test again in a child process as the user nobody (through
// tests/fixtures/run-unprivileged), with `argument` in its environment (NobodyArgument),
// and checks that exactly this test ran there and passed. Only for root.
inline void RerunAsNobody(const std::string& argument = {})
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string filter = std::string(info->test_suite_name()) + "." + info->name();
    const std::string output = testfs::Output(
        "TAGSCOPE_CHILD_ARG=" + Quote(argument) + " " +
        Quote(fs::path(TAGSCOPE_SOURCE_DIR) / "tests/fixtures/run-unprivileged") + " " +
        Quote(fs::read_symlink("/proc/self/exe")) + " --gtest_filter=" + Quote(filter) + " 2>&1; echo \"exit $?\"");
    EXPECT_TRUE(output.ends_with("exit 0\n")) << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test."), std::string::npos) << "the child did not run the test:\n"
                                                                      << output;
}

}  // namespace filetest
