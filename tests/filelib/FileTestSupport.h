// Test helpers for the file services: a temporary folder, scratch file systems (a small
// tmpfs, an NTFS image mounted with ntfs-3g) mounted for one test, and re-running a
// test as the user nobody, whom permissions bind (root passes every permission check).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "common/Utf16.h"

namespace filetest {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

inline std::string Quote(const fs::path& p)
{
    std::string out = "'";
    for (char c : p.string()) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Runs a shell command with its output discarded; true when it succeeded.
inline bool Run(const std::string& command)
{
    return std::system(("{ " + command + "; } >/dev/null 2>&1").c_str()) == 0;
}

inline bool IsRoot()
{
    return Run("test \"$(id -u)\" = 0");
}

inline bool UnderCI()
{
    const char* ci = std::getenv("CI");
    return ci != nullptr && std::string(ci) == "true";
}

inline std::u16string U(const fs::path& p)
{
    return FromUtf8(p.string());
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

inline fs::path UniqueTempPath(const std::string& stem)
{
    std::random_device rd;
    return fs::temp_directory_path() / (stem + "-" + std::to_string(rd()) + std::to_string(rd()));
}

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

// A file system mounted on a folder of its own for the length of a test. Mount
// functions return "" on success, else why the mount could not be made.
class ScratchMount {
public:
    ScratchMount() = default;
    ~ScratchMount()
    {
        if (mounted_) Run("umount " + Quote(mountPoint_) + " || umount -l " + Quote(mountPoint_));
        std::error_code ec;
        if (!dir_.empty()) fs::remove_all(dir_, ec);
    }
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;

    // A tmpfs of `kib` KiB, writable by every user.
    std::string MountTmpfs(std::uint32_t kib)
    {
        if (!IsRoot()) return "mounting needs root";
        MakeDirs();
        if (!Run("mount -t tmpfs -o size=" + std::to_string(kib) + "k,mode=1777 tmpfs " + Quote(mountPoint_)))
            return "mount -t tmpfs failed (no CAP_SYS_ADMIN?)";
        mounted_ = true;
        return {};
    }

    // A fresh NTFS image of `mib` MiB mounted with ntfs-3g. With `permissions` the
    // volume keeps and enforces POSIX modes, so read-only files refuse writers.
    std::string MountNtfs(std::uint32_t mib, bool permissions)
    {
        if (!IsRoot()) return "mounting needs root";
        if (!fs::exists("/dev/fuse")) return "no /dev/fuse";
        if (!Run("command -v mkntfs && command -v ntfs-3g")) return "mkntfs or ntfs-3g missing";
        MakeDirs();
        const fs::path image = dir_ / "volume.img";
        if (!Run("truncate -s " + std::to_string(mib) + "M " + Quote(image) + " && mkntfs -F -q -Q " + Quote(image)))
            return "mkntfs failed";
        const std::string options = permissions ? " -o permissions" : "";
        if (!Run("ntfs-3g" + options + " " + Quote(image) + " " + Quote(mountPoint_))) return "ntfs-3g failed";
        mounted_ = true;
        Run("chmod 1777 " + Quote(mountPoint_));
        return {};
    }

    const fs::path& Root() const { return mountPoint_; }

private:
    void MakeDirs()
    {
        dir_ = UniqueTempPath("tagscope-mount");
        mountPoint_ = dir_ / "mnt";
        fs::create_directories(mountPoint_);
        fs::permissions(dir_, fs::perms::all);
    }

    fs::path dir_;
    fs::path mountPoint_;
    bool mounted_ = false;
};

// Skips the test when the scratch file system cannot be had; a missing FUSE fails it
// under CI, where it must be present.
#define TAGSCOPE_NEED_MOUNT(why, fuse)                                           \
    do {                                                                         \
        const std::string why_ = (why);                                          \
        if (!why_.empty()) {                                                     \
            if ((fuse) && ::filetest::UnderCI()) FAIL() << "under CI: " << why_; \
            GTEST_SKIP() << why_;                                                \
        }                                                                        \
    } while (0)

// True in the child that RerunAsNobody started.
inline bool IsNobodyChild()
{
    return std::getenv("TAGSCOPE_AS_NOBODY") != nullptr;
}

inline std::string ChildArgument()
{
    const char* value = std::getenv("TAGSCOPE_CHILD_ARG");
    return value ? value : "";
}

// Runs the current test again in a child process as the user nobody (setpriv), with
// `argument` in its environment (ChildArgument), and checks that exactly this test ran
// there and passed. Returns false, with the reason recorded, when that is impossible.
inline bool RerunAsNobody(const std::string& argument = {})
{
    if (!Run("command -v setpriv")) {
        ADD_FAILURE() << "setpriv missing: cannot drop root for a permission test";
        return false;
    }
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string filter = std::string(info->test_suite_name()) + "." + info->name();
    const fs::path self = fs::read_symlink("/proc/self/exe");
    const fs::path log = UniqueTempPath("tagscope-child") += ".log";
    const std::string command = "TAGSCOPE_AS_NOBODY=1 TAGSCOPE_CHILD_ARG=" + Quote(argument) +
                                " setpriv --reuid=65534 --regid=65534 --clear-groups " + Quote(self) +
                                " --gtest_filter=" + Quote(filter) + " >" + Quote(log) + " 2>&1";
    const int status = std::system(command.c_str());
    std::ifstream in(log);
    const std::string output((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::error_code ec;
    fs::remove(log, ec);
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test."), std::string::npos) << "the child did not run the test:\n"
                                                                      << output;
    return status == 0;
}

}  // namespace filetest
