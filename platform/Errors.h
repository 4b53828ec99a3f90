// What the system's error numbers mean for the library's run-time errors.
#pragma once

#include <system_error>

namespace platform {

// What a system error number of this backend (errno on POSIX, GetLastError on Windows;
// the value of the error codes above) means for the library's run-time error numbers.
// NoSuchEntry: the entry is missing (POSIX cannot tell whether its folder is);
// NoSuchFolder: a folder of the path is missing or is no folder; BadName: the name
// cannot name an entry at all (a NUL in it, characters the system refuses).
enum class ErrorKind { NoSuchEntry, NoSuchFolder, BadName, Busy, DiskFull, DeviceIO, Other };
ErrorKind ClassifyError(int systemError);

// The system's own error for an argument it does not take: EINVAL on POSIX,
// ERROR_INVALID_PARAMETER on Windows. Raw system codes (lpErrorCode) are this backend's.
std::error_code InvalidArgumentError();

}  // namespace platform
