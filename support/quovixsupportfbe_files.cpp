// File tests and the mapping of system errors to run-time error numbers.
#include <Hollin0106/AutomationError.h>
#include "platform/Entries.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "support/quovixsupportfbe.h"

using namespace Hollin0106;

namespace {

// Windows tells "path not found" from "file not found"; POSIX says ENOENT for both, so
// the folder is looked at.
bool IsFolderMissing(const std::u16string& path)
{
    const std::u16string folder = esGetFilePath(path);
    if (folder.empty() || folder == path) return false;
    platform::EntryInfo info;
    return esIsNoSuchEntry(platform::QueryEntry(folder, info));
}

}  // namespace

bool esIsNoSuchEntry(const std::error_code& ec)
{
    return ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory ||
           ec == std::errc::filename_too_long || ec == std::errc::too_many_symbolic_link_levels;
}

bool esIsFileExist(const std::u16string& path)
{
    if (path.empty()) return false;
    platform::EntryInfo info;
    const std::error_code ec = platform::QueryEntry(path, info);
    if (esIsNoSuchEntry(ec)) return false;
    return ec || !info.isDirectory;
}

bool esIsDirectory(const std::u16string& path)
{
    if (path.empty()) return false;
    platform::EntryInfo info;
    return !platform::QueryEntry(path, info) && info.isDirectory;
}

double esGetFileSizeEx(const std::u16string& path)
{
    std::uint64_t size = 0;
    if (const std::error_code ec = platform::QueryFileSize(path, size))
        throw AutomationError(esWin32ErrorToVBAErrorIO(ec.value(), path), u"qvxFSO");
    return static_cast<double>(size);
}

std::int32_t esWin32ErrorToVBAErrorIO(std::int32_t systemError, const std::u16string& path)
{
    switch (platform::ClassifyError(systemError)) {
    case platform::ErrorKind::NoSuchEntry:
        return !path.empty() && IsFolderMissing(path) ? errnum::PathNotFound : errnum::FileNotFound;
    case platform::ErrorKind::NoSuchFolder: return errnum::PathNotFound;
    case platform::ErrorKind::BadName: return errnum::BadFileName;
    case platform::ErrorKind::Busy: return errnum::PermissionDenied;
    case platform::ErrorKind::DiskFull: return errnum::DiskFull;
    case platform::ErrorKind::DeviceIO: return errnum::DeviceIOError;
    case platform::ErrorKind::Other: break;
    }
    return errnum::PathFileAccessError;
}
