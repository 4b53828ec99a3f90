// qvxShellFileInfo on Linux's own kinds of entries: FIFOs, sockets and devices typed by
// what they are, and the read-only attribute whoever asks (root included).
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "common/Utf16.h"
#include <Hollin0106/qvxShellFileInfo.h>

#include "tests/filelib/ChildProcess.h"
#include "tests/fixtures/Shell.h"

namespace {

using namespace Hollin0106;
namespace fs = std::filesystem;

class ShellFileInfoLinux : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(dir_); }
    void TearDown() override
    {
        std::error_code ec;
        fs::permissions(dir_ / "locked", fs::perms::owner_all, ec);
        fs::remove_all(dir_);
    }

    std::u16string Path(const std::string& name) const { return FromNativePath((dir_ / name).string()); }

    const fs::path dir_ = testfs::UniqueTempPath("shellinfo-linux");
};

// Entries that are no files of data are typed by what they are, and never opened (a FIFO
// without a writer would block an open for reading); the read-only attribute is the
// file's, whoever asks.
TEST_F(ShellFileInfoLinux, SpecialFilesAndTheReadOnlyAttribute)
{
    ASSERT_EQ(::mkfifo((dir_ / "pipe").c_str(), 0644), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = (dir_ / "socket").string();
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
    ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    std::ofstream(dir_ / "read-only.txt") << "words";
    fs::permissions(dir_ / "read-only.txt", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::create_directory(dir_ / "locked");
    fs::permissions(dir_ / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    const struct {
        std::u16string path;
        std::u16string_view typeName;
        bool readOnly;
    } rows[] = {
        {Path("pipe"), u"pipe", false},
        {Path("socket"), u"socket", false},
        {u"/dev/null", u"character device", false},
        {Path("read-only.txt"), u"plain text document", true},
        {Path("locked"), u"folder", true},
    };
    // A child with a deadline: a regression that opened the FIFO would block.
    const int failures = filetest::InChild(
        [&] {
            int failed = 0;
            for (const auto& row : rows) {
                qvxShellFileInfo info;
                const bool ok = info.ReadFile(row.path) && info.TypeName() == row.typeName &&
                                ((info.Attributes() & saReadOnly) != 0) == row.readOnly &&
                                info.EXEType()->Signature().empty();
                if (!ok) {
                    std::fprintf(stderr, "%s: type \"%s\", attributes %08X\n", ToUtf8(row.path).c_str(),
                                 ToUtf8(info.TypeName()).c_str(), info.Attributes());
                    ++failed;
                }
            }
            std::fflush(stderr);
            return failed;
        },
        30);
    ::close(sock);
    EXPECT_EQ(failures, 0) << "rows that failed (listed above); -1: ended by its deadline";
}

}  // namespace
