// The Win32 backend under Wine or Windows: wide and long names, attributes, search.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Entries.h"
#include "platform/Files.h"
#include "platform/Search.h"
#include "tests/filelib/FileTestSupport.h"

namespace {

namespace fs = std::filesystem;
using filetest::Bytes;
using filetest::U;

TEST(Win32Entries, UnicodeAndLongNamesAreReachedAndANulIsRefused)
{
    filetest::TempFolder dir;
    ASSERT_TRUE(fs::create_directory(dir / std::string(200, 'f')));
    const std::u16string names[] = {
        U(dir.Path()) + u"\\имя-名前.txt",
        U(dir / std::string(200, 'f')) + u"\\" + std::u16string(100, u'n') + u"/..\\" + std::u16string(120, u'x') + u".bin"};
    for (const std::u16string& name : names) {
        platform::File file;
        ASSERT_FALSE(platform::OpenFile(name, platform::FileOpenMode::CreateTruncate, file));
        const Bytes data{1, 2, 3};
        ASSERT_FALSE(platform::WriteFile(file, data.data(), data.size()));
        ASSERT_FALSE(file.Close());
        std::uint64_t size = 0;
        ASSERT_FALSE(platform::QueryFileSize(name, size));
        EXPECT_EQ(size, 3u);
        EXPECT_EQ(platform::QueryReparsePoint(name), platform::ReparseState::No);
    }
    platform::EntryInfo info;
    EXPECT_EQ(platform::QueryEntry(U(dir / "nofolder" / "missing"), info), std::errc::no_such_file_or_directory);
    platform::File file;
    const std::u16string withNul = names[0] + std::u16string(1, u'\0') + u"b";
    EXPECT_EQ(platform::OpenFile(withNul, platform::FileOpenMode::CreateTruncate, file), std::errc::invalid_argument);
    // A device takes bytes and keeps none: no writer may take it for a file.
    EXPECT_EQ(platform::OpenFile(u"NUL", platform::FileOpenMode::CreateTruncate, file),
              std::errc::no_such_device_or_address);
}

TEST(Win32Attributes, ReadOnlyHiddenAndSystemComeAndGo)
{
    filetest::TempFolder dir;
    const std::u16string f = U(dir / "f");
    filetest::WriteBytes(dir / "f", {1});
    constexpr std::uint32_t kLooked = 0x1 | 0x2 | 0x4;  // Wine shows every file with the archive bit
    for (const auto& [set, got] : {std::pair{0x7u, 0x7u}, std::pair{0x82u, 0x2u}, std::pair{0x80u, 0u}}) {
        SCOPED_TRACE(set);
        ASSERT_FALSE(platform::SetFileAttributes(f, set));
        std::uint32_t attributes = 0;
        ASSERT_FALSE(platform::GetFileAttributes(f, attributes));
        EXPECT_EQ(attributes & kLooked, got);
    }
}

TEST(Win32Search, AFolderFoundInItsParentIsTheFolderASearchInsideItStandsIn)
{
    filetest::TempFolder dir;
    fs::create_directory(dir / "sub");
    filetest::WriteBytes(dir / "sub" / "f.txt", {1, 2, 3});
    platform::FindHandle handle, inside;
    platform::FindData data;
    // The system's matching: case-insensitive, no wildcards needed for one entry.
    ASSERT_FALSE(platform::FindFirstFile(U(dir / "SUB"), handle, data));
    EXPECT_EQ(data.name, u"sub");
    EXPECT_NE(data.inode, 0u);
    const std::uint64_t device = data.device, inode = data.inode;
    ASSERT_FALSE(platform::FindFirstFile(U(dir / "sub" / "*.TXT"), inside, data));
    EXPECT_EQ(inside.Device(), device);
    EXPECT_EQ(inside.Inode(), inode);
    EXPECT_EQ(data.size, 3u);
    EXPECT_EQ(data.inode, 0u);  // a file leads nowhere
    EXPECT_EQ(platform::FindNextFile(inside, data), std::errc::no_such_file_or_directory);
}

}  // namespace
