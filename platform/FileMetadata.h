// Compression and time stamps of entries, and the local time's offset from UTC.
// Backends: platform/posix (Linux, NTFS through ntfs-3g) and platform/win32.
// Paths are UTF-16 and reach the operating system in full Unicode. Every call that takes
// a path refuses one holding a NUL with EINVAL (the system would address another entry),
// and reaches entries whose full path is longer than the system takes in one call.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <system_error>

namespace platform {

// Whether the file or directory is compressed, as the file system does it: on an NTFS
// volume the compressed bit (0x800) of the attribute word; on a file system that
// compresses files carrying the FS_COMPR_FL inode flag (btrfs, f2fs) that flag.
// Elsewhere nothing is compressed (ext4 keeps the flag but never compresses).
// Links are followed.
std::error_code GetCompression(const std::u16string& path, bool& compressed);
// Switches compression on or off. ntfs-3g honours the bit only on directories (new
// files in them are compressed) and ignores it silently elsewhere: a change that did
// not take is reported as EOPNOTSUPP. btrfs and f2fs get the inode flag (f2fs refuses
// it without its compression feature); a file system that does not compress refuses
// with EOPNOTSUPP, except that switching off there succeeds.
std::error_code SetCompression(const std::u16string& path, bool compress);

// Time stamps in Windows file-time units (100 ns since 1601-01-01 UTC); an empty one
// is not known (GetFileTimes) or not to be changed (SetFileTimes).
struct FileTimes {
    std::optional<std::uint64_t> creation;
    std::optional<std::uint64_t> lastAccess;
    std::optional<std::uint64_t> lastWrite;
};

// The times of the entry (links followed). The creation time comes from ntfs-3g's
// system.ntfs_crtime where present, else from the birth time the file system reports;
// where it keeps none, `times.creation` stays empty.
std::error_code GetFileTimes(const std::u16string& path, FileTimes& times);
// Sets the given times (links followed); the others stay. A creation time where the
// file system keeps none that can be set fails with ENOTSUP, before anything changes. A
// time outside what the file system can hold (ext4: before 1901-12-14 or after
// 2446-05-10), which Linux would store moved to the nearest it can, fails with ERANGE
// and the times are put back as they were.
std::error_code SetFileTimes(const std::u16string& path, const FileTimes& times);

// The offset of local time from UTC in seconds at the UTC moment `utcSeconds` (seconds
// since 1970), and at the local wall-clock time `localSeconds`; daylight saving time
// counts. Never fail: 0 when the zone cannot be had.
std::int64_t LocalOffsetAtUtc(std::int64_t utcSeconds);
std::int64_t LocalOffsetAtLocal(std::int64_t localSeconds);

// The local time's offset from UTC now, in seconds (east positive).
std::int64_t CurrentUtcBias();

}  // namespace platform
