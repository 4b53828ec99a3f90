// The streams of an entry as the Windows backup interface delivers them.
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

// The streams of one entry as the Windows backup interface delivers them: each stream
// is a 20-byte header (identifier, attributes, 64-bit size, name size; little-endian)
// with its UTF-16LE name, followed by its data. On an ntfs-3g volume the sequence is the
// unnamed data (1; none for a directory), the extended attributes (2, system.ntfs_ea),
// the security descriptor (3, system.ntfs_acl; only when asked for), each named stream
// (4, ":name:$DATA" from each user.* attribute), the object identifier (7,
// system.ntfs_object_id) and the reparse data (8, system.ntfs_reparse_data), each when
// present. Elsewhere: the unnamed data and the user.* attributes as named streams.
// Links are never followed. Movable, not copyable.
class BackupReader {
public:
    BackupReader();
    ~BackupReader();
    BackupReader(BackupReader&& other) noexcept;
    BackupReader& operator=(BackupReader&& other) noexcept;
    BackupReader(const BackupReader&) = delete;
    BackupReader& operator=(const BackupReader&) = delete;

    // Reads up to `count` bytes of the sequence; `got` is less only at its end.
    std::error_code Read(std::uint8_t* buffer, std::size_t count, std::size_t& got);
    // Skips up to `count` bytes of the current stream's data, never past its end.
    std::uint64_t Seek(std::uint64_t count);

    struct State;

private:
    friend std::error_code OpenBackupReader(const std::u16string&, bool, BackupReader&);
    State* state_;
};

// Collects the stream list of `path` (the entry itself, links not followed).
// ENOENT/ENOTDIR for a missing entry, EACCES, ...; on failure `reader` delivers nothing.
std::error_code OpenBackupReader(const std::u16string& path, bool processSecurity, BackupReader& reader);

}  // namespace platform
