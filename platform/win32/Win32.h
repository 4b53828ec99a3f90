// Shared pieces of the Win32 backend: windows.h, wide paths and system errors. Include
// the platform headers before this one: windows.h turns GetFileAttributes,
// SetFileAttributes, FindFirstFile and FindNextFile into macros, which would rename the
// platform layer's own functions; they are undefined here.
#pragma once

#include <windows.h>

#undef GetFileAttributes
#undef SetFileAttributes
#undef FindFirstFile
#undef FindNextFile

#include <cstdint>
#include <string>
#include <system_error>
#include <utility>

#include "platform/WindowsPath.h"

namespace platform::win32 {

// The category of GetLastError values. Its conditions are the portable std::errc ones
// (ERROR_FILE_NOT_FOUND and ERROR_PATH_NOT_FOUND compare equal to
// errc::no_such_file_or_directory, ERROR_ACCESS_DENIED to permission_denied, ...), so
// code outside the backend can test an error without knowing the system.
const std::error_category& Category();

inline std::error_code Error(DWORD code)
{
    return {static_cast<int>(code), Category()};
}

// The calling thread's last error; ERROR_GEN_FAILURE when a failing call left none.
inline std::error_code LastError()
{
    const DWORD code = ::GetLastError();
    return Error(code != ERROR_SUCCESS ? code : ERROR_GEN_FAILURE);
}

// `path` as the wide calls take it (wchar_t is UTF-16 on Windows), for `use`
// (platform/WindowsPath.h): every name a system call is handed comes from here. A
// name that holds NUL is refused with ERROR_INVALID_PARAMETER: the system would stop
// reading it there and address another entry. A name whose absolute form is too long
// for the plain calls gets the "\\?\" form of it, which reaches 32,767 characters,
// whether it was given absolute, relative to a deep current folder, as a device name
// ("\\.\C:\...") or as a UNC name.
std::error_code SystemPath(const std::u16string& path, std::wstring& out,
                           winpath::PathUse use = winpath::PathUse::Call);

inline std::u16string FromWide(const wchar_t* text, std::size_t length)
{
    return std::u16string(text, text + length);
}

// Owns a kernel handle (a file, a folder, a mutex) and closes it when it goes. Both
// values the system uses for "no handle" (INVALID_HANDLE_VALUE from CreateFileW, null
// from CreateMutexW and others) count as none. Movable, not copyable.
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() { reset(); }
    Handle(Handle&& other) noexcept : h_(other.release()) {}
    Handle& operator=(Handle&& other) noexcept
    {
        if (this != &other) reset(other.release());
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    HANDLE get() const { return h_; }
    bool ok() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    // Gives the handle up without closing it.
    HANDLE release() { return std::exchange(h_, INVALID_HANDLE_VALUE); }
    // Closes the handle held (errors ignored) and holds `h` instead.
    void reset(HANDLE h = INVALID_HANDLE_VALUE)
    {
        if (ok()) ::CloseHandle(h_);
        h_ = h;
    }
    // Closes the handle now and reports what the system reports (a delayed write error);
    // none is held afterwards in any case.
    std::error_code close()
    {
        if (!ok()) return {};
        return ::CloseHandle(release()) ? std::error_code() : LastError();
    }

private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
};

// A FILETIME as one number: 100 ns units since 1601-01-01 UTC.
inline std::uint64_t ToUInt64(const FILETIME& t)
{
    return static_cast<std::uint64_t>(t.dwHighDateTime) << 32 | t.dwLowDateTime;
}

}  // namespace platform::win32
