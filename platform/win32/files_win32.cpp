// Win32 backend of the file operations: whole-file I/O and the attribute bits.
#include "platform/Files.h"
#include "platform/win32/Win32.h"

#include <algorithm>

namespace platform {

using win32::Error;
using win32::LastError;
using win32::SystemPath;

namespace {

// The attribute bits SetFileAttributesW takes: read-only, hidden, system, archive,
// normal, temporary, offline, not content indexed.
constexpr DWORD kSettableAttributes = 0x1 | 0x2 | 0x4 | 0x20 | 0x80 | 0x100 | 0x1000 | 0x2000;

HANDLE AsHandle(std::intptr_t native)
{
    return reinterpret_cast<HANDLE>(native);
}

// Reads and writes go in pieces that a DWORD can count.
constexpr std::size_t kMaxPiece = 1u << 30;

}  // namespace

std::error_code File::Close()
{
    if (native_ == -1) return {};
    const HANDLE h = AsHandle(native_);
    native_ = -1;
    if (!::CloseHandle(h)) return LastError();
    return {};
}

std::error_code OpenFile(const std::u16string& path, FileOpenMode mode, File& file)
{
    file = File();
    std::wstring wide;
    if (const std::error_code ec = SystemPath(path, wide)) return ec;
    DWORD access = GENERIC_WRITE;
    // Readers let others read and write, as a POSIX open does; writers let others read.
    DWORD share = FILE_SHARE_READ;
    DWORD disposition = OPEN_ALWAYS;
    switch (mode) {
    case FileOpenMode::Read:
        access = GENERIC_READ;
        share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
        disposition = OPEN_EXISTING;
        break;
    case FileOpenMode::CreateTruncate: disposition = CREATE_ALWAYS; break;
    case FileOpenMode::OpenOrCreate: disposition = OPEN_ALWAYS; break;
    // FILE_APPEND_DATA without FILE_WRITE_DATA makes every write go to the end.
    case FileOpenMode::Append: access = FILE_APPEND_DATA | SYNCHRONIZE; disposition = OPEN_ALWAYS; break;
    // No sharing at all: a file open elsewhere fails with a sharing violation, which is
    // the refusal the contract asks for; the identity of the file stays.
    case FileOpenMode::TruncateExisting: share = 0; disposition = TRUNCATE_EXISTING; break;
    }
    // CREATE_ALWAYS on a hidden or system file fails unless those bits are asked for
    // again; the library clears them first (CFileAttributesReset) where it has to.
    win32::Handle h(::CreateFileW(wide.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    // A folder opened as a file fails with ERROR_ACCESS_DENIED, as POSIX's EISDIR.
    if (!h.ok()) return LastError();
    if (mode != FileOpenMode::Read) {
        // The write modes take a file only: a device name ("CON", "NUL", "COM1") or a
        // pipe would take the bytes and keep none of them.
        if (::GetFileType(h.get()) != FILE_TYPE_DISK) return Error(ERROR_BAD_FILE_TYPE);
        BY_HANDLE_FILE_INFORMATION information{};
        if (::GetFileInformationByHandle(h.get(), &information) &&
            (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            return Error(ERROR_ACCESS_DENIED);
    }
    file.native_ = reinterpret_cast<std::intptr_t>(h.release());
    return {};
}

std::error_code FileSize(const File& file, std::uint64_t& size)
{
    LARGE_INTEGER length{};
    if (!::GetFileSizeEx(AsHandle(file.native_), &length)) return LastError();
    size = static_cast<std::uint64_t>(length.QuadPart);
    return {};
}

std::error_code ReadFile(const File& file, std::uint8_t* buffer, std::size_t count, std::size_t& got)
{
    got = 0;
    while (got < count) {
        const DWORD want = static_cast<DWORD>(std::min(count - got, kMaxPiece));
        DWORD n = 0;
        if (!::ReadFile(AsHandle(file.native_), buffer + got, want, &n, nullptr)) {
            // The writing end of a pipe went away: the end of the data.
            if (::GetLastError() == ERROR_BROKEN_PIPE) break;
            return LastError();
        }
        if (n == 0) break;
        got += n;
    }
    return {};
}

std::error_code ReadFileAt(const File& file, std::uint64_t offset, std::uint8_t* buffer, std::size_t count,
                           std::size_t& got)
{
    got = 0;
    while (got < count) {
        const DWORD want = static_cast<DWORD>(std::min(count - got, kMaxPiece));
        const std::uint64_t at = offset + got;
        if (at < offset) break;  // past every file's end
        OVERLAPPED where{};
        where.Offset = static_cast<DWORD>(at);
        where.OffsetHigh = static_cast<DWORD>(at >> 32);
        DWORD n = 0;
        if (!::ReadFile(AsHandle(file.native_), buffer + got, want, &n, &where)) {
            if (::GetLastError() == ERROR_HANDLE_EOF) break;
            return LastError();
        }
        if (n == 0) break;
        got += n;
    }
    return {};
}

std::error_code WriteFile(const File& file, const std::uint8_t* bytes, std::size_t count)
{
    std::size_t done = 0;
    while (done < count) {
        const DWORD want = static_cast<DWORD>(std::min(count - done, kMaxPiece));
        DWORD n = 0;
        if (!::WriteFile(AsHandle(file.native_), bytes + done, want, &n, nullptr)) return LastError();
        // A write that takes nothing and reports nothing would loop for ever.
        if (n == 0) return Error(ERROR_WRITE_FAULT);
        done += n;
    }
    return {};
}

std::error_code GetFileAttributes(const std::u16string& path, std::uint32_t& attributes)
{
    std::wstring wide;
    if (const std::error_code ec = SystemPath(path, wide)) return ec;
    const DWORD a = ::GetFileAttributesW(wide.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return LastError();
    attributes = a;
    return {};
}

std::error_code SetFileAttributes(const std::u16string& path, std::uint32_t attributes)
{
    std::wstring wide;
    if (const std::error_code ec = SystemPath(path, wide)) return ec;
    const DWORD current = ::GetFileAttributesW(wide.c_str());
    if (current == INVALID_FILE_ATTRIBUTES) return LastError();
    // Bits outside the settable ones (folder, reparse point, compressed, ...) are the
    // system's; only a change is written.
    DWORD wanted = attributes & kSettableAttributes & ~FILE_ATTRIBUTE_NORMAL;
    if (wanted == (current & kSettableAttributes & ~FILE_ATTRIBUTE_NORMAL)) return {};
    if (wanted == 0) wanted = FILE_ATTRIBUTE_NORMAL;
    if (!::SetFileAttributesW(wide.c_str(), wanted)) return LastError();
    return {};
}

std::error_code QueryFileSize(const std::u16string& path, std::uint64_t& size)
{
    // The size of what the name leads to, links followed, as POSIX stat gives it.
    std::wstring wide;
    if (const std::error_code ec = SystemPath(path, wide)) return ec;
    const win32::Handle h(::CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h.ok()) return LastError();
    LARGE_INTEGER length{};
    if (!::GetFileSizeEx(h.get(), &length)) return LastError();
    size = static_cast<std::uint64_t>(length.QuadPart);
    return {};
}

}  // namespace platform
