// File tests and the mapping of system errors to run-time error numbers.
#include <gtest/gtest.h>

#include <cerrno>

#include "support/quovixsupportfbe.h"
#include "tests/filelib/FileTestSupport.h"

using namespace filetest;

namespace {

TEST(ErrorMapping, SystemErrorsBecomeTheFileRuntimesNumbers)
{
    const struct {
        int error;
        std::int32_t number;
    } cases[] = {
        {ENOENT, 53}, {ENOTDIR, 76}, {EACCES, 75}, {ETXTBSY, 70}, {ENOSPC, 61}, {EDQUOT, 61}, {EIO, 57},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        EXPECT_EQ(esWin32ErrorToVBAErrorIO(c.error), c.number);
    }
}

TEST(ErrorMapping, AMissingFolderIsPathNotFound)
{
    TempFolder dir;
    EXPECT_EQ(esWin32ErrorToVBAErrorIO(ENOENT, U(dir / "missing.txt")), 53);
    EXPECT_EQ(esWin32ErrorToVBAErrorIO(ENOENT, U(dir / "nofolder" / "missing.txt")), 76);
    EXPECT_EQ(esWin32ErrorToVBAErrorIO(ENOENT, u"bare-name-in-the-current-folder"), 53);
}

TEST(FileTests, EntriesAreJudgedWithoutFollowingLinks)
{
    TempFolder dir;
    WriteBytes(dir / "f", {1, 2, 3});
    std::filesystem::create_directory(dir / "d");
    std::filesystem::create_symlink(dir / "nowhere", dir / "dangling");

    EXPECT_TRUE(esIsFileExist(U(dir / "f")));
    EXPECT_FALSE(esIsFileExist(U(dir / "d")));
    EXPECT_FALSE(esIsFileExist(U(dir / "missing")));
    EXPECT_FALSE(esIsFileExist(u""));
    EXPECT_TRUE(esIsFileExist(U(dir / "dangling")));  // the entry itself exists
    EXPECT_TRUE(esIsDirectory(U(dir / "d")));
    EXPECT_FALSE(esIsDirectory(U(dir / "f")));

    EXPECT_EQ(esGetFileSizeEx(U(dir / "f")), 3.0);
    EXPECT_EQ(RaisedNumber([&] { (void)esGetFileSizeEx(U(dir / "missing")); }), 53);
}

}  // namespace
