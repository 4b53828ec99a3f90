// Hidden and system attributes around the re-creation of a file, with and without NTFS.
#include "filelib/CFileAttributesReset.h"

#include <gtest/gtest.h>

#include <Hollin0106/qvxFSO.h>
#include "tests/filelib/FileTestSupport.h"
#include "platform/Files.h"

using namespace filetest;

namespace {

constexpr std::uint32_t kReadOnly = platform::kAttributeReadOnly;
constexpr std::uint32_t kHidden = platform::kAttributeHidden;
constexpr std::uint32_t kSystem = platform::kAttributeSystem;
constexpr std::uint32_t kMissing = ~0u;

class AttributeReset : public WithSharedNtfsVolume<::testing::Test, true> {
protected:
    void SetUp() override
    {
        // The child re-run as nobody works on the parent's volume.
        if (NobodyArgument()) return;
        WithSharedNtfsVolume::SetUp();
    }
};

TEST_F(AttributeReset, HiddenOrSystemComesOffAndGoesBackOnRelease)
{
    const struct {
        const char* name;
        std::uint32_t set;  // kMissing: no file at all
        std::uint32_t whileReset;
        bool done;
    } cases[] = {
        {"hidden and system", kHidden | kSystem, 0, true},
        {"hidden and read-only keeps read-only", kHidden | kReadOnly, kReadOnly, true},
        {"plain file: nothing to do", 0, 0, false},
        {"missing file: nothing to do", kMissing, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = Root() / c.name;
        std::uint32_t before = 0;
        if (c.set != kMissing) {
            // ntfs-3g shows system files of length 0 and 1 as a FIFO and a socket.
            WriteBytes(file, {1, 2, 3, 4});
            if (c.set != 0) SetNtfsAttributes(file, 0x20 | c.set);
            before = AttributesOf(file);
            ASSERT_EQ(before & (kHidden | kSystem | kReadOnly), c.set);
        }
        {
            CFileAttributesReset reset;
            reset.ResetAttributes(U(file));
            EXPECT_EQ(reset.ResetDone(), c.done);
            if (c.set != kMissing) EXPECT_EQ(AttributesOf(file) & (kHidden | kSystem | kReadOnly), c.whileReset);
        }
        if (c.set != kMissing) EXPECT_EQ(AttributesOf(file), before);
        else EXPECT_FALSE(fs::exists(file));
    }
    // A file re-created meanwhile gets the attributes read before.
    const fs::path file = Root() / "recreated";
    WriteBytes(file, {1, 1});
    SetNtfsAttributes(file, 0x20 | kHidden);
    {
        CFileAttributesReset reset;
        reset.ResetAttributes(U(file));
        fs::remove(file);
        WriteBytes(file, {2, 2});
        EXPECT_EQ(AttributesOf(file) & kHidden, 0u);
    }
    EXPECT_EQ(AttributesOf(file) & kHidden, kHidden);
}

// As nobody, whom the volume's permissions bind: the read-only file refuses the
// writer, and the reset puts the hidden attribute back on the failure path.
TEST_F(AttributeReset, AHiddenReadOnlyFileStaysHiddenReadOnlyAndUnchanged)
{
    if (const auto argument = NobodyArgument()) {
        qvxFSO fso;
        const std::u16string file = FromUtf8(*argument);
        EXPECT_EQ(RaisedNumber([&] { fso.PutFileB(file, {1, 2}, true); }), 75);
        return;
    }
    const fs::path file = Root() / "hidden-ro";
    WriteBytes(file, {7, 7, 7});
    ASSERT_TRUE(filetest::Run("chmod 444 " + Quote(file)));
    SetNtfsAttributes(file, 0x20 | kHidden | kReadOnly);

    RerunAsNobody(file.string());

    EXPECT_EQ(ReadBytes(file), (Bytes{7, 7, 7}));
    EXPECT_EQ(AttributesOf(file) & (kHidden | kSystem | kReadOnly), kHidden | kReadOnly);
}

}  // namespace
