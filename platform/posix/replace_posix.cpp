// POSIX backend of whole-file updates: the flock of a folder, and a file replaced by a
// new one renamed over it, with the old one's mode, owner and NTFS attribute word.
#include "platform/FileUpdates.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

#include "platform/posix/posix_internal.h"

namespace platform {

using namespace posix;

namespace {

// Errors of flock that say the file system keeps no such locks: NFS maps flock to a
// byte-range lock, which a folder (open for reading only) cannot take.
bool NoLocksHere(int e)
{
    return e == ENOLCK || e == EOPNOTSUPP || e == ENOTSUP || e == EBADF || e == EINVAL;
}

// Errors of fchmod and fchown that say the file system keeps no modes or owners of its
// own (ntfs-3g without its `permissions` option, FAT), or that the caller may not give
// a file away: the new file then has what the file system gives every file.
bool NoModesHere(int e)
{
    return e == EPERM || e == EOPNOTSUPP || e == ENOTSUP;
}

// A new file beside the one to replace, removed again unless Commit renamed it over
// that one.
class SiblingFile {
public:
    // Creates a new file in the folder of `target` under a name no one else uses,
    // opened for writing, with `mode` (narrowed by the umask).
    std::error_code Create(const SystemName& target, mode_t mode)
    {
        dir_ = target.dir();
        const std::string full = target.name();
        const std::size_t slash = full.rfind('/');
        const std::string folder = slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
        std::random_device random;
        for (int attempt = 0; attempt < 100; ++attempt) {
            char leaf[32];
            std::snprintf(leaf, sizeof leaf, ".Hollin0106-%08x.tmp", static_cast<unsigned>(random()));
            name_ = folder + leaf;
            fd_ = ::openat(dir_, name_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode);
            if (fd_ >= 0) return {};
            if (errno != EEXIST && errno != EINTR) return LastError();
        }
        return Errno(EEXIST);
    }

    ~SiblingFile()
    {
        if (fd_ >= 0) ::close(fd_);
        if (!name_.empty()) ::unlinkat(dir_, name_.c_str(), 0);
    }

    int fd() const { return fd_; }

    // Closes the file, reporting a delayed write error.
    std::error_code Close()
    {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0 && errno != EINTR) return LastError();
        return {};
    }

    // Renames the file over `target`.
    std::error_code Commit(const SystemName& target)
    {
        if (::renameat(dir_, name_.c_str(), target.dir(), target.name()) != 0) return LastError();
        name_.clear();
        return {};
    }

private:
    int dir_ = AT_FDCWD;
    int fd_ = -1;
    std::string name_;
};

std::error_code WriteAll(int fd, std::span<const std::uint8_t> bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return LastError();
        }
        if (n == 0) return Errno(EIO);
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
    return {};
}

// Gives the new file the attribute word of the old one (or its own, for a new file)
// with `add` on top. Nothing to do where the file system keeps no attribute word.
std::error_code CarryAttributeWord(int fd, const std::uint32_t* oldWord, std::uint32_t add)
{
    std::uint32_t word = 0;
    if (ReadAttributeWord(fd, word)) return {};
    const std::uint32_t from = oldWord != nullptr ? *oldWord : word;
    const std::uint32_t wanted =
        (word & ~kSettableAttributeBits) | (from & kSettableAttributeBits) | (add & kSettableAttributeBits);
    if (wanted == word) return {};
    const unsigned char raw[4] = {static_cast<unsigned char>(wanted), static_cast<unsigned char>(wanted >> 8),
                                  static_cast<unsigned char>(wanted >> 16), static_cast<unsigned char>(wanted >> 24)};
    if (::fsetxattr(fd, kAttribAttr, raw, sizeof raw, 0) != 0) return LastError();
    return {};
}

}  // namespace

void FolderLock::release()
{
    // Closing the descriptor releases its flock.
    if (native_ != -1) ::close(static_cast<int>(native_));
    native_ = -1;
}

std::error_code LockFolder(const std::u16string& folder, FolderLock& lock)
{
    lock.release();
    SystemName name;
    if (const std::error_code ec = ToSystemName(folder, name)) return ec;
    const int fd = ::openat(name.dir(), name.name(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return LastError();
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno == EINTR) continue;
        const int e = errno;
        ::close(fd);
        return NoLocksHere(e) ? std::error_code() : Errno(e);
    }
    lock.native_ = fd;
    return {};
}

std::error_code ReplaceFileContent(const std::u16string& path, std::span<const std::uint8_t> bytes,
                                   std::uint32_t addAttributes)
{
    SystemName target;
    if (const std::error_code ec = ToSystemName(path, target)) return ec;
    struct stat old{};
    bool exists = true;
    if (const std::error_code ec = StatAt(target, old, AT_SYMLINK_NOFOLLOW)) {
        if (ec.value() != ENOENT) return ec;
        exists = false;
    }
    if (exists && !S_ISREG(old.st_mode)) return Errno(ENXIO);
    std::uint32_t oldWord = 0;
    const bool hasOldWord = exists && !ReadAttributeWord(target, oldWord);

    // An old file's mode is set before any byte is written, so that what it keeps from
    // others is never open to them, not even for a moment.
    SiblingFile sibling;
    if (const std::error_code ec = sibling.Create(target, exists ? 0600 : 0666)) return ec;
    const int fd = sibling.fd();
    if (exists) {
        if (::fchmod(fd, old.st_mode & 07777) != 0 && !NoModesHere(errno)) return LastError();
        struct stat made{};
        if (::fstat(fd, &made) == 0 && (made.st_uid != old.st_uid || made.st_gid != old.st_gid) &&
            ::fchown(fd, old.st_uid, old.st_gid) != 0 && !NoModesHere(errno))
            return LastError();
    }
    if (const std::error_code ec = WriteAll(fd, bytes)) return ec;
    // The content reaches the disk before the name does: after a crash the folder holds
    // the old file or the new one, never a new name for no content.
    if (::fsync(fd) != 0 && errno != EINVAL) return LastError();
    // The word is set after the content: ntfs-3g shows an empty system file as a FIFO.
    if (const std::error_code ec = CarryAttributeWord(fd, hasOldWord ? &oldWord : nullptr, addAttributes)) return ec;
    if (const std::error_code ec = sibling.Close()) return ec;
    return sibling.Commit(target);
}

}  // namespace platform
