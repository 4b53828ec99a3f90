// Removing entries for good, and moving them into the trash.
// Backends: platform/posix (Linux, NTFS through ntfs-3g) and platform/win32.
// Paths are UTF-16 and reach the operating system in full Unicode. Every call that takes
// a path refuses one holding a NUL with EINVAL (the system would address another entry),
// and reaches entries whose full path is longer than the system takes in one call.
#pragma once

#include <string>
#include <system_error>

namespace platform {

// Removes a file, or a link itself (never its target).
std::error_code RemoveFile(const std::u16string& path);
// Removes an empty directory; a link (ntfs-3g shows a junction as one) is removed as a
// link, and its target stays.
std::error_code RemoveEmptyDirectory(const std::u16string& path);
// Removes the entry for good, a directory with all its content; a link, at the top or
// inside, is removed itself and never followed, and another file system mounted inside
// is not entered (its mount point fails with EBUSY). The first failure ends the work. A
// name whose last component is "." or ".." (EINVAL) or a root (EBUSY) is refused
// before anything is removed.
std::error_code RemoveTree(const std::u16string& path);
// Moves the entry itself (a link is not followed, a dangling one included) into the
// freedesktop.org trash: the user's trash folder ($XDG_DATA_HOME/Trash) for an entry on
// its file system, else the volume's $topdir/.Trash/<uid> or $topdir/.Trash-<uid>, made
// when missing. The .trashinfo record is made first and holds the original name's bytes
// escaped as in URLs (relative to $topdir in a volume's trash). Never copies: an entry
// that cannot be renamed into the trash stays where it is, with the system's error. A
// name whose last component is "." or ".." (EINVAL) or a root (EBUSY) is refused.
std::error_code MoveToTrash(const std::u16string& path);

}  // namespace platform
