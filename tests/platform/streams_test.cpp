// Named streams on an NTFS volume: what one call writes, the others list, read and remove.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

#include "tests/filelib/FileTestSupport.h"
#include "platform/NamedStreams.h"

namespace {

using namespace filetest;

TEST(PlatformStreams, WrittenListedReadAndRemoved)
{
    testfs::NtfsVolume volume;
    TAGSCOPE_MOUNT_OR_SKIP(volume);
    const std::u16string file = U(volume.Root() / "f");
    WriteBytes(volume.Root() / "f", {1});
    const Bytes big(30000, 0xA5);  // beyond one resident attribute record

    ASSERT_FALSE(platform::WriteStream(file, u"Zone.Identifier", {'z'}));
    ASSERT_FALSE(platform::WriteStream(file, u"\u0434\u0430\u043D\u043D\u044B\u0435", big));
    ASSERT_FALSE(platform::WriteStream(file, u"empty", {}));
    std::vector<std::u16string> names;
    ASSERT_FALSE(platform::ListStreams(file, names));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Zone.Identifier", u"empty", u"\u0434\u0430\u043D\u043D\u044B\u0435"}));

    Bytes read;
    ASSERT_FALSE(platform::ReadStream(file, u"\u0434\u0430\u043D\u043D\u044B\u0435", read));
    EXPECT_EQ(read, big);
    ASSERT_FALSE(platform::ReadStream(file, u"empty", read));
    EXPECT_TRUE(read.empty());

    ASSERT_FALSE(platform::RemoveStream(file, u"Zone.Identifier"));
    EXPECT_EQ(platform::ReadStream(file, u"Zone.Identifier", read).value(), ENODATA);
    EXPECT_EQ(platform::RemoveStream(file, u"Zone.Identifier").value(), ENODATA);
    ASSERT_FALSE(platform::ListStreams(file, names));
    EXPECT_EQ(names.size(), 2u);
    EXPECT_EQ(platform::ListStreams(U(volume.Root() / "missing"), names).value(), ENOENT);
}

}  // namespace
