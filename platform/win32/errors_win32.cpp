// System errors of the Win32 backend: GetLastError values with their portable conditions.
#include "platform/Errors.h"
#include "platform/Process.h"
#include "platform/win32/Win32.h"

#include "common/Utf16.h"

// Older MinGW-w64 headers lack it.
#ifndef ERROR_DISK_QUOTA_EXCEEDED
#define ERROR_DISK_QUOTA_EXCEEDED 1295L
#endif

namespace platform {

namespace win32 {

namespace {

struct ErrorCondition {
    DWORD code;
    std::errc condition;
};

// The conditions the library and its callers test for, after the C runtime's own table
// (_dosmaperr) where it has the error.
constexpr ErrorCondition kConditions[] = {
    {ERROR_FILE_NOT_FOUND, std::errc::no_such_file_or_directory},
    {ERROR_PATH_NOT_FOUND, std::errc::no_such_file_or_directory},
    {ERROR_INVALID_DRIVE, std::errc::no_such_file_or_directory},
    {ERROR_BAD_NETPATH, std::errc::no_such_file_or_directory},
    {ERROR_BAD_NET_NAME, std::errc::no_such_file_or_directory},
    {ERROR_INVALID_NAME, std::errc::no_such_file_or_directory},
    {ERROR_DIRECTORY, std::errc::not_a_directory},
    {ERROR_ACCESS_DENIED, std::errc::permission_denied},
    {ERROR_WRITE_PROTECT, std::errc::read_only_file_system},
    {ERROR_SHARING_VIOLATION, std::errc::device_or_resource_busy},
    {ERROR_LOCK_VIOLATION, std::errc::device_or_resource_busy},
    {ERROR_USER_MAPPED_FILE, std::errc::device_or_resource_busy},
    {ERROR_DISK_FULL, std::errc::no_space_on_device},
    {ERROR_HANDLE_DISK_FULL, std::errc::no_space_on_device},
    {ERROR_DISK_QUOTA_EXCEEDED, std::errc::no_space_on_device},
    {ERROR_FILE_TOO_LARGE, std::errc::file_too_large},
    {ERROR_FILE_EXISTS, std::errc::file_exists},
    {ERROR_ALREADY_EXISTS, std::errc::file_exists},
    {ERROR_DIR_NOT_EMPTY, std::errc::directory_not_empty},
    {ERROR_FILENAME_EXCED_RANGE, std::errc::filename_too_long},
    {ERROR_CANT_RESOLVE_FILENAME, std::errc::too_many_symbolic_link_levels},
    {ERROR_INVALID_HANDLE, std::errc::bad_file_descriptor},
    {ERROR_NOT_ENOUGH_MEMORY, std::errc::not_enough_memory},
    {ERROR_OUTOFMEMORY, std::errc::not_enough_memory},
    {ERROR_INVALID_PARAMETER, std::errc::invalid_argument},
    {ERROR_INVALID_FUNCTION, std::errc::function_not_supported},
    {ERROR_NOT_SUPPORTED, std::errc::not_supported},
    {ERROR_NOT_A_REPARSE_POINT, std::errc::no_message_available},
    {ERROR_NOT_FOUND, std::errc::no_message_available},
    {ERROR_BAD_FILE_TYPE, std::errc::no_such_device_or_address},
    {ERROR_MORE_DATA, std::errc::value_too_large},
    {ERROR_INSUFFICIENT_BUFFER, std::errc::value_too_large},
    {ERROR_CRC, std::errc::io_error},
    {ERROR_READ_FAULT, std::errc::io_error},
    {ERROR_WRITE_FAULT, std::errc::io_error},
    {ERROR_GEN_FAILURE, std::errc::io_error},
    {ERROR_IO_DEVICE, std::errc::io_error},
    {ERROR_SECTOR_NOT_FOUND, std::errc::io_error},
};

class Win32Category final : public std::error_category {
public:
    const char* name() const noexcept override { return "win32"; }

    std::string message(int value) const override
    {
        wchar_t* text = nullptr;
        const DWORD length = ::FormatMessageW(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
            static_cast<DWORD>(value), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        if (length == 0 || text == nullptr) return "system error " + std::to_string(value);
        std::u16string message = FromWide(text, length);
        ::LocalFree(text);
        while (!message.empty() && (message.back() == u'\n' || message.back() == u'\r' || message.back() == u' '))
            message.pop_back();
        return ToUtf8(message);
    }

    std::error_condition default_error_condition(int value) const noexcept override
    {
        for (const ErrorCondition& c : kConditions)
            if (static_cast<int>(c.code) == value) return std::make_error_condition(c.condition);
        return {value, *this};
    }
};

}  // namespace

const std::error_category& Category()
{
    static const Win32Category category;
    return category;
}

}  // namespace win32

namespace win32 {

namespace {

// The current folder that Windows keeps for drive `letter` in the environment variable
// "=X:" (set by the command prompt and by SetCurrentDirectory on another drive).
std::u16string DriveDirectory(char16_t letter)
{
    const wchar_t name[] = {L'=', static_cast<wchar_t>(letter), L':', L'\0'};
    wchar_t value[MAX_PATH + 1];
    const DWORD n = ::GetEnvironmentVariableW(name, value, MAX_PATH + 1);
    if (n == 0 || n > MAX_PATH) return {};
    return FromWide(value, n);
}

}  // namespace

std::error_code SystemPath(const std::u16string& path, std::wstring& out, winpath::PathUse use)
{
    out.clear();
    if (path.find(u'\0') != std::u16string::npos) return Error(ERROR_INVALID_PARAMETER);
    const winpath::PathContext context{platform::CurrentDirectory, DriveDirectory};
    const std::u16string name = winpath::SystemPathFor(path, context, use);
    out.assign(name.begin(), name.end());
    return {};
}

}  // namespace win32

std::error_code InvalidArgumentError()
{
    return win32::Error(ERROR_INVALID_PARAMETER);
}

ErrorKind ClassifyError(int systemError)
{
    switch (static_cast<DWORD>(systemError)) {
    case ERROR_FILE_NOT_FOUND: return ErrorKind::NoSuchEntry;
    // A NUL in a name (refused by SystemPath) or characters the file system refuses.
    case ERROR_INVALID_PARAMETER:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME: return ErrorKind::BadName;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_DIRECTORY: return ErrorKind::NoSuchFolder;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE: return ErrorKind::Busy;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_QUOTA_EXCEEDED:
    case ERROR_FILE_TOO_LARGE: return ErrorKind::DiskFull;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE:
    case ERROR_SECTOR_NOT_FOUND: return ErrorKind::DeviceIO;
    default: return ErrorKind::Other;
    }
}

}  // namespace platform
