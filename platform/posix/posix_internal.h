// What the POSIX backend's files share: errno as an error code, ntfs-3g's extended
// attributes and their little-endian word, and names turned into something the system
// takes in one call, whatever their length.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <system_error>
#include <vector>

#include "common/FileTime.h"

namespace platform::posix {

// ntfs-3g's NTFS attribute word (4 bytes, little-endian), raw reparse buffer and creation
// time (the NTFS time, 64-bit little-endian).
inline constexpr const char* kAttribAttr = "system.ntfs_attrib";
inline constexpr const char* kReparseDataAttr = "system.ntfs_reparse_data";
inline constexpr const char* kCrtimeAttr = "system.ntfs_crtime";

// No write bit at all: the read-only attribute of a file outside NTFS.
inline constexpr mode_t kAllWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

// Bits of the NTFS attribute word that a caller may change: read-only, hidden, system,
// archive, temporary, offline, not content indexed.
inline constexpr std::uint32_t kSettableAttributeBits = 0x1 | 0x2 | 0x4 | 0x20 | 0x100 | 0x1000 | 0x2000;

inline std::error_code Errno(int e)
{
    return {e, std::generic_category()};
}

inline std::error_code LastError()
{
    return Errno(errno);
}

// The little-endian number in the `n` (at most 8) bytes at `raw`, as xattrs of ntfs-3g hold them.
inline std::uint64_t LoadLe(const unsigned char* raw, std::size_t n)
{
    std::uint64_t v = 0;
    for (std::size_t i = n; i-- > 0;) v = v << 8 | raw[i];
    return v;
}

// A name as the system takes it: a folder descriptor (AT_FDCWD or one of its own,
// closed with the object) and a name relative to it, for the *at calls. Movable only.
class SystemName {
public:
    SystemName() = default;
    ~SystemName();
    SystemName(SystemName&& other) noexcept;
    SystemName& operator=(SystemName&& other) noexcept;
    SystemName(const SystemName&) = delete;
    SystemName& operator=(const SystemName&) = delete;

    int dir() const { return dir_; }
    const char* name() const { return name_.c_str(); }
    // True when the whole name fits one system call, so the by-name calls that have no
    // *at form (the extended attributes) may take it as it stands.
    bool direct() const { return owned_ == -1; }

private:
    friend std::error_code ToSystemName(const std::u16string&, SystemName&);
    int dir_ = AT_FDCWD;
    int owned_ = -1;
    std::string name_;
};

// The one place where names are converted for the system. A name holding a NUL is
// refused with EINVAL (the system would end it there and so address another entry);
// an empty name is ENOENT. A name longer than PATH_MAX is walked: the longest runs of
// whole components the system takes are opened one after the other with openat from
// the root (absolute names) or the current folder (relative ones), links inside the
// path followed as the system follows them; what fails on the way is the error.
std::error_code ToSystemName(const std::u16string& path, SystemName& out);

// fstatat on a SystemName. The kernel answers EIO once for a FUSE entry whose type
// changed behind its back (ntfs-3g: an empty file that gained or lost the system
// attribute turns FIFO or regular) and looks afresh on the next call, so EIO is tried
// once more.
std::error_code StatAt(const SystemName& name, struct stat& st, int flags);

// The path under /proc/self/fd of an open descriptor: extended-attribute calls on it
// reach the entry the descriptor holds, a link itself for an O_PATH|O_NOFOLLOW one.
std::string DescriptorPath(int fd);

// Whether a call on a name reaches a final link itself or what it leads to.
enum class FinalLink { Entry, Follow };

// The extended-attribute calls on a SystemName, however long: by name when the name is
// direct, else through an O_PATH descriptor's /proc entry. `got` is the size getxattr
// returns (with size 0, the size the value needs). GetXattrValue and ListXattr give the
// whole value or list (asking again when it grew in between); ListXattr's names each
// end in a zero byte. ENODATA for a missing attribute, ENOTSUP where the file system
// keeps none, or what the way to the entry fails with.
std::error_code GetXattr(const SystemName& name, FinalLink finalLink, const char* attr, void* buffer, std::size_t size,
                         std::size_t& got);
std::error_code GetXattrValue(const SystemName& name, FinalLink finalLink, const char* attr,
                              std::vector<std::uint8_t>& value);
std::error_code SetXattr(const SystemName& name, FinalLink finalLink, const char* attr, const void* value,
                         std::size_t size);
std::error_code RemoveXattr(const SystemName& name, FinalLink finalLink, const char* attr);
std::error_code ListXattr(const SystemName& name, FinalLink finalLink, std::vector<char>& names);

// GetXattr/SetXattr on the entry itself, never following a final link.
std::error_code GetEntryXattr(const SystemName& name, const char* attr, void* buffer, std::size_t size,
                              std::size_t& got);
std::error_code SetEntryXattr(const SystemName& name, const char* attr, const void* value, std::size_t size);

// The NTFS attribute word of an entry (no link followed) or of an open file.
// ENODATA/ENOTSUP when the file system has none.
std::error_code ReadAttributeWord(const SystemName& name, std::uint32_t& word);
std::error_code ReadAttributeWord(int fd, std::uint32_t& word);

// Whether the file `fd` holds (stat `st`; an O_PATH descriptor will do) carries the
// read-only attribute as Windows would see it: no write-permission bit at all, or the
// NTFS read-only bit. The same answer for every user: root may write such a file on
// Linux, but the library refuses it as Windows refuses every user.
bool HasReadOnlyAttribute(const struct stat& st, int fd);

// Reads up to `count` bytes at `offset` of `fd` (pread, again after EINTR and short reads):
// `got` is less than `count` only where the file ends; offsets past what off_t holds lie
// past the end of every file. On failure `got` tells how many bytes arrived before it.
std::error_code ReadAt(int fd, std::uint64_t offset, std::uint8_t* buffer, std::size_t count, std::size_t& got);

// A time stamp of statx as a file time; 0 for one before 1601.
inline std::uint64_t FileTimeOf(const struct statx_timestamp& t)
{
    return filetime::FromUnix(t.tv_sec, t.tv_nsec);
}

}  // namespace platform::posix
