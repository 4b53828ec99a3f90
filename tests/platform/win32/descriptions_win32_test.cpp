// Descript.ion changed by several processes at once under Wine or Windows: the folder's
// named mutex and the new file moved over the old one. The processes are this test
// program started again for one part each, and ended when they overrun their deadline.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <Hollin0106/qvxDescriptIon.h>
#include <Hollin0106/qvxFSO.h>
#include "platform/win32/Win32.h"
#include "tests/filelib/FileTestSupport.h"

namespace {

namespace fs = std::filesystem;
using filetest::U;

// The part a started program plays, then "|" and the folder: "x" or "y" describes x.txt or
// y.txt kRounds times; "reader" reads f50.txt's until the file "FOLDER.done" appears.
constexpr wchar_t kPartVariable[] = L"TAGSCOPE_DESCRIPTION_PART";
constexpr int kRounds = 100;

TEST(DescriptionsAtOnceWin32Part, PlaysItsPart)
{
    const wchar_t* variable = _wgetenv(kPartVariable);
    if (variable == nullptr) GTEST_SKIP() << "a part of DescriptionsAtOnceWin32 only";
    const std::wstring part(variable);
    const std::wstring role = part.substr(0, part.find(L'|')), folder = part.substr(part.find(L'|') + 1);
    Hollin0106::qvxFSO fso;
    for (int i = 1; role != L"reader" && i <= kRounds; ++i)
        ASSERT_TRUE(fso.SetFileDescription(U(fs::path(folder) / (role + L".txt")), U(role + L" " + std::to_wstring(i))));
    if (role != L"reader") return;
    do {
        ASSERT_EQ(fso.GetFileDescription(U(fs::path(folder) / "f50.txt")), u"text 50");
    } while (!fs::exists(folder + L".done"));
}

// Starts this program again for `part`; its process, or nothing.
HANDLE StartPart(const std::wstring& part)
{
    wchar_t self[MAX_PATH];
    if (::GetModuleFileNameW(nullptr, self, MAX_PATH) == 0) return nullptr;
    std::wstring command = L"x --gtest_filter=DescriptionsAtOnceWin32Part.PlaysItsPart";
    ::SetEnvironmentVariableW(kPartVariable, part.c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const bool started =
        ::CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
    ::SetEnvironmentVariableW(kPartVariable, nullptr);
    if (started) ::CloseHandle(process.hThread);
    return started ? process.hProcess : nullptr;
}

// The exit code of a part; 99 when it overran five minutes and was ended.
DWORD ExitOf(HANDLE process)
{
    if (::WaitForSingleObject(process, 300000) != WAIT_OBJECT_0) ::TerminateProcess(process, 99);
    ::WaitForSingleObject(process, INFINITE);
    DWORD exit = 99;
    ::GetExitCodeProcess(process, &exit);
    ::CloseHandle(process);
    return exit;
}

// Two processes change the descriptions of x.txt and y.txt while a third reads one that
// nobody changes: no change may lose another's entry, no read may see a file in between.
TEST(DescriptionsAtOnceWin32, NoChangeIsLostAndNoReadSeesAFileInBetween)
{
    filetest::TempFolder top;
    const fs::path dir = top / "d";
    fs::create_directory(dir);
    std::string index;
    for (int i = 0; i < 100; ++i) index += "f" + std::to_string(i) + ".txt text " + std::to_string(i) + "\r\n";
    filetest::WriteBytes(dir / "Descript.ion", filetest::B(index));

    const HANDLE reader = StartPart(L"reader|" + dir.wstring());
    const HANDLE x = StartPart(L"x|" + dir.wstring());
    const HANDLE y = StartPart(L"y|" + dir.wstring());
    ASSERT_TRUE(reader && x && y);
    EXPECT_EQ(ExitOf(x), 0u);
    EXPECT_EQ(ExitOf(y), 0u);
    filetest::WriteBytes(dir.wstring() + L".done", {1});
    EXPECT_EQ(ExitOf(reader), 0u);

    Hollin0106::qvxDescriptIon d;
    ASSERT_TRUE(d.ReadDirectoryFile(U(dir)));
    EXPECT_EQ(d.ItemCount(), 102);
    EXPECT_EQ(d.ItemDescriptionByFileName(u"f99.txt"), u"text 99");
    EXPECT_EQ(d.ItemDescriptionByFileName(u"x.txt"), u"x 100");
    EXPECT_EQ(d.ItemDescriptionByFileName(u"y.txt"), u"y 100");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

}  // namespace
