// The platform layer: every operating-system call the system makes goes through here.
// Backends: platform/posix (Linux, NTFS through ntfs-3g) and platform/win32.
// Paths are UTF-16 and reach the operating system in full Unicode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>
#include <vector>

namespace platform {

// ---- Entries and the reparse-point reader ---------------------------------------

struct EntryInfo {
    bool isDirectory = false;
    bool isSymlink = false;  // ntfs-3g shows reparse points as symbolic links
};

// Looks at the entry itself, never following a link (lstat). Returns no error and fills
// `info` when the entry exists; ENOENT/ENOTDIR when it does not; any other error
// (EACCES, ...) when existence cannot be told. `info` is valid only on success.
std::error_code QueryEntry(const std::u16string& path, EntryInfo& info);

enum class ReparseState { No, Yes, Unknown };

// Whether the entry carries a reparse point, without following it: the reparse bit
// (0x400) of the NTFS attribute word, or the presence of the raw reparse data. A file
// system without NTFS attributes answers No; an error that hides the answer (no search
// permission on a folder of the path, ...) answers Unknown.
ReparseState QueryReparsePoint(const std::u16string& path);

// True where this backend can read raw reparse data at all.
bool CanReadReparseData();

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

// Reads the raw reparse buffer into `out` using a buffer of `capacity` bytes; `out`
// holds exactly the bytes returned. On failure `out` is empty.
std::error_code ReadReparseData(const ReparseHandle& handle, std::size_t capacity,
                                std::vector<std::uint8_t>& out);

// ---- Process --------------------------------------------------------------------

// The current working folder, or "" when it cannot be had.
std::u16string CurrentDirectory();

}  // namespace platform
