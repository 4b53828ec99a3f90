// POSIX backend of named streams (user.* extended attributes), compression, file times,
// removal and the trash. On ntfs-3g the NTFS attribute word is system.ntfs_attrib and
// the creation time system.ntfs_crtime (8 bytes, little-endian file time).
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "common/Utf16.h"
#include "platform/platform.h"
#include "platform/posix/posix_internal.h"

namespace platform {

namespace {

using posix::Errno;
using posix::kAttribAttr;
using posix::LastError;

constexpr const char* kCrtimeAttr = "system.ntfs_crtime";
constexpr std::uint32_t kAttributeCompressed = 0x800;
constexpr std::uint64_t kFileTimeUnixEpoch = 116444736000000000ULL;

bool NoSuchAttribute(int e)
{
    return e == ENODATA || e == ENOTSUP || e == EOPNOTSUPP;
}

std::string StreamAttribute(const std::u16string& stream)
{
    return "user." + ToUtf8(stream);
}

std::uint64_t LoadLe(const unsigned char* raw, std::size_t n)
{
    std::uint64_t v = 0;
    for (std::size_t i = n; i-- > 0;) v = v << 8 | raw[i];
    return v;
}

void StoreLe(std::uint64_t v, unsigned char* raw, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i, v >>= 8) raw[i] = static_cast<unsigned char>(v);
}

// The NTFS attribute word, following links; ENODATA/ENOTSUP off NTFS.
std::error_code ReadWord(const std::string& native, std::uint32_t& word)
{
    unsigned char raw[4] = {};
    const ssize_t n = ::getxattr(native.c_str(), kAttribAttr, raw, sizeof raw);
    if (n < 0) return LastError();
    if (n != static_cast<ssize_t>(sizeof raw)) return Errno(ENODATA);
    word = posix::DecodeWordLE(raw);
    return {};
}

// An open descriptor for the inode-flag ioctls; directories open too, a FIFO without a
// writer does not block.
int OpenForFlags(const std::string& native)
{
    return ::open(native.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

bool NoInodeFlags(int e)
{
    return e == ENOTTY || e == ENOTSUP || e == EOPNOTSUPP || e == EINVAL;
}

std::uint64_t ToFileTime(const struct statx_timestamp& t)
{
    return kFileTimeUnixEpoch + static_cast<std::uint64_t>(t.tv_sec) * 10000000ULL + t.tv_nsec / 100;
}

struct timespec ToTimespec(std::uint64_t fileTime)
{
    struct timespec ts{};
    const auto since = static_cast<std::int64_t>(fileTime) - static_cast<std::int64_t>(kFileTimeUnixEpoch);
    std::int64_t sec = since / 10000000;
    std::int64_t rest = since % 10000000;
    if (rest < 0) {
        rest += 10000000;
        --sec;
    }
    ts.tv_sec = static_cast<time_t>(sec);
    ts.tv_nsec = static_cast<long>(rest * 100);
    return ts;
}

// The trash code lives in a module of its own (it needs Qt Core), beside the library
// or wherever the loader finds it, so that programs that never recycle never load Qt.
using TrashFunction = int (*)(const char*);
constexpr const char* kTrashModule = "libHollin0106Trash.so";

TrashFunction LoadTrashFunction()
{
    static const TrashFunction loaded = [] () -> TrashFunction {
        void* module = nullptr;
        Dl_info self{};
        if (::dladdr(reinterpret_cast<void*>(&LoadTrashFunction), &self) != 0 && self.dli_fname != nullptr) {
            const std::filesystem::path beside = std::filesystem::path(self.dli_fname).parent_path() / kTrashModule;
            module = ::dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL);
        }
        if (module == nullptr) module = ::dlopen(kTrashModule, RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) return nullptr;
        return reinterpret_cast<TrashFunction>(::dlsym(module, "tagscope_move_to_trash"));
    }();
    return loaded;
}

// EACCES for a file (links followed, as the stream calls follow them) with the read-only
// attribute; the system's error when it cannot be looked at.
std::error_code RefuseReadOnly(const std::string& native)
{
    const int fd = ::open(native.c_str(), O_PATH | O_CLOEXEC);
    if (fd < 0) return LastError();
    struct stat st{};
    std::error_code ec;
    if (::fstat(fd, &st) != 0)
        ec = LastError();
    else if (posix::HasReadOnlyAttribute(st, fd))
        ec = Errno(EACCES);
    ::close(fd);
    return ec;
}

}  // namespace

std::error_code ReadStream(const std::u16string& path, const std::u16string& stream, std::vector<std::uint8_t>& out)
{
    out.clear();
    std::string native;
    if (const auto ec = posix::ToNativeName(path, native)) return ec;
    const std::string name = StreamAttribute(stream);
    // The stream may grow between asking its size and reading it: ask again then.
    for (;;) {
        const ssize_t size = ::getxattr(native.c_str(), name.c_str(), nullptr, 0);
        if (size < 0) return LastError();
        std::vector<std::uint8_t> buffer(static_cast<std::size_t>(size));
        const ssize_t n = ::getxattr(native.c_str(), name.c_str(), buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == ERANGE) continue;
            return LastError();
        }
        buffer.resize(static_cast<std::size_t>(n));
        out = std::move(buffer);
        return {};
    }
}

std::error_code WriteStream(const std::u16string& path, const std::u16string& stream,
                            const std::vector<std::uint8_t>& bytes)
{
    std::string native;
    if (const auto ec = posix::ToNativeName(path, native)) return ec;
    if (const auto ec = RefuseReadOnly(native)) return ec;
    if (::setxattr(native.c_str(), StreamAttribute(stream).c_str(), bytes.data(), bytes.size(), 0) != 0)
        return LastError();
    return {};
}

std::error_code RemoveStream(const std::u16string& path, const std::u16string& stream)
{
    std::string native;
    if (const auto ec = posix::ToNativeName(path, native)) return ec;
    if (const auto ec = RefuseReadOnly(native)) return ec;
    if (::removexattr(native.c_str(), StreamAttribute(stream).c_str()) != 0) return LastError();
    return {};
}

std::error_code ListStreams(const std::u16string& path, std::vector<std::u16string>& names)
{
    names.clear();
    std::string native;
    if (const auto ec = posix::ToNativeName(path, native)) return ec;
    std::vector<char> list;
    for (;;) {
        const ssize_t size = ::listxattr(native.c_str(), nullptr, 0);
        if (size < 0) return LastError();
        list.resize(static_cast<std::size_t>(size));
        const ssize_t n = ::listxattr(native.c_str(), list.data(), list.size());
        if (n < 0) {
            if (errno == ERANGE) continue;
            return LastError();
        }
        list.resize(static_cast<std::size_t>(n));
        break;
    }
    constexpr std::string_view kUser = "user.";
    for (std::size_t at = 0; at < list.size();) {
        const std::string_view name(list.data() + at);
        if (name.starts_with(kUser)) names.push_back(FromUtf8(name.substr(kUser.size())));
        at += name.size() + 1;
    }
    return {};
}

std::error_code GetCompression(const std::u16string& path, bool& compressed)
{
    std::string native;
    if (const auto ec = posix::ToNativeName(path, native)) return ec;
    std::uint32_t word = 0;
    std::error_code ec = ReadWord(native, word);
    if (!ec) {
        compressed = (word & kAttributeCompressed) != 0;
        return {};
    }
    if (!NoSuchAttribute(ec.value())) return ec;
    const int fd = OpenForFlags(native);
    if (fd < 0) return LastError();
    int flags = 0;
    const int rc = ::ioctl(fd, FS_IOC_GETFLAGS, &flags);
    const int e = errno;
    ::close(fd);
    if (rc != 0) {
        if (!NoInodeFlags(e)) return Errno(e);
        flags = 0;
    }
    compressed = (flags & FS_COMPR_FL) != 0;
    return {};
}

std::error_code SetCompression(const std::u16string& path, bool compress)
{
    std::string native;
    if (const auto ec = posix::ToNativeName(path, native)) return ec;
    std::uint32_t word = 0;
    std::error_code ec = ReadWord(native, word);
    if (!ec) {
        const std::uint32_t wanted = compress ? word | kAttributeCompressed : word & ~kAttributeCompressed;
        if (wanted == word) return {};
        unsigned char raw[4];
        StoreLe(wanted, raw, sizeof raw);
        if (::setxattr(native.c_str(), kAttribAttr, raw, sizeof raw, 0) != 0) return LastError();
        // ntfs-3g accepts the bit on a file and drops it without a word: only reading
        // it back tells whether the change took.
        if ((ec = ReadWord(native, word))) return ec;
        if ((word & kAttributeCompressed) != (wanted & kAttributeCompressed)) return Errno(EOPNOTSUPP);
        return {};
    }
    if (!NoSuchAttribute(ec.value())) return ec;
    const int fd = OpenForFlags(native);
    if (fd < 0) return LastError();
    int flags = 0;
    int rc = ::ioctl(fd, FS_IOC_GETFLAGS, &flags);
    if (rc == 0) {
        const int wanted = compress ? flags | FS_COMPR_FL : flags & ~FS_COMPR_FL;
        if (wanted != flags) rc = ::ioctl(fd, FS_IOC_SETFLAGS, &wanted);
    } else if (!compress && NoInodeFlags(errno)) {
        rc = 0;  // nothing here can be compressed, so nothing is
    }
    const int e = errno;
    ::close(fd);
    return rc == 0 ? std::error_code() : Errno(e);
}

std::error_code GetFileTimes(const std::u16string& path, FileTimes& times)
{
    times = {};
    std::string native;
    if (const auto ec = posix::ToNativeName(path, native)) return ec;
    struct statx st{};
    if (::statx(AT_FDCWD, native.c_str(), 0, STATX_ATIME | STATX_MTIME | STATX_BTIME, &st) != 0) return LastError();
    times.lastAccess = ToFileTime(st.stx_atime);
    times.lastWrite = ToFileTime(st.stx_mtime);
    unsigned char raw[8] = {};
    const ssize_t n = ::getxattr(native.c_str(), kCrtimeAttr, raw, sizeof raw);
    if (n == static_cast<ssize_t>(sizeof raw))
        times.creation = LoadLe(raw, sizeof raw);
    else if (st.stx_mask & STATX_BTIME)
        times.creation = ToFileTime(st.stx_btime);
    return {};
}

std::error_code SetFileTimes(const std::u16string& path, const FileTimes& times)
{
    std::string native;
    if (const auto ec = posix::ToNativeName(path, native)) return ec;
    if (times.creation) {
        // Only ntfs-3g lets a creation time be set; a birth time elsewhere is the
        // kernel's own. Checked first, so that nothing changes when it fails.
        unsigned char probe[8] = {};
        if (::getxattr(native.c_str(), kCrtimeAttr, probe, sizeof probe) != static_cast<ssize_t>(sizeof probe)) {
            if (errno == ENOENT || errno == ENOTDIR || errno == EACCES) return LastError();
            return Errno(ENOTSUP);
        }
    }
    if (times.lastAccess || times.lastWrite) {
        struct timespec ts[2];
        ts[0] = times.lastAccess ? ToTimespec(*times.lastAccess) : timespec{0, UTIME_OMIT};
        ts[1] = times.lastWrite ? ToTimespec(*times.lastWrite) : timespec{0, UTIME_OMIT};
        if (::utimensat(AT_FDCWD, native.c_str(), ts, 0) != 0) return LastError();
    }
    if (times.creation) {
        unsigned char raw[8];
        StoreLe(*times.creation, raw, sizeof raw);
        if (::setxattr(native.c_str(), kCrtimeAttr, raw, sizeof raw, 0) != 0) return LastError();
    } else if (!times.lastAccess && !times.lastWrite) {
        // Nothing to change; the entry must still exist, as the open on Windows tells.
        struct stat st{};
        if (::stat(native.c_str(), &st) != 0) return LastError();
    }
    return {};
}

std::int64_t LocalOffsetAtUtc(std::int64_t utcSeconds)
{
    const auto t = static_cast<time_t>(utcSeconds);
    struct tm local{};
    if (::localtime_r(&t, &local) == nullptr) return 0;
    return local.tm_gmtoff;
}

std::int64_t LocalOffsetAtLocal(std::int64_t localSeconds)
{
    // The wall-clock fields of `localSeconds`, read as UTC, then handed to mktime as
    // local time; mktime decides on daylight saving time itself.
    const auto t = static_cast<time_t>(localSeconds);
    struct tm fields{};
    if (::gmtime_r(&t, &fields) == nullptr) return 0;
    fields.tm_isdst = -1;
    // -1 is also a valid answer; only errno tells a failure (EOVERFLOW).
    errno = 0;
    const time_t utc = ::mktime(&fields);
    if (utc == static_cast<time_t>(-1) && errno != 0) return 0;
    return localSeconds - static_cast<std::int64_t>(utc);
}

std::error_code RemoveFile(const std::u16string& path)
{
    std::string native;
    if (const auto ec = posix::ToNativeName(path, native)) return ec;
    if (::unlink(native.c_str()) != 0) return LastError();
    return {};
}

std::error_code RemoveEmptyDirectory(const std::u16string& path)
{
    std::string native;
    if (const auto ec = posix::ToNativeName(path, native)) return ec;
    struct stat st{};
    if (::lstat(native.c_str(), &st) != 0) return LastError();
    const int rc = S_ISLNK(st.st_mode) ? ::unlink(native.c_str()) : ::rmdir(native.c_str());
    if (rc != 0) return LastError();
    return {};
}

std::error_code RemoveTree(const std::u16string& path)
{
    std::string native;
    if (const auto ec = posix::ToNativeName(path, native)) return ec;
    // remove_all looks at each entry without following it, so a link inside the tree
    // loses only itself.
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(native), ec);
    return ec;
}

std::error_code MoveToTrash(const std::u16string& path)
{
    std::string native;
    if (const auto ec = posix::ToNativeName(path, native)) return ec;
    const TrashFunction trash = LoadTrashFunction();
    if (trash == nullptr) return Errno(ENOSYS);
    const int e = trash(native.c_str());
    return e == 0 ? std::error_code() : Errno(e);
}

}  // namespace platform
