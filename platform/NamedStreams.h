// Named streams of a file.
// Backends: platform/posix (Linux, NTFS through ntfs-3g) and platform/win32.
// Paths are UTF-16 and reach the operating system in full Unicode. Every call that takes
// a path refuses one holding a NUL with EINVAL (the system would address another entry),
// and reaches entries whose full path is longer than the system takes in one call.
#pragma once

#include <string>
#include <system_error>
#include <vector>

namespace platform {

// A named stream S of a file F is the extended attribute user.S of F on POSIX: that is
// how ntfs-3g (streams_interface=xattr) shows NTFS alternate data streams, and the same
// name works on ext4, btrfs and XFS. These calls follow a link to its target.

// The whole content of the stream; ENODATA when the file has no such stream, ENOTSUP
// where the file system keeps none. `out` is empty on failure.
std::error_code ReadStream(const std::u16string& path, const std::u16string& stream,
                           std::vector<std::uint8_t>& out);
// Creates the stream or replaces its whole content. A file with the read-only
// attribute (the NTFS attribute bit, or no write-permission bit at all) is refused with
// EACCES for every user, as OpenFile refuses its writers and as Windows refuses to open
// any stream of such a file for writing; the stream stays as it was.
std::error_code WriteStream(const std::u16string& path, const std::u16string& stream,
                            const std::vector<std::uint8_t>& bytes);
// Removes the stream; ENODATA when there is none. A read-only file is refused as by
// WriteStream.
std::error_code RemoveStream(const std::u16string& path, const std::u16string& stream);
// The names of the file's streams (without the "user." of their attribute), in the
// order the file system lists them.
std::error_code ListStreams(const std::u16string& path, std::vector<std::u16string>& names);

}  // namespace platform
