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

// The part a started program plays: "writer", its folder, the name to describe and the
// number of changes; or "reader", its folder and a file whose coming ends the reading.
constexpr wchar_t kPartVariable[] = L"TAGSCOPE_DESCRIPTION_PART";

std::vector<std::wstring> Split(const std::wstring& text)
{
    std::vector<std::wstring> parts{L""};
    for (const wchar_t c : text)
        if (c == L'|') parts.emplace_back();
        else parts.back().push_back(c);
    return parts;
}

TEST(DescriptionsAtOnceWin32Part, PlaysItsPart)
{
    const wchar_t* part = _wgetenv(kPartVariable);
    if (part == nullptr) GTEST_SKIP() << "a part of DescriptionsAtOnceWin32 only";
    const std::vector<std::wstring> args = Split(part);
    ASSERT_GE(args.size(), 3u);
    const fs::path folder(args[1]);
    Hollin0106::qvxFSO fso;
    if (args[0] == L"writer") {
        ASSERT_EQ(args.size(), 4u);
        const int rounds = std::stoi(args[3]);
        const std::u16string name = U(folder / (args[2] + L".txt"));
        for (int i = 1; i <= rounds; ++i)
            ASSERT_TRUE(fso.SetFileDescription(name, U(args[2] + L" " + std::to_wstring(i))));
        return;
    }
    while (!fs::exists(fs::path(args[2]))) ASSERT_EQ(fso.GetFileDescription(U(folder / "f50.txt")), u"text 50");
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

// The exit code of a part; 99 when it overran `deadlineMs` and was ended.
DWORD ExitOf(HANDLE process, DWORD deadlineMs)
{
    if (::WaitForSingleObject(process, deadlineMs) != WAIT_OBJECT_0) ::TerminateProcess(process, 99);
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
    constexpr int kRounds = 100;
    constexpr DWORD kDeadlineMs = 300000;
    filetest::TempFolder dir, signals;
    std::string index;
    for (int i = 0; i < 100; ++i) index += "f" + std::to_string(i) + ".txt text " + std::to_string(i) + "\r\n";
    filetest::WriteBytes(dir / "Descript.ion", filetest::B(index));
    const fs::path done = signals / "writers-done";

    const HANDLE reader = StartPart(L"reader|" + dir.Path().wstring() + L"|" + done.wstring());
    const HANDLE x = StartPart(L"writer|" + dir.Path().wstring() + L"|x|" + std::to_wstring(kRounds));
    const HANDLE y = StartPart(L"writer|" + dir.Path().wstring() + L"|y|" + std::to_wstring(kRounds));
    ASSERT_TRUE(reader && x && y);
    EXPECT_EQ(ExitOf(x, kDeadlineMs), 0u);
    EXPECT_EQ(ExitOf(y, kDeadlineMs), 0u);
    filetest::WriteBytes(done, {1});
    EXPECT_EQ(ExitOf(reader, kDeadlineMs), 0u);

    Hollin0106::qvxDescriptIon d;
    ASSERT_TRUE(d.ReadDirectoryFile(U(dir.Path())));
    EXPECT_EQ(d.ItemCount(), 102);
    EXPECT_EQ(d.ItemDescriptionByFileName(u"f99.txt"), u"text 99");
    EXPECT_EQ(d.ItemDescriptionByFileName(u"x.txt"), U(L"x " + std::to_wstring(kRounds)));
    EXPECT_EQ(d.ItemDescriptionByFileName(u"y.txt"), U(L"y " + std::to_wstring(kRounds)));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}

}  // namespace
