// Win32 backend of whole-file updates: a named mutex per folder, and a file replaced by
// a new one moved over it with MoveFileExW, with the old one's attributes.
#include "platform/FileUpdates.h"
#include "platform/Files.h"
#include "platform/win32/Win32.h"

#include <algorithm>
#include <cstdio>
#include <random>

namespace platform {

using win32::Error;
using win32::LastError;
using win32::SystemPath;

namespace {

// The attribute bits a new file keeps from the one it replaces.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// A rename over a file that someone has open fails with a sharing violation or, on
// NTFS, "access denied" until they close it; readers hold the file for a moment only.
bool HeldOpenElsewhere(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}
constexpr int kMoveAttempts = 200;
constexpr DWORD kMovePauseMs = 10;

// A new file beside the one to replace, deleted again unless Commit moved it over that
// one.
class SiblingFile {
public:
    ~SiblingFile()
    {
        handle_.reset();
        if (name_.empty()) return;
        // A read-only file cannot be deleted.
        ::SetFileAttributesW(name_.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(name_.c_str());
    }

    // Creates a new file in the folder of `target` under a name no one else uses, open
    // for writing, with `attributes` (read-only among them takes effect at the close).
    std::error_code Create(const std::wstring& target, DWORD attributes)
    {
        const std::size_t separator = target.find_last_of(L"\\/");
        const std::wstring folder = separator == std::wstring::npos ? std::wstring() : target.substr(0, separator + 1);
        std::random_device random;
        for (int attempt = 0; attempt < 100; ++attempt) {
            wchar_t leaf[32];
            std::swprintf(leaf, 32, L".Hollin0106-%08x.tmp", static_cast<unsigned>(random()));
            const std::wstring name = folder + leaf;
            handle_.reset(::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr));
            if (handle_.ok()) {
                name_ = name;
                return {};
            }
            if (::GetLastError() != ERROR_FILE_EXISTS) return LastError();
        }
        return Error(ERROR_FILE_EXISTS);
    }

    std::error_code Write(std::span<const std::uint8_t> bytes)
    {
        while (!bytes.empty()) {
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
            DWORD n = 0;
            if (!::WriteFile(handle_.get(), bytes.data(), want, &n, nullptr)) return LastError();
            if (n == 0) return Error(ERROR_WRITE_FAULT);
            bytes = bytes.subspan(n);
        }
        // The content reaches the disk before the name does.
        if (!::FlushFileBuffers(handle_.get())) return LastError();
        return handle_.close();
    }

    // Moves the file over `target`, waiting a little for readers that hold it open.
    std::error_code Commit(const std::wstring& target)
    {
        for (int attempt = 0;; ++attempt) {
            if (::MoveFileExW(name_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
                name_.clear();
                return {};
            }
            const DWORD error = ::GetLastError();
            if (!HeldOpenElsewhere(error) || attempt + 1 == kMoveAttempts) return Error(error);
            ::Sleep(kMovePauseMs);
        }
    }

private:
    win32::Handle handle_;
    std::wstring name_;
};

}  // namespace

void FolderLock::release()
{
    if (native_ == -1) return;
    const HANDLE mutex = reinterpret_cast<HANDLE>(native_);
    ::ReleaseMutex(mutex);
    ::CloseHandle(mutex);
    native_ = -1;
}

std::error_code LockFolder(const std::u16string& folder, FolderLock& lock)
{
    lock.release();
    std::wstring wide;
    if (const std::error_code ec = SystemPath(folder, wide)) return ec;
    // The folder's identity, not its name: a short name, a mapped drive or a junction
    // on the way all lead to the same lock.
    BY_HANDLE_FILE_INFORMATION info{};
    {
        const win32::Handle dir(::CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!dir.ok() || !::GetFileInformationByHandle(dir.get(), &info)) return LastError();
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return Error(ERROR_DIRECTORY);
    wchar_t name[80];
    std::swprintf(name, 80, L"Local\\Hollin0106.FolderLock.%08lx.%08lx%08lx",
                  static_cast<unsigned long>(info.dwVolumeSerialNumber),
                  static_cast<unsigned long>(info.nFileIndexHigh), static_cast<unsigned long>(info.nFileIndexLow));
    win32::Handle mutex(::CreateMutexW(nullptr, FALSE, name));
    if (!mutex.ok()) return LastError();
    // A holder that ended without releasing leaves the mutex abandoned: it is ours then.
    const DWORD waited = ::WaitForSingleObject(mutex.get(), INFINITE);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) return LastError();
    lock.native_ = reinterpret_cast<std::intptr_t>(mutex.release());
    return {};
}

std::error_code ReplaceFileContent(const std::u16string& path, std::span<const std::uint8_t> bytes,
                                   std::uint32_t addAttributes)
{
    std::wstring wide;
    if (const std::error_code ec = SystemPath(path, wide)) return ec;
    const DWORD old = ::GetFileAttributesW(wide.c_str());
    const bool exists = old != INVALID_FILE_ATTRIBUTES;
    if (!exists && ::GetLastError() != ERROR_FILE_NOT_FOUND) return LastError();
    if (exists && (old & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)))
        return Error(ERROR_BAD_FILE_TYPE);
    DWORD attributes = ((exists ? old : 0) | addAttributes) & kKeptAttributes;
    if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;

    SiblingFile sibling;
    if (const std::error_code ec = sibling.Create(wide, attributes)) return ec;
    if (const std::error_code ec = sibling.Write(bytes)) return ec;
    // A read-only file cannot be replaced: the bit comes off the old one for the move,
    // and back on when the move fails. The new file carries it already.
    const bool readOnly = exists && (old & FILE_ATTRIBUTE_READONLY);
    if (readOnly && !::SetFileAttributesW(wide.c_str(), old & ~FILE_ATTRIBUTE_READONLY)) return LastError();
    const std::error_code moved = sibling.Commit(wide);
    if (moved && readOnly) ::SetFileAttributesW(wide.c_str(), old);
    return moved;
}

}  // namespace platform
