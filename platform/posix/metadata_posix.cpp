// POSIX backend of named streams (user.* extended attributes), compression and file
// times, on names of any length. On ntfs-3g the NTFS attribute word is system.ntfs_attrib and
// the creation time system.ntfs_crtime (8 bytes, little-endian file time).
#include <fcntl.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "common/Utf16.h"
#include "platform/FileMetadata.h"
#include "platform/NamedStreams.h"
#include "platform/posix/posix_internal.h"

namespace platform {

namespace {

using posix::Errno;
using posix::FinalLink;
using posix::kAttribAttr;
using posix::kCrtimeAttr;
using posix::LastError;

constexpr std::uint32_t kAttributeCompressed = 0x800;

bool NoSuchAttribute(int e)
{
    return e == ENODATA || e == ENOTSUP || e == EOPNOTSUPP;
}

std::string StreamAttribute(const std::u16string& stream)
{
    return "user." + ToUtf8(stream);
}

void StoreLe(std::uint64_t v, unsigned char* raw, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i, v >>= 8) raw[i] = static_cast<unsigned char>(v);
}

// The NTFS attribute word, following links; ENODATA/ENOTSUP off NTFS.
std::error_code ReadWord(const posix::SystemName& name, std::uint32_t& word)
{
    unsigned char raw[4] = {};
    std::size_t got = 0;
    if (const auto ec = posix::GetXattr(name, FinalLink::Follow, kAttribAttr, raw, sizeof raw, got)) return ec;
    if (got != sizeof raw) return Errno(ENODATA);
    word = static_cast<std::uint32_t>(posix::LoadLe(raw, sizeof raw));
    return {};
}

// Whether the file system of what `name` leads to compresses a file whose FS_COMPR_FL
// inode flag is set: btrfs, and f2fs with its compression feature (it refuses the flag
// without). ext2/3/4 store the flag and compress nothing, so there it says nothing. Asked
// through an O_PATH descriptor, which neither permissions nor a FIFO stop.
std::error_code CompressesFlaggedFiles(const posix::SystemName& name, bool& compresses)
{
    const int fd = ::openat(name.dir(), name.name(), O_PATH | O_CLOEXEC);
    if (fd < 0) return LastError();
    struct statfs sf{};
    const int rc = ::fstatfs(fd, &sf);
    const int e = errno;
    ::close(fd);
    if (rc != 0) return Errno(e);
    compresses = sf.f_type == BTRFS_SUPER_MAGIC || sf.f_type == F2FS_SUPER_MAGIC;
    return {};
}

// An open descriptor for the inode-flag ioctls; directories open too, a FIFO without a
// writer does not block.
int OpenForFlags(const posix::SystemName& name)
{
    return ::openat(name.dir(), name.name(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

bool NoInodeFlags(int e)
{
    return e == ENOTTY || e == ENOTSUP || e == EOPNOTSUPP || e == EINVAL;
}

struct timespec ToTimespec(std::uint64_t fileTime)
{
    const filetime::UnixTime t = filetime::ToUnix(fileTime);
    struct timespec ts{};
    ts.tv_sec = static_cast<time_t>(t.seconds);
    ts.tv_nsec = static_cast<long>(t.nanoseconds);
    return ts;
}

struct timespec ToTimespec(const struct statx_timestamp& t)
{
    struct timespec ts{};
    ts.tv_sec = static_cast<time_t>(t.tv_sec);
    ts.tv_nsec = static_cast<long>(t.tv_nsec);
    return ts;
}

// The times of what `name` leads to as the file system holds them: access and write,
// and ntfs-3g's creation time when `creation` is asked for and present.
struct StoredTimes {
    struct statx sx{};
    bool hasCreation = false;
    unsigned char creation[8] = {};
};

std::error_code ReadStoredTimes(const posix::SystemName& name, bool creation, StoredTimes& out)
{
    if (::statx(name.dir(), name.name(), 0, STATX_ATIME | STATX_MTIME, &out.sx) != 0) return LastError();
    std::size_t got = 0;
    out.hasCreation = creation &&
                      !posix::GetXattr(name, FinalLink::Follow, kCrtimeAttr, out.creation, sizeof out.creation, got) &&
                      got == sizeof out.creation;
    return {};
}

// Whether the file system moved the time `asked` into the range it can hold, `stored`
// being what it kept. The kernel cuts a time to the file system's granularity, which
// only ever moves it earlier, by less than `rounding`; a time before the earliest it can
// hold comes back later, one after the latest earlier by more than that.
bool Moved(std::uint64_t asked, std::uint64_t stored, std::uint64_t rounding)
{
    constexpr std::uint64_t kMicrosecond = 10;
    return stored >= asked + kMicrosecond || asked > stored + rounding;
}

constexpr std::uint64_t kTwoSeconds = 2 * filetime::kTicksPerSecond;  // FAT's write times
constexpr std::uint64_t kOneDay = 86400 * filetime::kTicksPerSecond;  // FAT's access dates

// EACCES for a file (links followed, as the stream calls follow them) with the read-only
// attribute; the system's error when it cannot be looked at.
std::error_code RefuseReadOnly(const posix::SystemName& name)
{
    const int fd = ::openat(name.dir(), name.name(), O_PATH | O_CLOEXEC);
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
    posix::SystemName name;
    if (const auto ec = posix::ToSystemName(path, name)) return ec;
    return posix::GetXattrValue(name, FinalLink::Follow, StreamAttribute(stream).c_str(), out);
}

std::error_code WriteStream(const std::u16string& path, const std::u16string& stream,
                            const std::vector<std::uint8_t>& bytes)
{
    posix::SystemName name;
    if (const auto ec = posix::ToSystemName(path, name)) return ec;
    if (const auto ec = RefuseReadOnly(name)) return ec;
    return posix::SetXattr(name, FinalLink::Follow, StreamAttribute(stream).c_str(), bytes.data(), bytes.size());
}

std::error_code RemoveStream(const std::u16string& path, const std::u16string& stream)
{
    posix::SystemName name;
    if (const auto ec = posix::ToSystemName(path, name)) return ec;
    if (const auto ec = RefuseReadOnly(name)) return ec;
    return posix::RemoveXattr(name, FinalLink::Follow, StreamAttribute(stream).c_str());
}

std::error_code ListStreams(const std::u16string& path, std::vector<std::u16string>& names)
{
    names.clear();
    posix::SystemName name;
    if (const auto ec = posix::ToSystemName(path, name)) return ec;
    std::vector<char> list;
    if (const auto ec = posix::ListXattr(name, FinalLink::Follow, list)) return ec;
    constexpr std::string_view kUser = "user.";
    for (std::size_t at = 0; at < list.size();) {
        const std::string_view attribute(list.data() + at);
        if (attribute.starts_with(kUser)) names.push_back(FromUtf8(attribute.substr(kUser.size())));
        at += attribute.size() + 1;
    }
    return {};
}

std::error_code GetCompression(const std::u16string& path, bool& compressed)
{
    posix::SystemName name;
    if (const auto ec = posix::ToSystemName(path, name)) return ec;
    std::uint32_t word = 0;
    std::error_code ec = ReadWord(name, word);
    if (!ec) {
        compressed = (word & kAttributeCompressed) != 0;
        return {};
    }
    if (!NoSuchAttribute(ec.value())) return ec;
    bool compresses = false;
    if ((ec = CompressesFlaggedFiles(name, compresses))) return ec;
    compressed = false;
    if (!compresses) return {};
    const int fd = OpenForFlags(name);
    if (fd < 0) return LastError();
    int flags = 0;
    const int rc = ::ioctl(fd, FS_IOC_GETFLAGS, &flags);
    const int e = errno;
    ::close(fd);
    if (rc != 0) return NoInodeFlags(e) ? std::error_code() : Errno(e);
    compressed = (flags & FS_COMPR_FL) != 0;
    return {};
}

std::error_code SetCompression(const std::u16string& path, bool compress)
{
    posix::SystemName name;
    if (const auto ec = posix::ToSystemName(path, name)) return ec;
    std::uint32_t word = 0;
    std::error_code ec = ReadWord(name, word);
    if (!ec) {
        const std::uint32_t wanted = compress ? word | kAttributeCompressed : word & ~kAttributeCompressed;
        if (wanted == word) return {};
        unsigned char raw[4];
        StoreLe(wanted, raw, sizeof raw);
        if ((ec = posix::SetXattr(name, FinalLink::Follow, kAttribAttr, raw, sizeof raw))) return ec;
        // ntfs-3g accepts the bit on a file and drops it without a word: only reading
        // it back tells whether the change took.
        if ((ec = ReadWord(name, word))) return ec;
        if ((word & kAttributeCompressed) != (wanted & kAttributeCompressed)) return Errno(EOPNOTSUPP);
        return {};
    }
    if (!NoSuchAttribute(ec.value())) return ec;
    bool compresses = false;
    if ((ec = CompressesFlaggedFiles(name, compresses))) return ec;
    // Where nothing is compressed, switching off has nothing to do, and switching on
    // cannot be done: the flag alone would only make the file look compressed.
    if (!compresses) return compress ? Errno(EOPNOTSUPP) : std::error_code();
    const int fd = OpenForFlags(name);
    if (fd < 0) return LastError();
    int flags = 0;
    int rc = ::ioctl(fd, FS_IOC_GETFLAGS, &flags);
    if (rc == 0) {
        const int wanted = compress ? flags | FS_COMPR_FL : flags & ~FS_COMPR_FL;
        if (wanted != flags) rc = ::ioctl(fd, FS_IOC_SETFLAGS, &wanted);
    } else if (!compress && NoInodeFlags(errno)) {
        rc = 0;
    }
    const int e = errno;
    ::close(fd);
    return rc == 0 ? std::error_code() : Errno(e);
}

std::error_code GetFileTimes(const std::u16string& path, FileTimes& times)
{
    times = {};
    posix::SystemName name;
    if (const auto ec = posix::ToSystemName(path, name)) return ec;
    struct statx st{};
    if (::statx(name.dir(), name.name(), 0, STATX_ATIME | STATX_MTIME | STATX_BTIME, &st) != 0) return LastError();
    times.lastAccess = posix::FileTimeOf(st.stx_atime);
    times.lastWrite = posix::FileTimeOf(st.stx_mtime);
    unsigned char raw[8] = {};
    std::size_t got = 0;
    if (!posix::GetXattr(name, FinalLink::Follow, kCrtimeAttr, raw, sizeof raw, got) && got == sizeof raw)
        times.creation = posix::LoadLe(raw, sizeof raw);
    else if (st.stx_mask & STATX_BTIME)
        times.creation = posix::FileTimeOf(st.stx_btime);
    return {};
}

std::error_code SetFileTimes(const std::u16string& path, const FileTimes& times)
{
    posix::SystemName name;
    if (const auto ec = posix::ToSystemName(path, name)) return ec;
    // Read first: the entry must exist even when nothing is to change, as the open on
    // Windows tells, and the times go back when the file system cannot hold new ones.
    StoredTimes before;
    if (const auto ec = ReadStoredTimes(name, times.creation.has_value(), before)) return ec;
    // Only ntfs-3g lets a creation time be set; a birth time elsewhere is the kernel's
    // own. Checked first, so that nothing changes when it fails.
    if (times.creation && !before.hasCreation) return Errno(ENOTSUP);

    const auto setAccessWrite = [&](const struct timespec (&ts)[2]) -> std::error_code {
        return ::utimensat(name.dir(), name.name(), ts, 0) != 0 ? LastError() : std::error_code();
    };
    const bool accessWrite = times.lastAccess || times.lastWrite;
    if (accessWrite) {
        const struct timespec ts[2] = {
            times.lastAccess ? ToTimespec(*times.lastAccess) : timespec{0, UTIME_OMIT},
            times.lastWrite ? ToTimespec(*times.lastWrite) : timespec{0, UTIME_OMIT},
        };
        if (const auto ec = setAccessWrite(ts)) return ec;
    }
    if (times.creation) {
        unsigned char raw[8];
        StoreLe(*times.creation, raw, sizeof raw);
        if (const auto ec = posix::SetXattr(name, FinalLink::Follow, kCrtimeAttr, raw, sizeof raw)) return ec;
    }
    if (!accessWrite && !times.creation) return {};

    // The kernel moves a time the file system cannot hold into its range without a word
    // (ext4: before 1901-12-14 or after 2446-05-10): read back, and when a time was
    // moved put the old ones back and say the time is out of range.
    StoredTimes after;
    if (const auto ec = ReadStoredTimes(name, times.creation.has_value(), after)) return ec;
    const bool moved =
        (times.lastAccess && Moved(*times.lastAccess, posix::FileTimeOf(after.sx.stx_atime), kOneDay)) ||
        (times.lastWrite && Moved(*times.lastWrite, posix::FileTimeOf(after.sx.stx_mtime), kTwoSeconds)) ||
        (times.creation && after.hasCreation &&
         Moved(*times.creation, posix::LoadLe(after.creation, sizeof after.creation), kTwoSeconds));
    if (!moved) return {};
    if (accessWrite) {
        const struct timespec ts[2] = {ToTimespec(before.sx.stx_atime), ToTimespec(before.sx.stx_mtime)};
        (void)setAccessWrite(ts);
    }
    if (times.creation)
        (void)posix::SetXattr(name, FinalLink::Follow, kCrtimeAttr, before.creation, sizeof before.creation);
    return Errno(ERANGE);
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
}  // namespace platform
