// Win32 backend of the platform layer: entries, the reparse-point reader, the process.
// Every call is the wide (UTF-16) form, so names outside the ANSI code page reach
// their files.
#include "platform/Entries.h"
#include "platform/Process.h"
#include "platform/win32/Win32.h"

#include <shellapi.h>
#include <winioctl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace platform {

using win32::Error;
using win32::LastError;
using win32::SystemPath;

std::error_code QueryEntry(const std::u16string& path, EntryInfo& info)
{
    std::wstring wide;
    if (const std::error_code ec = SystemPath(path, wide)) return ec;
    // GetFileAttributesW looks at the entry itself: a link or junction is not followed.
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return LastError();
    info.isDirectory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    info.isSymlink = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    return {};
}

ReparseState QueryReparsePoint(const std::u16string& path)
{
    std::wstring wide;
    if (SystemPath(path, wide)) return ReparseState::No;
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? ReparseState::Yes : ReparseState::No;
    const DWORD error = ::GetLastError();
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ? ReparseState::Unknown
                                                                            : ReparseState::No;
}

namespace {

HANDLE AsHandle(std::intptr_t native)
{
    return reinterpret_cast<HANDLE>(native);
}

// INVALID_HANDLE_VALUE is -1, the value the handle classes take for "closed".
static_assert(sizeof(std::intptr_t) == sizeof(HANDLE));

}  // namespace

void ReparseHandle::close()
{
    if (native_ != -1) ::CloseHandle(AsHandle(native_));
    native_ = -1;
    nativePath_.clear();
}

std::error_code OpenReparsePoint(const std::u16string& path, ReparseHandle& handle)
{
    handle.close();
    std::wstring wide;
    if (const std::error_code ec = SystemPath(path, wide)) return ec;
    // No access rights are asked for: FSCTL_GET_REPARSE_POINT needs none, so an entry
    // the user may not read is still reported. Backup semantics open folders too, and
    // open-reparse-point opens the entry instead of its target.
    const HANDLE h = ::CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                   nullptr);
    if (h == INVALID_HANDLE_VALUE) return LastError();
    handle.native_ = reinterpret_cast<std::intptr_t>(h);
    return {};
}

std::error_code ReadReparseData(const ReparseHandle& handle, std::size_t capacity,
                                std::vector<std::uint8_t>& out)
{
    out.clear();
    if (!handle.isOpen()) return Error(ERROR_INVALID_HANDLE);
    if (capacity > MAXDWORD) return Error(ERROR_INVALID_PARAMETER);
    std::vector<std::uint8_t> buffer(capacity);
    DWORD returned = 0;
    if (!::DeviceIoControl(AsHandle(handle.native_), FSCTL_GET_REPARSE_POINT, nullptr, 0, buffer.data(),
                           static_cast<DWORD>(buffer.size()), &returned, nullptr))
        return LastError();
    buffer.resize(returned);
    out = std::move(buffer);
    return {};
}

std::vector<std::u16string> ProgramArguments(int argc, const char* const* argv)
{
    std::vector<std::u16string> args;
    // The process's own argument vector is taken again from the wide command line; a
    // vector made up by the caller is converted from the ANSI code page it is in.
    // (The C runtime hands main a copy of __argv: the strings are compared.)
    bool own = argc == __argc && argv != nullptr && __argv != nullptr;
    for (int i = 0; own && i < argc; ++i)
        own = argv[i] != nullptr && __argv[i] != nullptr && std::strcmp(argv[i], __argv[i]) == 0;
    if (own) {
        int count = 0;
        if (wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count)) {
            for (int i = 0; i < count; ++i) args.push_back(win32::FromWide(wide[i], std::wcslen(wide[i])));
            ::LocalFree(wide);
            return args;
        }
    }
    for (int i = 0; i < argc; ++i) {
        const char* arg = argv[i] != nullptr ? argv[i] : "";
        const int length = static_cast<int>(std::strlen(arg));
        std::wstring wide(static_cast<std::size_t>(length), L'\0');
        const int n = length == 0 ? 0 : ::MultiByteToWideChar(CP_ACP, 0, arg, length, wide.data(), length);
        args.push_back(win32::FromWide(wide.data(), static_cast<std::size_t>(n)));
    }
    return args;
}

bool WriteConsoleText(std::u16string_view text)
{
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    // GetConsoleMode succeeds only for a console window, not for a file or a pipe.
    if (out == nullptr || out == INVALID_HANDLE_VALUE || !::GetConsoleMode(out, &mode)) return false;
    std::wstring wide;
    wide.reserve(text.size() + text.size() / 32);
    for (const char16_t c : text) {
        if (c == u'\n') wide.push_back(L'\r');
        wide.push_back(static_cast<wchar_t>(c));
    }
    std::size_t done = 0;
    while (done < wide.size()) {
        DWORD n = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(wide.size() - done, 16384));
        if (!::WriteConsoleW(out, wide.data() + done, want, &n, nullptr) || n == 0) return done > 0;
        done += n;
    }
    return true;
}

std::u16string CurrentDirectory()
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
        if (n == 0) return {};
        // Too small: n is the size needed, terminator included.
        if (n < buffer.size()) return win32::FromWide(buffer.data(), n);
        buffer.resize(n);
    }
}

std::string UserLocaleName()
{
    // The user's locale in the POSIX form the code-page table reads ("ru-RU" -> "ru_RU").
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    const int n = ::GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH);
    if (n <= 1) return "C";
    std::string out;
    for (int i = 0; i + 1 < n; ++i) out.push_back(name[i] == L'-' ? '_' : static_cast<char>(name[i] & 0x7F));
    return out;
}

std::uint16_t UserInterfaceLanguage()
{
    return ::GetUserDefaultUILanguage();
}

}  // namespace platform
