// System paths under Wine or Windows: the library's full form against the system's own,
// and long names of every kind reaching their files.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include <Hollin0106/qvxFoundedFiles.h>
#include "platform/WindowsPath.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/Removal.h"
#include "platform/Search.h"
#include "platform/win32/Win32.h"
#include "tests/filelib/FileTestSupport.h"

namespace {

namespace fs = std::filesystem;
using filetest::Bytes;
using filetest::U;
namespace winpath = platform::winpath;

std::u16string SystemFullPath(const std::u16string& name)
{
    const std::wstring wide(name.begin(), name.end());
    std::wstring full(4 * MAX_PATH, L'\0');
    const DWORD n = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    full.resize(n < full.size() ? n : 0);
    return std::u16string(full.begin(), full.end());
}

TEST(Win32Paths, TheFullFormIsTheSystemsOwn)
{
    filetest::TempFolder dir;
    const fs::path before = fs::current_path();
    fs::current_path(dir.Path());
    const char16_t* names[] = {u"..\\a.txt", u"x\\.\\y\\", u"dir.\\file.", u"trailing . .", u"a//b///c",
                               u"\\root\\x", u"C:\\a\\..\\..\\b", u"\\\\srv\\share\\a\\..\\..\\b", u"//./C:/x/../y"};
    const winpath::PathContext process{platform::CurrentDirectory, [](char16_t) { return std::u16string(); }};
    for (const char16_t* name : names) {
        SCOPED_TRACE(std::string(name, name + std::char_traits<char16_t>::length(name)));
        EXPECT_EQ(winpath::FullPath(name, process), SystemFullPath(name));
    }
    fs::current_path(before);
}

// A folder whose full name is longer than MAX_PATH, reached as a device name and by a
// search, and removed again.
TEST(Win32Paths, LongNamesOfEveryKindReachTheirFiles)
{
    filetest::TempFolder dir;
    const std::u16string top = SystemFullPath(U(dir.Path()));
    const std::u16string first = u"folder-a" + std::u16string(40, u'f');
    std::u16string deep = top + u"\\" + first;
    for (char16_t letter = u'b'; deep.size() < 300; ++letter)
        deep += u"\\folder-" + std::u16string(1, letter) + std::u16string(40, u'f');
    // Made with the system's own long form, apart from the code under test.
    for (std::size_t at = deep.find(u'\\', top.size() + 1);; at = deep.find(u'\\', at + 1)) {
        const std::u16string verbatim = u"\\\\?\\" + deep.substr(0, at);
        ASSERT_TRUE(CreateDirectoryW(std::wstring(verbatim.begin(), verbatim.end()).c_str(), nullptr)) << GetLastError();
        if (at == std::u16string::npos) break;
    }
    const std::u16string file = deep + u"\\data.bin";
    platform::File out;
    ASSERT_FALSE(platform::OpenFile(file, platform::FileOpenMode::CreateTruncate, out));
    const Bytes data{1, 2, 3, 4, 5};
    ASSERT_FALSE(platform::WriteFile(out, data.data(), data.size()));
    ASSERT_FALSE(out.Close());

    std::uint64_t size = 0;  // as "\\.\C:\...", once made into "\\?\UNC\.\C:\..."
    EXPECT_FALSE(platform::QueryFileSize(u"\\\\.\\" + file, size));
    EXPECT_EQ(size, 5u);

    // The search: the deepest entries' names cross the limit; their sizes and the
    // folders' identities (which the loop guard compares) are still read.
    Hollin0106::qvxFoundedFiles found;
    ASSERT_TRUE(found.RefreshEx(top, u"*"));
    const Hollin0106::qvxFoundedFiles* level = &found;
    while (level->Count() == 1 && level->Item(0)->AttributeDirectory()) level = level->Item(0)->Childs().get();
    ASSERT_EQ(level->Count(), 1);
    EXPECT_EQ(level->Item(0)->FileName(), u"data.bin");
    EXPECT_EQ(level->Item(0)->CompressedFileSize(), 5.0);
    platform::FindHandle handle;
    platform::FindData entry;
    ASSERT_FALSE(platform::FindFirstFile(deep, handle, entry));
    EXPECT_NE(entry.inode, 0u) << "the deepest folder's identity";

    EXPECT_FALSE(platform::RemoveTree(top + u"\\" + first));
    EXPECT_FALSE(fs::exists(dir.Path() / fs::path(first)));
}

}  // namespace
