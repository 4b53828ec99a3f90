// Whole-file updates that several processes make in turn.
// Backends: platform/posix (Linux, NTFS through ntfs-3g) and platform/win32.
// Paths are UTF-16 and reach the operating system in full Unicode. Every call that takes
// a path refuses one holding a NUL with EINVAL (the system would address another entry),
// and reaches entries whose full path is longer than the system takes in one call.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <system_error>

namespace platform {

// A lock that makes the read-modify-write cycles of cooperating processes on the files
// of one folder take turns. Advisory: it keeps out only those who take it too (every
// user of this library). Released by the destructor; movable, not copyable.
class FolderLock {
public:
    FolderLock() = default;
    ~FolderLock();
    FolderLock(FolderLock&& other) noexcept;
    FolderLock& operator=(FolderLock&& other) noexcept;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    bool isHeld() const { return native_ != -1; }
    void release();

private:
    friend std::error_code LockFolder(const std::u16string&, FolderLock&);
    std::intptr_t native_ = -1;
};

// Waits until no other holder has the lock of the folder `folder` and takes it. POSIX:
// flock on the open folder (a lock of the kernel's, so also on FUSE volumes, where it
// holds between the processes of this machine). Windows: a named mutex of the session
// named after the folder's volume serial number and file index, so that every
// spelling of the folder's path meets the same lock. A file system that keeps no locks
// (ENOLCK, EOPNOTSUPP, or EBADF for NFS, which takes no lock on a folder) gives success
// and a lock that is not held: there is nothing to take turns with. Fails with the
// system's error (ENOENT, ENOTDIR, EACCES for a folder that may not be read) when the
// folder cannot be opened; `lock` is not held then.
std::error_code LockFolder(const std::u16string& folder, FolderLock& lock);

// Replaces the whole content of the file `path` with `bytes` so that nobody ever sees
// part of either: the bytes go to a new file in the same folder, which then takes the
// old file's place in one rename (MoveFileExW on Windows). The new file keeps what the
// old one had: its attributes (hidden, system, read-only, archive; on ntfs-3g the NTFS
// attribute word), its permission bits and, where the caller may give it, its owner;
// `addAttributes` (hidden, ...) are set on top where the file system keeps such bits.
// A missing file is created (POSIX: mode 0666 less the umask). An old entry that is no
// regular file (a link, a FIFO, a folder) is refused with ENXIO and stays. On failure
// the old file is unchanged and nothing is left behind.
std::error_code ReplaceFileContent(const std::u16string& path, std::span<const std::uint8_t> bytes,
                                   std::uint32_t addAttributes);

}  // namespace platform
