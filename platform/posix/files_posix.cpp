// POSIX backend of the file operations: whole-file I/O and the Windows attribute bits
// (ntfs-3g's system.ntfs_attrib, and read-only also from the mode).
#include "platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

#include "platform/posix/posix_internal.h"

namespace platform {

using namespace posix;

namespace {

std::error_code WriteAttributeWord(const SystemName& name, std::uint32_t word)
{
    const unsigned char raw[4] = {static_cast<unsigned char>(word), static_cast<unsigned char>(word >> 8),
                                  static_cast<unsigned char>(word >> 16), static_cast<unsigned char>(word >> 24)};
    if (const std::error_code ec = SetEntryXattr(name, kAttribAttr, raw, sizeof raw)) return ec;
    // ntfs-3g shows an empty file with the system attribute (and without hidden) as a
    // FIFO, its Interix convention, so this change may have changed the entry's type.
    // The kernel keeps the type it cached, and an open would block on a "FIFO" that is
    // now a regular file; a forced fresh look lets it notice (it answers EIO once and
    // drops the stale entry), so the next call sees the entry as it is.
    struct statx fresh{};
    (void)::statx(name.dir(), name.name(), AT_SYMLINK_NOFOLLOW | AT_STATX_FORCE_SYNC, STATX_TYPE, &fresh);
    return {};
}

bool NoAttributeWord(const std::error_code& ec)
{
    return ec.value() == ENODATA || ec.value() == ENOTSUP || ec.value() == EOPNOTSUPP;
}

std::uint32_t Compose(std::uint32_t word, const struct stat& st)
{
    std::uint32_t attributes = word;
    // A link has no permissions of its own; its mode says nothing about read-only.
    if (!S_ISLNK(st.st_mode) && (st.st_mode & kAllWriteBits) == 0) attributes |= kAttributeReadOnly;
    if (attributes & ~kAttributeNormal) attributes &= ~kAttributeNormal;
    if (attributes == 0) attributes = kAttributeNormal;
    return attributes;
}

// Drops a write lease taken on `fd`; errors are of no use here.
void Unlease(int fd)
{
    ::fcntl(fd, F_SETLEASE, F_UNLCK);
}

int Fail(int fd, int e)
{
    ::close(fd);
    errno = e;
    return -1;
}

// Whether the open file may be written as Windows would allow it: a regular file
// (anything else, a FIFO above all, could block or never end) without the read-only
// attribute. errno says why not.
bool WritableRegularFile(int fd)
{
    struct stat st{};
    if (::fstat(fd, &st) != 0) return false;
    if (!S_ISREG(st.st_mode)) {
        errno = ENXIO;
        return false;
    }
    if (HasReadOnlyAttribute(st, fd)) {
        errno = EACCES;
        return false;
    }
    return true;
}

// Cuts an open file to length 0 in place. A write lease is granted only while no
// other open of the file exists, which is the closest Linux comes to Windows'
// exclusive open: a file held open elsewhere is refused with EBUSY. Where no lease can
// be had (FUSE, NFS, a file of another owner without CAP_LEASE) the test is not
// possible and the file is truncated all the same.
int TruncateInPlace(int fd)
{
    bool leased = false;
    if (::fcntl(fd, F_SETLEASE, F_WRLCK) == 0) {
        leased = true;
    } else if (errno == EAGAIN || errno == EBUSY) {
        return Fail(fd, EBUSY);
    }
    if (::ftruncate(fd, 0) != 0) {
        const int e = errno;
        if (leased) Unlease(fd);
        return Fail(fd, e);
    }
    if (leased) Unlease(fd);
    return fd;
}

// Every open is made without waiting: a FIFO without a partner would otherwise block
// the caller for ever (a writer's open fails with ENXIO then). A reader may read a FIFO
// or a regular file, a writer only a regular file; nothing is cut before the checks
// passed. Blocking I/O is restored afterwards, except on a FIFO: its reader takes what
// is there and does not wait for a writer that may never send.
int OpenWithoutWaiting(const SystemName& name, FileOpenMode mode)
{
    constexpr int kCommon = O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
    constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask
    int flags = O_WRONLY | O_CREAT | kCommon;
    if (mode == FileOpenMode::Read) flags = O_RDONLY | kCommon;
    if (mode == FileOpenMode::TruncateExisting) flags = O_WRONLY | kCommon;
    if (mode == FileOpenMode::Append) flags |= O_APPEND;
    // An existing file is opened without O_CREAT, so that what is found can be told
    // from what this call made: only a found file is held to its read-only marks.
    bool created = false;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 8; ++attempt) {
        fd = ::openat(name.dir(), name.name(), flags & ~O_CREAT, kNewFileMode);
        if (fd < 0 && errno == ENOENT && (flags & O_CREAT)) {
            fd = ::openat(name.dir(), name.name(), flags | O_EXCL, kNewFileMode);
            created = fd >= 0;
        }
        if (fd < 0 && errno != EINTR && errno != EEXIST && errno != EIO) return -1;
    }
    if (fd < 0) return -1;
    if (mode == FileOpenMode::Read) {
        struct stat st{};
        if (::fstat(fd, &st) != 0) return Fail(fd, errno);
        if (S_ISFIFO(st.st_mode)) return fd;
        // A device would be read without end (/dev/zero) or not at all.
        if (!S_ISREG(st.st_mode)) return Fail(fd, S_ISDIR(st.st_mode) ? EISDIR : ENXIO);
    } else if (!created && !WritableRegularFile(fd)) {
        return Fail(fd, errno);
    }
    const int status = ::fcntl(fd, F_GETFL);
    if (status == -1 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) == -1) return Fail(fd, errno);
    if (mode == FileOpenMode::CreateTruncate && ::ftruncate(fd, 0) != 0) return Fail(fd, errno);
    if (mode == FileOpenMode::TruncateExisting) return TruncateInPlace(fd);
    return fd;
}

}  // namespace

std::error_code File::Close()
{
    if (native_ == -1) return {};
    const int fd = static_cast<int>(native_);
    native_ = -1;
    // Linux frees the descriptor even when close reports an error; never retry.
    if (::close(fd) != 0 && errno != EINTR) return LastError();
    return {};
}

std::error_code OpenFile(const std::u16string& path, FileOpenMode mode, File& file)
{
    file = File();
    SystemName name;
    if (const std::error_code ec = ToSystemName(path, name)) return ec;
    const int fd = OpenWithoutWaiting(name, mode);
    if (fd < 0) return LastError();
    file.native_ = fd;
    return {};
}

std::error_code FileSize(const File& file, std::uint64_t& size)
{
    struct stat st{};
    if (::fstat(static_cast<int>(file.native_), &st) != 0) return LastError();
    size = static_cast<std::uint64_t>(st.st_size);
    return {};
}

std::error_code ReadFile(const File& file, std::uint8_t* buffer, std::size_t count, std::size_t& got)
{
    got = 0;
    while (got < count) {
        const ssize_t n = ::read(static_cast<int>(file.native_), buffer + got, count - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN) break;  // a FIFO with nothing in it now: its end
            return LastError();
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return {};
}

std::error_code posix::ReadAt(int fd, std::uint64_t offset, std::uint8_t* buffer, std::size_t count, std::size_t& got)
{
    got = 0;
    constexpr auto kLargestOffset = static_cast<std::uint64_t>(std::numeric_limits<off_t>::max());
    while (got < count && offset <= kLargestOffset - got) {
        const ssize_t n = ::pread(fd, buffer + got, count - got, static_cast<off_t>(offset + got));
        if (n < 0) {
            if (errno == EINTR) continue;
            return LastError();
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return {};
}

std::error_code ReadFileAt(const File& file, std::uint64_t offset, std::uint8_t* buffer, std::size_t count,
                           std::size_t& got)
{
    return ReadAt(static_cast<int>(file.native_), offset, buffer, count, got);
}

std::error_code WriteFile(const File& file, const std::uint8_t* bytes, std::size_t count)
{
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(static_cast<int>(file.native_), bytes + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return LastError();
        }
        // A write that takes nothing and reports nothing would loop for ever.
        if (n == 0) return Errno(EIO);
        done += static_cast<std::size_t>(n);
    }
    return {};
}

std::error_code GetFileAttributes(const std::u16string& path, std::uint32_t& attributes)
{
    SystemName name;
    if (const std::error_code ec = ToSystemName(path, name)) return ec;
    struct stat st{};
    if (const std::error_code ec = StatAt(name, st, AT_SYMLINK_NOFOLLOW)) return ec;
    std::uint32_t word = 0;
    const std::error_code ec = ReadAttributeWord(name, word);
    if (ec) {
        if (!NoAttributeWord(ec)) return ec;
        word = S_ISDIR(st.st_mode) ? kAttributeDirectory : 0;
    }
    attributes = Compose(word, st);
    return {};
}

std::error_code SetFileAttributes(const std::u16string& path, std::uint32_t attributes)
{
    SystemName name;
    if (std::error_code ec = ToSystemName(path, name)) return ec;
    struct stat st{};
    if (const std::error_code ec = StatAt(name, st, AT_SYMLINK_NOFOLLOW)) return ec;
    std::uint32_t word = 0;
    std::error_code ec = ReadAttributeWord(name, word);
    const bool hasWord = !ec;
    if (ec && !NoAttributeWord(ec)) return ec;
    if (!hasWord) word = S_ISDIR(st.st_mode) ? kAttributeDirectory : 0;
    const std::uint32_t current = Compose(word, st);

    if (hasWord) {
        const std::uint32_t wanted = (word & ~kSettableAttributeBits) | (attributes & kSettableAttributeBits);
        if (wanted != word && (ec = WriteAttributeWord(name, wanted))) return ec;
    } else if (attributes & (kAttributeHidden | kAttributeSystem)) {
        return Errno(ENOTSUP);
    }

    if (((current ^ attributes) & kAttributeReadOnly) && !S_ISLNK(st.st_mode)) {
        mode_t mode = st.st_mode & 07777;
        if (attributes & kAttributeReadOnly)
            mode &= ~kAllWriteBits;
        else
            mode |= S_IWUSR;
        if (::fchmodat(name.dir(), name.name(), mode, 0) != 0) return LastError();
    }
    return {};
}

std::error_code QueryFileSize(const std::u16string& path, std::uint64_t& size)
{
    SystemName name;
    if (const std::error_code ec = ToSystemName(path, name)) return ec;
    struct stat st{};
    if (const std::error_code ec = StatAt(name, st, 0)) return ec;
    size = static_cast<std::uint64_t>(st.st_size);
    return {};
}

}  // namespace platform
