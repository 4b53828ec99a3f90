// Hidden and system attributes around the re-creation of a file, with and without NTFS.
#include "filelib/CFileAttributesReset.h"

#include <gtest/gtest.h>

#include "tests/filelib/FileTestSupport.h"
#include "platform/Files.h"

using namespace filetest;

namespace {

constexpr std::uint32_t kReadOnly = platform::kAttributeReadOnly;
constexpr std::uint32_t kHidden = platform::kAttributeHidden;
constexpr std::uint32_t kSystem = platform::kAttributeSystem;

using AttributeReset = WithSharedNtfsVolume<::testing::Test, true>;

// That hidden and system come off and go back on is what the writers on such files rely
// on (the file-safety tests); here read-only stays on meanwhile, a file re-created meanwhile
// gets the attributes read before, and a missing file needs nothing.
TEST_F(AttributeReset, ReadOnlyStaysAndARecreatedFileGetsTheOldAttributes)
{
    const fs::path file = Root() / "recreated";
    // ntfs-3g shows system files of length 0 and 1 as a FIFO and a socket.
    WriteBytes(file, {1, 2, 3, 4});
    SetNtfsAttributes(file, 0x20 | kHidden | kReadOnly);
    const std::uint32_t before = AttributesOf(file);
    {
        CFileAttributesReset reset;
        reset.ResetAttributes(U(file));
        EXPECT_TRUE(reset.ResetDone());
        EXPECT_EQ(AttributesOf(file) & (kHidden | kSystem | kReadOnly), kReadOnly);
        fs::remove(file);
        WriteBytes(file, {2, 2});
        EXPECT_EQ(AttributesOf(file) & kHidden, 0u);
    }
    EXPECT_EQ(AttributesOf(file), before);
    CFileAttributesReset missing;
    missing.ResetAttributes(U(Root() / "missing"));
    EXPECT_FALSE(missing.ResetDone());
}

}  // namespace
