// Entries as the system sees them, and the reader of their reparse points.
// Backends: platform/posix (Linux, NTFS through ntfs-3g) and platform/win32.
// Paths are UTF-16 and reach the operating system in full Unicode. Every call that takes
// a path refuses one holding a NUL with EINVAL (the system would address another entry),
// and reaches entries whose full path is longer than the system takes in one call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>
#include <vector>

namespace platform {

struct EntryInfo {
    bool isDirectory = false;
    bool isSymlink = false;  // ntfs-3g shows reparse points as symbolic links
};

// Looks at the entry itself, never following a link (lstat). Returns no error and fills
// `info` when the entry exists; ENOENT, ENOTDIR, ENAMETOOLONG (a name part too long)
// or ELOOP (links in a circle on the way) when no such entry can exist; EACCES when a
// folder on the way may not be searched. `info` is valid only on success.
std::error_code QueryEntry(const std::u16string& path, EntryInfo& info);

enum class ReparseState { No, Yes, Unknown };

// Whether the entry carries a reparse point, without following it: the reparse bit
// (0x400) of the NTFS attribute word, or the presence of the raw reparse data. A file
// system without NTFS attributes answers No; an error that hides the answer (no search
// permission on a folder of the path, ...) answers Unknown.
ReparseState QueryReparsePoint(const std::u16string& path);

// An entry opened for reading its reparse data without following the reparse point.
// Closed by the destructor; movable, not copyable.
class ReparseHandle {
public:
    ReparseHandle() = default;
    ~ReparseHandle();
    ReparseHandle(ReparseHandle&& other) noexcept;
    ReparseHandle& operator=(ReparseHandle&& other) noexcept;
    ReparseHandle(const ReparseHandle&) = delete;
    ReparseHandle& operator=(const ReparseHandle&) = delete;

    bool isOpen() const { return native_ != -1; }
    void close();

private:
    friend std::error_code OpenReparsePoint(const std::u16string&, ReparseHandle&);
    friend std::error_code ReadReparseData(const ReparseHandle&, std::size_t, std::vector<std::uint8_t>&);
    std::intptr_t native_ = -1;
    std::string nativePath_;
};

// Opens the entry itself (backup semantics and open-reparse-point on Windows; an
// O_PATH|O_NOFOLLOW descriptor on POSIX). On failure the handle stays closed.
std::error_code OpenReparsePoint(const std::u16string& path, ReparseHandle& handle);

// Reads the raw reparse buffer of the entry the handle holds, even when its name has
// since been given to another entry (POSIX: through the descriptor's /proc/self/fd
// entry; only where /proc is not mounted by the name it was opened under, without
// following it). `capacity` bytes at most; `out` holds exactly the bytes returned. On
// failure `out` is empty.
std::error_code ReadReparseData(const ReparseHandle& handle, std::size_t capacity,
                                std::vector<std::uint8_t>& out);

}  // namespace platform
