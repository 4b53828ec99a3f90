// Win32 backend of the metadata calls: named streams ("file:stream"), compression
// (FSCTL_GET_COMPRESSION / FSCTL_SET_COMPRESSION), file times, removal and the recycle
// bin (SHFileOperationW).
#include "common/FileTime.h"
#include "platform/FileMetadata.h"
#include "platform/Files.h"
#include "platform/NamedStreams.h"
#include "platform/Removal.h"
#include "platform/win32/Win32.h"

#include <shellapi.h>
#include <winioctl.h>

#include <algorithm>
#include <cwchar>

namespace platform {

using win32::Error;
using win32::LastError;
using win32::SystemPath;
using win32::Handle;
using win32::ToUInt64;

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The name of stream `stream` of `path`, as the system takes it.
std::error_code StreamPath(const std::u16string& path, const std::u16string& stream, std::wstring& out)
{
    if (stream.empty() || stream.find_first_of(u":\\/") != std::u16string::npos) return Error(ERROR_INVALID_NAME);
    return SystemPath(path + u":" + stream, out);
}

// A stream that is missing on a file that exists: "no such stream" (the condition
// errc::no_message_available, POSIX's ENODATA), not "no such file".
std::error_code MissingStreamOr(const std::u16string& path, std::error_code ec)
{
    if (ec != std::errc::no_such_file_or_directory) return ec;
    std::wstring wide;
    if (SystemPath(path, wide)) return ec;
    return ::GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES ? Error(ERROR_NOT_FOUND) : ec;
}

// ERROR_ACCESS_DENIED for a file with the read-only attribute. NTFS refuses to open a
// stream of such a file for writing by itself; Wine keeps a stream as a file of its own
// beside the file, which the attribute does not cover.
std::error_code RefuseReadOnly(const std::u16string& path)
{
    std::wstring wide;
    if (const std::error_code ec = SystemPath(path, wide)) return ec;
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) == 0) return {};
    return Error(ERROR_ACCESS_DENIED);
}

std::error_code ReadWhole(HANDLE h, std::vector<std::uint8_t>& out)
{
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(h, &size)) return LastError();
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    std::size_t got = 0;
    while (got < bytes.size()) {
        DWORD n = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - got, 1u << 30));
        if (!::ReadFile(h, bytes.data() + got, want, &n, nullptr)) return LastError();
        if (n == 0) break;
        got += n;
    }
    bytes.resize(got);
    out = std::move(bytes);
    return {};
}

FILETIME ToFileTime(std::uint64_t v)
{
    return {static_cast<DWORD>(v), static_cast<DWORD>(v >> 32)};
}

SYSTEMTIME ToSystemTime(std::int64_t seconds)
{
    const FILETIME ft = ToFileTime(filetime::FromUnix(seconds, 0));
    SYSTEMTIME st{};
    ::FileTimeToSystemTime(&ft, &st);
    return st;
}

std::int64_t ToSeconds(const SYSTEMTIME& st)
{
    FILETIME ft{};
    if (!::SystemTimeToFileTime(&st, &ft)) return 0;
    return filetime::ToUnix(ToUInt64(ft)).seconds;
}

}  // namespace

std::error_code ReadStream(const std::u16string& path, const std::u16string& stream, std::vector<std::uint8_t>& out)
{
    out.clear();
    std::wstring wide;
    if (const std::error_code ec = StreamPath(path, stream, wide)) return ec;
    const Handle h(::CreateFileW(wide.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h.ok()) return MissingStreamOr(path, LastError());
    return ReadWhole(h.get(), out);
}

std::error_code WriteStream(const std::u16string& path, const std::u16string& stream,
                            const std::vector<std::uint8_t>& bytes)
{
    std::wstring wide;
    if (const std::error_code ec = StreamPath(path, stream, wide)) return ec;
    if (const std::error_code ec = RefuseReadOnly(path)) return ec;
    // OPEN_ALWAYS and a cut at the end: CREATE_ALWAYS is refused on hidden files.
    const Handle h(::CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                 FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h.ok()) return LastError();
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD n = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        if (!::WriteFile(h.get(), bytes.data() + done, want, &n, nullptr)) return LastError();
        if (n == 0) return Error(ERROR_WRITE_FAULT);
        done += n;
    }
    if (!::SetEndOfFile(h.get())) return LastError();
    return {};
}

std::error_code RemoveStream(const std::u16string& path, const std::u16string& stream)
{
    std::wstring wide;
    if (const std::error_code ec = StreamPath(path, stream, wide)) return ec;
    if (const std::error_code ec = RefuseReadOnly(path)) return ec;
    if (!::DeleteFileW(wide.c_str())) return MissingStreamOr(path, LastError());
    return {};
}

std::error_code ListStreams(const std::u16string& path, std::vector<std::u16string>& names)
{
    names.clear();
    std::wstring wide;
    if (const std::error_code ec = SystemPath(path, wide)) return ec;
    WIN32_FIND_STREAM_DATA data{};
    const HANDLE h = ::FindFirstStreamW(wide.c_str(), FindStreamInfoStandard, &data, 0);
    if (h == INVALID_HANDLE_VALUE) {
        // No stream at all (a folder): an empty list.
        return ::GetLastError() == ERROR_HANDLE_EOF ? std::error_code() : LastError();
    }
    do {
        // ":name:$DATA"; "::$DATA" is the unnamed data.
        std::u16string name = win32::FromWide(data.cStreamName, std::wcslen(data.cStreamName));
        if (name.size() > 1 && name[0] == u':') {
            const auto end = name.find(u':', 1);
            name = name.substr(1, end == std::u16string::npos ? std::u16string::npos : end - 1);
            if (!name.empty()) names.push_back(std::move(name));
        }
    } while (::FindNextStreamW(h, &data));
    const DWORD error = ::GetLastError();
    ::FindClose(h);
    return error == ERROR_HANDLE_EOF ? std::error_code() : Error(error);
}

std::error_code GetCompression(const std::u16string& path, bool& compressed)
{
    std::wstring wide;
    if (const std::error_code ec = SystemPath(path, wide)) return ec;
    const Handle h(::CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES | FILE_READ_DATA, kShareAll, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h.ok()) return LastError();
    USHORT format = COMPRESSION_FORMAT_NONE;
    DWORD returned = 0;
    if (!::DeviceIoControl(h.get(), FSCTL_GET_COMPRESSION, nullptr, 0, &format, sizeof format, &returned, nullptr)) {
        // A file system that cannot compress: not compressed.
        const DWORD error = ::GetLastError();
        if (error != ERROR_INVALID_FUNCTION && error != ERROR_NOT_SUPPORTED) return Error(error);
        format = COMPRESSION_FORMAT_NONE;
    }
    compressed = format != COMPRESSION_FORMAT_NONE;
    return {};
}

std::error_code SetCompression(const std::u16string& path, bool compress)
{
    std::wstring wide;
    if (const std::error_code ec = SystemPath(path, wide)) return ec;
    const Handle h(::CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h.ok()) return LastError();
    USHORT format = compress ? COMPRESSION_FORMAT_DEFAULT : COMPRESSION_FORMAT_NONE;
    DWORD returned = 0;
    if (!::DeviceIoControl(h.get(), FSCTL_SET_COMPRESSION, &format, sizeof format, nullptr, 0, &returned, nullptr)) {
        const DWORD error = ::GetLastError();
        // Switching off where nothing can be compressed has nothing to do.
        if (!compress && (error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED)) return {};
        return Error(error);
    }
    return {};
}

std::error_code GetFileTimes(const std::u16string& path, FileTimes& times)
{
    std::wstring wide;
    if (const std::error_code ec = SystemPath(path, wide)) return ec;
    const Handle h(::CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h.ok()) return LastError();
    FILETIME creation{}, access{}, write{};
    if (!::GetFileTime(h.get(), &creation, &access, &write)) return LastError();
    times.creation = ToUInt64(creation);
    times.lastAccess = ToUInt64(access);
    times.lastWrite = ToUInt64(write);
    return {};
}

std::error_code SetFileTimes(const std::u16string& path, const FileTimes& times)
{
    std::wstring wide;
    if (const std::error_code ec = SystemPath(path, wide)) return ec;
    const Handle h(::CreateFileW(wide.c_str(), FILE_WRITE_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h.ok()) return LastError();
    FILETIME creation{}, access{}, write{};
    if (times.creation) creation = ToFileTime(*times.creation);
    if (times.lastAccess) access = ToFileTime(*times.lastAccess);
    if (times.lastWrite) write = ToFileTime(*times.lastWrite);
    if (!::SetFileTime(h.get(), times.creation ? &creation : nullptr, times.lastAccess ? &access : nullptr,
                       times.lastWrite ? &write : nullptr))
        return LastError();
    return {};
}

std::int64_t LocalOffsetAtUtc(std::int64_t utcSeconds)
{
    const SYSTEMTIME utc = ToSystemTime(utcSeconds);
    SYSTEMTIME local{};
    if (!::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) return 0;
    return ToSeconds(local) - utcSeconds;
}

std::int64_t LocalOffsetAtLocal(std::int64_t localSeconds)
{
    const SYSTEMTIME local = ToSystemTime(localSeconds);
    SYSTEMTIME utc{};
    if (!::TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc)) return 0;
    return localSeconds - ToSeconds(utc);
}

std::error_code RemoveFile(const std::u16string& path)
{
    std::wstring wide;
    if (const std::error_code ec = SystemPath(path, wide)) return ec;
    if (::DeleteFileW(wide.c_str())) return {};
    const std::error_code ec = LastError();
    // A link to a folder (a junction, a directory symbolic link) goes as a folder does;
    // its target stays.
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return ::RemoveDirectoryW(wide.c_str()) ? std::error_code() : LastError();
    return ec;
}

std::error_code RemoveEmptyDirectory(const std::u16string& path)
{
    std::wstring wide;
    if (const std::error_code ec = SystemPath(path, wide)) return ec;
    // RemoveDirectoryW removes a junction or directory link itself, not its target.
    if (!::RemoveDirectoryW(wide.c_str())) return LastError();
    return {};
}

namespace {

// Every name, the children's too, goes through SystemPath: a child may be the first
// name on the way down that is too long for the plain form.
std::error_code RemoveTreeAt(const std::u16string& path)
{
    std::wstring wide;
    if (const std::error_code ec = SystemPath(path, wide)) return ec;
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return LastError();
    if (attributes & FILE_ATTRIBUTE_READONLY) ::SetFileAttributesW(wide.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return ::DeleteFileW(wide.c_str()) ? std::error_code() : LastError();
    // A link to a folder is removed itself: its content is the target's.
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        std::wstring pattern;
        if (const std::error_code ec = SystemPath(path + u"\\*", pattern)) return ec;
        WIN32_FIND_DATAW data{};
        const HANDLE h = ::FindFirstFileW(pattern.c_str(), &data);
        if (h == INVALID_HANDLE_VALUE) return LastError();
        std::error_code first;
        do {
            const std::u16string name = win32::FromWide(data.cFileName, std::wcslen(data.cFileName));
            if (name == u"." || name == u"..") continue;
            const std::error_code ec = RemoveTreeAt(path + u"\\" + name);
            if (ec && !first) first = ec;
        } while (::FindNextFileW(h, &data));
        ::FindClose(h);
        if (first) return first;
    }
    return ::RemoveDirectoryW(wide.c_str()) ? std::error_code() : LastError();
}

}  // namespace

std::error_code RemoveTree(const std::u16string& path)
{
    return RemoveTreeAt(path);
}

std::error_code MoveToTrash(const std::u16string& path)
{
    // The shell wants a full name without the \\?\ form, in a list ended by two NULs.
    std::wstring full;
    if (const std::error_code ec = SystemPath(path, full, winpath::PathUse::Shell)) return ec;
    if (full.empty()) return Error(ERROR_PATH_NOT_FOUND);
    std::wstring probe;
    if (const std::error_code ec = SystemPath(path, probe)) return ec;
    if (::GetFileAttributesW(probe.c_str()) == INVALID_FILE_ATTRIBUTES) return LastError();
    full.push_back(L'\0');
    full.push_back(L'\0');
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = full.c_str();
    // No question, no progress, no error box: the caller hears of a failure.
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI | FOF_SILENT;
    const int result = ::SHFileOperationW(&operation);
    if (result == 0 && !operation.fAnyOperationsAborted) return {};
    if (result == 0) return Error(ERROR_CANCELLED);
    // The shell's own codes are no system error numbers, except these few it passes on.
    switch (result) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION: return Error(static_cast<DWORD>(result));
    default: return Error(ERROR_GEN_FAILURE);
    }
}

}  // namespace platform
