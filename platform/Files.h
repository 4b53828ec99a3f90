// Files: opening, reading and writing, attributes, and what an open would reach.
// Backends: platform/posix (Linux, NTFS through ntfs-3g) and platform/win32.
// Paths are UTF-16 and reach the operating system in full Unicode. Every call that takes
// a path refuses one holding a NUL with EINVAL (the system would address another entry),
// and reaches entries whose full path is longer than the system takes in one call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>

namespace platform {

// Attribute bits in the Windows layout, as the library reports and sets them.
inline constexpr std::uint32_t kAttributeReadOnly = 0x1;
inline constexpr std::uint32_t kAttributeHidden = 0x2;
inline constexpr std::uint32_t kAttributeSystem = 0x4;
inline constexpr std::uint32_t kAttributeDirectory = 0x10;
inline constexpr std::uint32_t kAttributeArchive = 0x20;
inline constexpr std::uint32_t kAttributeNormal = 0x80;

// How OpenFile opens. Every write mode opens for writing only.
enum class FileOpenMode {
    Read,              // an existing file, for reading
    CreateTruncate,    // created when missing, else cut to length 0
    OpenOrCreate,      // created when missing; writing starts at byte 0, nothing is cut
    Append,            // created when missing; every write goes after the last byte
    TruncateExisting,  // an existing file only, cut to length 0 in place (same identity);
                       // refused with EBUSY while the system can tell that the file is
                       // open elsewhere
};

// An open file. Closed by the destructor (errors ignored) or by Close (errors
// reported); movable, not copyable.
class File {
public:
    File() = default;
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool isOpen() const { return native_ != -1; }
    // Closes the file and reports what the system reports then (a delayed write error
    // of a network or FUSE file system). The file is closed afterwards in any case.
    std::error_code Close();

private:
    friend std::error_code OpenFile(const std::u16string&, FileOpenMode, File&);
    friend std::error_code FileSize(const File&, std::uint64_t&);
    friend std::error_code ReadFile(const File&, std::uint8_t*, std::size_t, std::size_t&);
    friend std::error_code ReadFileAt(const File&, std::uint64_t, std::uint8_t*, std::size_t, std::size_t&);
    friend std::error_code WriteFile(const File&, const std::uint8_t*, std::size_t);
    std::intptr_t native_ = -1;
};

// Opens `path` as `mode` says; the file follows links. Never waits: Read takes a regular
// file or a FIFO, the write modes only a regular file (anything else is ENXIO). A file
// found with the read-only attribute (the NTFS attribute bit, or no write-permission bit
// at all) is refused to the write modes with EACCES, for every user, and nothing is cut
// before that check. On failure `file` stays closed and the error is the system's
// (ENOENT for a missing file or folder, EACCES, EISDIR, ENOSPC, ...).
std::error_code OpenFile(const std::u16string& path, FileOpenMode mode, File& file);

// The length of the open file in bytes.
std::error_code FileSize(const File& file, std::uint64_t& size);

// Reads up to `count` bytes into `buffer` from the current position, as many as there
// are: `got` is less than `count` only at the end of the file. The end is where the
// reads end, not the size FileSize told: /proc and sysfs files say 0 and hold more. A
// FIFO ends where it holds nothing more for now: a reader never waits for a writer. On failure `got` tells
// how many bytes arrived before it.
std::error_code ReadFile(const File& file, std::uint8_t* buffer, std::size_t count, std::size_t& got);

// Reads up to `count` bytes into `buffer` from byte `offset` of the file (pread): `got`
// is less than `count` only where the file ends. Where ReadFile reads next afterwards is
// not to be relied on (POSIX leaves the position, Windows moves it). Reading at or past the end gives `got` 0 and no error. For regular files only (a
// FIFO has no offsets: ESPIPE). On failure `got` tells how many bytes arrived before it.
std::error_code ReadFileAt(const File& file, std::uint64_t offset, std::uint8_t* buffer, std::size_t count,
                           std::size_t& got);

// Writes all `count` bytes at the current position (after the last byte for Append).
// On failure some of them may have been written.
std::error_code WriteFile(const File& file, const std::uint8_t* bytes, std::size_t count);

// The attributes of the entry itself (a link is not followed), in the Windows layout:
// on an NTFS volume (ntfs-3g) the NTFS attribute word; elsewhere directory or normal.
// Read-only is added when the entry has no write-permission bit. `attributes` is valid
// only on success.
std::error_code GetFileAttributes(const std::u16string& path, std::uint32_t& attributes);

// Sets the attributes of the entry itself: on an NTFS volume the settable bits of the
// attribute word (read-only, hidden, system, archive, temporary, offline, not indexed);
// a change of read-only also changes the write-permission bits (cleared all, or the
// owner's added). Bits that do not change are not written. After the call the entry is
// seen with the type the change gives it (ntfs-3g: an empty system file is a FIFO). Hidden or system asked for
// where the file system has no such bits fails with ENOTSUP.
std::error_code SetFileAttributes(const std::u16string& path, std::uint32_t attributes);

// The length in bytes of the file that `path` names (links followed).
std::error_code QueryFileSize(const std::u16string& path, std::uint64_t& size);

// The kind of entry an open reaches.
enum class EntryType { Other, Regular, Directory, Fifo, Socket, CharacterDevice, BlockDevice };

// What an open of `path` would reach, links followed: whether it exists, its type,
// whether it is a directory, and may be read and written by this process (the effective
// user's permissions); and whether it carries the read-only attribute, the same for
// every user (root included): the NTFS read-only bit, or no write-permission bit at all
// (the rule by which OpenFile refuses the write modes). All false when it cannot be
// reached (a link whose target is missing).
struct TargetInfo {
    bool exists = false;
    EntryType type = EntryType::Other;
    bool isDirectory = false;
    bool readable = false;
    bool writable = false;
    bool readOnly = false;
};
TargetInfo QueryTarget(const std::u16string& path);

}  // namespace platform
