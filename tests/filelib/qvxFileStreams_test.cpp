// qvxFileStreams on ntfs-3g and elsewhere: each kind of entry, the security stream, the items.
#include <Hollin0106/qvxFileStreams.h>

#include <gtest/gtest.h>

#include "tests/filelib/FileTestSupport.h"
#include "tests/filelib/ReparseBuffers.h"

namespace {

using namespace filetest;

// The list as "id name size" lines, in order; "!" when the walk failed.
std::string Listed(qvxFileStreams& streams, const fs::path& path, bool security = false)
{
    if (!streams.ReadFileStreams(U(path), security)) return "!";
    std::string out;
    for (const auto& s : streams)
        out += std::to_string(s->StreamID()) + " " + ToUtf8(s->Name()) + " " +
               std::to_string(static_cast<long long>(s->Size())) + "\n";
    return out;
}

// The entries are made once for the suite's volume; the cases only read them.
class StreamsOnNtfs : public SharedNtfsVolume {
protected:
    void SetUp() override
    {
        SharedNtfsVolume::SetUp();
        if (IsSkipped() || made_) return;
        WriteBytes(Root() / "plain.txt", Bytes(1234, 'x'));
        WriteBytes(Root() / "two.txt", {'a', 'b'});
        ASSERT_TRUE(filetest::Run("setfattr -n user.Zone.Identifier -v 0x5b5a6f6e6554 " + Quote(Root() / "two.txt")));
        ASSERT_TRUE(filetest::Run("setfattr -n user.notes -v 0x41 " + Quote(Root() / "two.txt")));
        fs::create_directory(Root() / "dir");
        ASSERT_EQ(Volume().MakeReparseFolder("junction", junction_), "");
        made_ = true;
    }

    const testbuf::Bytes junction_ = testbuf::MountPoint(u"\\??\\C:\\dir", u"C:\\dir");
    static inline bool made_ = false;
};

TEST_F(StreamsOnNtfs, ListsTheStreamsOfEachKindOfEntry)
{
    const std::string junctionData = "8  " + std::to_string(junction_.size()) + "\n";
    const struct {
        const char* name;
        fs::path path;
        std::string expected;
    } rows[] = {
        {"a plain file has its unnamed data", "plain.txt", "1 ::$DATA 1234\n"},
        {"named streams follow the data",
         "two.txt",
         "1 ::$DATA 2\n4 :notes:$DATA 1\n4 :Zone.Identifier:$DATA 6\n"},
        {"a directory has no unnamed data", "dir", ""},
        {"a junction is not followed: its reparse data", "junction", junctionData},
        {"a missing entry", "missing", "!"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        qvxFileStreams streams;
        EXPECT_EQ(Listed(streams, Root() / row.path), row.expected);
    }
}

// The security data only when asked for; the items outlive the list, and a second walk replaces it.
TEST_F(StreamsOnNtfs, SecurityDataAndItems)
{
    qvxFileStreams streams;
    ASSERT_TRUE(streams.ReadFileStreams(U(Root() / "dir"), true));
    ASSERT_EQ(streams.Count(), 1);
    EXPECT_TRUE(streams.Item(0)->StreamIDSecurityData());
    std::shared_ptr<Hollin0106::FileStream> named;
    {
        qvxFileStreams other;
        ASSERT_TRUE(other.ReadFileStreams(U(Root() / "two.txt")));
        named = other.Item(2);
        EXPECT_EQ(RaisedNumberFrom(u"qvxFileStreams", [&] { other.Item(3); }), 9);
        EXPECT_FALSE(other.ReadFileStreams(U(Root() / "missing")));
        EXPECT_EQ(other.Count(), 0);
    }
    EXPECT_EQ(named->ShortName(), u"Zone.Identifier");
    EXPECT_TRUE(named->StreamIDAlternateData());
}

}  // namespace
