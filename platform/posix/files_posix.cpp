// POSIX backend of the file operations: whole-file I/O and the Windows attribute bits
// (hidden and system from ntfs-3g's system.ntfs_attrib, read-only from the mode).
#include "platform/platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>

#include "common/Utf16.h"

namespace platform {

namespace {

constexpr const char* kAttribAttr = "system.ntfs_attrib";
// Bits of the NTFS attribute word that a caller may change: read-only, hidden, system,
// archive, temporary, offline, not content indexed.
constexpr std::uint32_t kSettableAttributes = 0x1 | 0x2 | 0x4 | 0x20 | 0x100 | 0x1000 | 0x2000;
constexpr mode_t kAllWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

std::error_code Errno(int e)
{
    return {e, std::generic_category()};
}

std::error_code LastError()
{
    return Errno(errno);
}

// The NTFS attribute word of the entry itself. ENODATA/ENOTSUP when the file system
// has none.
std::error_code ReadAttributeWord(const std::string& native, std::uint32_t& word)
{
    unsigned char raw[4] = {};
    const ssize_t n = ::lgetxattr(native.c_str(), kAttribAttr, raw, sizeof raw);
    if (n < 0) return LastError();
    if (n != static_cast<ssize_t>(sizeof raw)) return Errno(ENODATA);
    word = static_cast<std::uint32_t>(raw[0]) | static_cast<std::uint32_t>(raw[1]) << 8 |
           static_cast<std::uint32_t>(raw[2]) << 16 | static_cast<std::uint32_t>(raw[3]) << 24;
    return {};
}

std::error_code WriteAttributeWord(const std::string& native, std::uint32_t word)
{
    const unsigned char raw[4] = {static_cast<unsigned char>(word), static_cast<unsigned char>(word >> 8),
                                  static_cast<unsigned char>(word >> 16), static_cast<unsigned char>(word >> 24)};
    if (::lsetxattr(native.c_str(), kAttribAttr, raw, sizeof raw, 0) != 0) return LastError();
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

// Opens an existing file and cuts it to length 0 in place. A write lease is granted
// only while no other open of the file exists, which is the closest Linux comes to
// Windows' exclusive open: a file held open elsewhere is refused with EBUSY. Where no
// lease can be had (FUSE, NFS, a file of another owner without CAP_LEASE) the test is
// not possible and the file is truncated all the same.
int OpenTruncateExisting(const std::string& native)
{
    const int fd = ::open(native.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return -1;
    bool leased = false;
    if (::fcntl(fd, F_SETLEASE, F_WRLCK) == 0) {
        leased = true;
    } else if (errno == EAGAIN || errno == EBUSY) {
        ::close(fd);
        errno = EBUSY;
        return -1;
    }
    if (::ftruncate(fd, 0) != 0) {
        const int e = errno;
        if (leased) Unlease(fd);
        ::close(fd);
        errno = e;
        return -1;
    }
    if (leased) Unlease(fd);
    return fd;
}

// Opens for reading without waiting: a FIFO without a writer would otherwise block
// the caller for ever. Reads block again afterwards, as on a regular file.
int OpenForReading(const std::string& native)
{
    const int fd = ::open(native.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return -1;
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags == -1 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1) {
        const int e = errno;
        ::close(fd);
        errno = e;
        return -1;
    }
    return fd;
}

}  // namespace

File::~File()
{
    if (native_ != -1) ::close(static_cast<int>(native_));
}

File::File(File&& other) noexcept : native_(other.native_)
{
    other.native_ = -1;
}

File& File::operator=(File&& other) noexcept
{
    if (this != &other) {
        if (native_ != -1) ::close(static_cast<int>(native_));
        native_ = other.native_;
        other.native_ = -1;
    }
    return *this;
}

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
    const std::string native = ToNativePath(path);
    constexpr int kCommon = O_CLOEXEC | O_NOCTTY;
    constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask
    int fd = -1;
    do {
        switch (mode) {
        case FileOpenMode::Read: fd = OpenForReading(native); break;
        case FileOpenMode::CreateTruncate:
            fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | kCommon, kNewFileMode);
            break;
        case FileOpenMode::OpenOrCreate:
            fd = ::open(native.c_str(), O_WRONLY | O_CREAT | kCommon, kNewFileMode);
            break;
        case FileOpenMode::Append:
            fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_APPEND | kCommon, kNewFileMode);
            break;
        case FileOpenMode::TruncateExisting: fd = OpenTruncateExisting(native); break;
        }
    } while (fd < 0 && errno == EINTR);
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
            return LastError();
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    return {};
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
    const std::string native = ToNativePath(path);
    struct stat st{};
    if (::lstat(native.c_str(), &st) != 0) return LastError();
    std::uint32_t word = 0;
    const std::error_code ec = ReadAttributeWord(native, word);
    if (ec) {
        if (!NoAttributeWord(ec)) return ec;
        word = S_ISDIR(st.st_mode) ? kAttributeDirectory : 0;
    }
    attributes = Compose(word, st);
    return {};
}

std::error_code SetFileAttributes(const std::u16string& path, std::uint32_t attributes)
{
    const std::string native = ToNativePath(path);
    struct stat st{};
    if (::lstat(native.c_str(), &st) != 0) return LastError();
    std::uint32_t word = 0;
    std::error_code ec = ReadAttributeWord(native, word);
    const bool hasWord = !ec;
    if (ec && !NoAttributeWord(ec)) return ec;
    if (!hasWord) word = S_ISDIR(st.st_mode) ? kAttributeDirectory : 0;
    const std::uint32_t current = Compose(word, st);

    if (hasWord) {
        const std::uint32_t wanted = (word & ~kSettableAttributes) | (attributes & kSettableAttributes);
        if (wanted != word && (ec = WriteAttributeWord(native, wanted))) return ec;
    } else if (attributes & (kAttributeHidden | kAttributeSystem)) {
        return Errno(ENOTSUP);
    }

    if (((current ^ attributes) & kAttributeReadOnly) && !S_ISLNK(st.st_mode)) {
        mode_t mode = st.st_mode & 07777;
        if (attributes & kAttributeReadOnly)
            mode &= ~kAllWriteBits;
        else
            mode |= S_IWUSR;
        if (::chmod(native.c_str(), mode) != 0) return LastError();
    }
    return {};
}

std::error_code QueryFileSize(const std::u16string& path, std::uint64_t& size)
{
    struct stat st{};
    if (::stat(ToNativePath(path).c_str(), &st) != 0) return LastError();
    size = static_cast<std::uint64_t>(st.st_size);
    return {};
}

}  // namespace platform
