// The Win32 backend under Wine or Windows: errors, wide and long names, attributes, search.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/text/TextCase.h"
#include "platform/Entries.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/Search.h"
#include "support/quovixsupportfbe.h"
#include "tests/filelib/FileTestSupport.h"

namespace {

namespace fs = std::filesystem;
using filetest::Bytes;
using filetest::U;

TEST(Win32Errors, SystemErrorsBecomeTheFileRuntimesNumbers)
{
    filetest::TempFolder dir;
    const struct {
        const char* name;
        int error;
        std::u16string path;
        std::int32_t number;
    } cases[] = {
        {"ERROR_FILE_NOT_FOUND", 2, U(dir / "missing.txt"), 53},
        {"ERROR_FILE_NOT_FOUND, folder missing", 2, U(dir / "nofolder" / "missing.txt"), 76},
        {"ERROR_PATH_NOT_FOUND", 3, u"", 76},
        {"ERROR_ACCESS_DENIED", 5, u"", 75},
        {"ERROR_WRITE_PROTECT", 19, u"", 75},
        {"ERROR_CRC", 23, u"", 57},
        {"ERROR_SHARING_VIOLATION", 32, u"", 70},
        {"ERROR_LOCK_VIOLATION", 33, u"", 70},
        {"ERROR_HANDLE_DISK_FULL", 39, u"", 61},
        {"ERROR_DISK_FULL", 112, u"", 61},
        {"ERROR_FILENAME_EXCED_RANGE", 206, u"", 75},
        {"ERROR_INVALID_NAME", 123, u"", 52},
        {"ERROR_INVALID_PARAMETER, a NUL in the name", 87, u"", 52},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(esWin32ErrorToVBAErrorIO(c.error, c.path), c.number);
    }
}

TEST(Win32Entries, MissingEntriesAreThePortableConditionAndNamesAreFullUnicode)
{
    filetest::TempFolder dir;
    platform::EntryInfo info;
    EXPECT_EQ(platform::QueryEntry(U(dir / "missing"), info), std::errc::no_such_file_or_directory);
    EXPECT_EQ(platform::QueryEntry(U(dir / "nofolder" / "missing"), info), std::errc::no_such_file_or_directory);
    EXPECT_FALSE(esIsFileOrDirectoryExist(U(dir / "missing")));

    // Cyrillic and Japanese together fit no ANSI code page.
    const std::u16string name = U(dir.Path()) + u"\\имя-名前.txt";
    {
        platform::File file;
        ASSERT_FALSE(platform::OpenFile(name, platform::FileOpenMode::CreateTruncate, file));
        const Bytes first{1, 2, 3};
        ASSERT_FALSE(platform::WriteFile(file, first.data(), first.size()));
        ASSERT_FALSE(file.Close());
        ASSERT_FALSE(platform::OpenFile(name, platform::FileOpenMode::Append, file));
        const Bytes more{4};
        ASSERT_FALSE(platform::WriteFile(file, more.data(), more.size()));
    }
    std::uint64_t size = 0;
    ASSERT_FALSE(platform::QueryFileSize(name, size));
    EXPECT_EQ(size, 4u);
    ASSERT_FALSE(platform::QueryEntry(name, info));
    EXPECT_FALSE(info.isDirectory || info.isSymlink);
    EXPECT_EQ(platform::QueryReparsePoint(name), platform::ReparseState::No);
}

TEST(Win32Entries, ANameWithNulIsRefusedAndALongPathIsReached)
{
    filetest::TempFolder dir;
    filetest::WriteBytes(dir / "a", {1});
    const std::u16string withNul = U(dir / "a") + std::u16string(1, u'\0') + u"b";
    platform::EntryInfo info;
    EXPECT_EQ(platform::QueryEntry(withNul, info), std::errc::invalid_argument);
    platform::File file;
    EXPECT_EQ(platform::OpenFile(withNul, platform::FileOpenMode::CreateTruncate, file), std::errc::invalid_argument);
    EXPECT_EQ(filetest::ReadBytes(dir / "a"), (Bytes{1}));

    // A device takes bytes and keeps none: no writer may take it for a file.
    EXPECT_EQ(platform::OpenFile(u"NUL", platform::FileOpenMode::CreateTruncate, file),
              std::errc::no_such_device_or_address);

    // Longer than MAX_PATH (260) in all, each part within the 255 a name may have.
    const fs::path folder = dir / std::string(200, 'f');
    ASSERT_TRUE(fs::create_directory(folder));
    const std::u16string name = U(folder) + u"\\" + std::u16string(100, u'n') + u"/" + u"..\\" +
                                std::u16string(120, u'x') + u".bin";
    ASSERT_GT(name.size(), 400u);
    ASSERT_FALSE(platform::OpenFile(name, platform::FileOpenMode::CreateTruncate, file));
    const Bytes data{7, 8};
    ASSERT_FALSE(platform::WriteFile(file, data.data(), data.size()));
    ASSERT_FALSE(file.Close());
    std::uint64_t size = 0;
    ASSERT_FALSE(platform::QueryFileSize(name, size));
    EXPECT_EQ(size, 2u);
    ASSERT_FALSE(platform::QueryEntry(name, info));
    EXPECT_FALSE(info.isDirectory);
}

TEST(Win32Entries, TheReaderOpensAnEntryWithoutReparsePointButReadsNothing)
{
    filetest::TempFolder dir;
    filetest::WriteBytes(dir / "plain", {1});
    for (const fs::path& p : {dir / "plain", dir.Path()}) {
        SCOPED_TRACE(p.string());
        platform::ReparseHandle handle;
        ASSERT_FALSE(platform::OpenReparsePoint(U(p), handle));
        std::vector<std::uint8_t> out{9};
        EXPECT_EQ(platform::ReadReparseData(handle, 16 * 1024, out).value(), 4390);  // ERROR_NOT_A_REPARSE_POINT
        EXPECT_TRUE(out.empty());
    }
    platform::ReparseHandle handle;
    EXPECT_EQ(platform::OpenReparsePoint(U(dir / "missing"), handle), std::errc::no_such_file_or_directory);
    EXPECT_FALSE(handle.isOpen());
}

TEST(Win32Attributes, ReadOnlyHiddenAndSystemComeAndGo)
{
    filetest::TempFolder dir;
    const std::u16string f = U(dir / "f");
    filetest::WriteBytes(dir / "f", {1});
    // Only these three are looked at: Wine shows every file with the archive bit.
    constexpr std::uint32_t kLooked = 0x1 | 0x2 | 0x4;
    const struct {
        std::uint32_t set;
        std::uint32_t got;
    } cases[] = {
        {0x1 | 0x2 | 0x4, 0x1 | 0x2 | 0x4},
        {0x80 | 0x2, 0x2},  // normal is dropped beside any other bit
        {0x80, 0},
        {0x4, 0x4},
        {0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.set);
        ASSERT_FALSE(platform::SetFileAttributes(f, c.set));
        std::uint32_t attributes = 0;
        ASSERT_FALSE(platform::GetFileAttributes(f, attributes));
        EXPECT_EQ(attributes & kLooked, c.got);
    }
    std::uint32_t attributes = 0;
    ASSERT_FALSE(platform::GetFileAttributes(U(dir.Path()), attributes));
    EXPECT_EQ(attributes & platform::kAttributeDirectory, platform::kAttributeDirectory);
}

TEST(Win32Search, AFolderFoundInItsParentIsTheFolderASearchInsideItStandsIn)
{
    filetest::TempFolder dir;
    fs::create_directory(dir / "sub");
    filetest::WriteBytes(dir / "sub" / "f.txt", {1, 2, 3});

    platform::FindHandle handle;
    platform::FindData data;
    // The system's matching: case-insensitive, no wildcards needed for one entry.
    ASSERT_FALSE(platform::FindFirstFile(U(dir / "SUB"), handle, data));
    EXPECT_EQ(data.name, u"sub");
    EXPECT_EQ(data.attributes & platform::kAttributeDirectory, platform::kAttributeDirectory);
    EXPECT_NE(data.inode, 0u);
    const std::uint64_t device = data.device, inode = data.inode;

    platform::FindHandle inside;
    ASSERT_FALSE(platform::FindFirstFile(U(dir / "sub" / "*.TXT"), inside, data));
    EXPECT_EQ(inside.Device(), device);
    EXPECT_EQ(inside.Inode(), inode);
    EXPECT_EQ(data.name, u"f.txt");
    EXPECT_EQ(data.size, 3u);
    EXPECT_EQ(data.inode, 0u);  // a file leads nowhere
    EXPECT_EQ(platform::FindNextFile(inside, data), std::errc::no_such_file_or_directory);
    EXPECT_EQ(platform::FindFirstFile(U(dir / "*.none"), handle, data), std::errc::no_such_file_or_directory);

    const struct {
        const char16_t* path;
        bool root;
    } roots[] = {{u"C:\\", true}, {u"C:\\x", false}, {u"\\\\server\\share", true}, {u"x", false}, {u"", false}};
    for (const auto& r : roots) EXPECT_EQ(platform::PathIsRoot(r.path), r.root) << std::string(r.path, r.path + std::char_traits<char16_t>::length(r.path));
}

TEST(Win32CaseFolding, VariantLettersMeetTheirPlainLetterButNoLetterBecomesTwo)
{
    const struct {
        std::u16string a, b;
        bool same;
    } cases[] = {
        {u"ΣΊΣΥΦΟΣ", u"σίσυφος", true},  // a final sigma against a capital one
        {u"µs", u"ΜS", true},             // micro sign
        {u"ſ", u"S", true},               // long s
        {u"\u212A", u"k", true},          // Kelvin sign
        {u"ǅ", u"ǆ", true},               // title case
        {u"Ä", u"ä", true},
        {u"a", u"b", false},
        {u"straße", u"STRASSE", false},   // full folding would make "ss" of "ß"
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a.size() << "/" << c.b.size());
        EXPECT_EQ(textcase::Equal(c.a, c.b, textcase::Mode::FullFold), c.same);
    }
}

TEST(Win32Process, AMadeUpArgumentVectorIsReadInTheAnsiCodePage)
{
    const char* const argv[] = {"C:\\bin\\probe.exe", "plain", ""};
    const std::vector<std::u16string> args = platform::ProgramArguments(3, argv);
    EXPECT_EQ(args, (std::vector<std::u16string>{u"C:\\bin\\probe.exe", u"plain", u""}));
    EXPECT_FALSE(platform::CurrentDirectory().empty());
}

}  // namespace
