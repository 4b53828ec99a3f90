// Directory searches in the layout of the Windows find calls.
// Backends: platform/posix (Linux, NTFS through ntfs-3g) and platform/win32.
// Paths are UTF-16 and reach the operating system in full Unicode. Every call that takes
// a path refuses one holding a NUL with EINVAL (the system would address another entry),
// and reaches entries whose full path is longer than the system takes in one call.
#pragma once

#include <cstdint>
#include <string>
#include <system_error>

namespace platform {

inline constexpr std::uint32_t kAttributeReparsePoint = 0x400;

// One entry as a directory search delivers it, in the Windows layout. Times are
// FILETIMEs (100 ns since 1601-01-01 UTC).
struct FindData {
    std::uint32_t attributes = 0;
    std::uint64_t creationTime = 0;
    std::uint64_t lastAccessTime = 0;
    std::uint64_t lastWriteTime = 0;
    std::uint64_t size = 0;           // the entry's own length (a link: its text; a folder: 0)
    // The room the entry's data takes on disk: allocated blocks x 512 (POSIX; 0 for a
    // folder); on Windows the compressed size of a compressed or sparse entry (its
    // length when the system cannot tell), and its length for any other.
    std::uint64_t allocatedSize = 0;
    std::u16string name;
    // What entering the entry would open (a link's target): compared along a search's
    // path to stop at loops. Zero when unknown.
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    // True when creationTime is not filled because it costs one more call per entry
    // (ntfs-3g keeps it in an extended attribute): QueryCreationTime gives it.
    bool creationTimeLater = false;
    // True when `attributes` holds only what the entry's type and mode tell (its
    // directory bit and read-only), because the rest costs one more call per entry:
    // QueryFindAttributes completes them. Never for a directory or a link.
    bool attributesLater = false;
    // True when the attributes are (or, with attributesLater, will be) the NTFS attribute
    // word: the entry is on an NTFS volume (POSIX).
    bool attributeWord = false;
};

// An open directory search. Closed by the destructor; movable, not copyable.
class FindHandle {
public:
    FindHandle();
    ~FindHandle();
    FindHandle(FindHandle&& other) noexcept;
    FindHandle& operator=(FindHandle&& other) noexcept;
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;

    // The device and inode of the directory searched (zero before a successful start).
    std::uint64_t Device() const;
    std::uint64_t Inode() const;

    struct State;

private:
    friend std::error_code FindFirstFile(const std::u16string&, FindHandle&, FindData&, const FindData*);
    friend std::error_code FindNextFile(FindHandle&, FindData&);
    State* state_;
};

// Starts a search for `pattern`, a folder and a last component that may hold wildcards
// (platform/posix/WildcardMask.h), and delivers the first match ("." and ".." included
// when they match; on POSIX with nothing but the directory bit, as they are not looked
// at). A last component without wildcards names one entry: it is looked up directly
// and, when absent under that spelling, found by a case-insensitive scan.
// Attributes: on NTFS the attribute word (for entries other than directories and links
// left for QueryFindAttributes); elsewhere directory, read-only (no write bit), hidden
// (a name starting with "."), normal otherwise, and a link carries the reparse bit with
// its target's directory bit. Creation time: the birth time, else the
// change time; on NTFS without a birth time it is left for QueryCreationTime. `folder`,
// when the caller has it, is what an earlier search delivered for the folder searched:
// then the kind of its file system need not be asked again (on ntfs-3g a round trip to
// the daemon per folder). ENOENT when nothing matches or the
// folder is missing; EACCES, ENOTDIR, ... as the system reports them.
std::error_code FindFirstFile(const std::u16string& pattern, FindHandle& handle, FindData& data,
                              const FindData* folder = nullptr);
// The next match; ENOENT when there is none left.
std::error_code FindNextFile(FindHandle& handle, FindData& data);

// The find data of the entry `path` names (the entry itself; a link as above), with
// complete attributes.
std::error_code QueryFindData(const std::u16string& path, FindData& data);

// Completes `attributes` of an entry delivered with attributesLater, as the search gave
// them, for the entry `path` names (itself, not followed). On failure (the entry is
// gone) they stay as they were.
std::error_code QueryFindAttributes(const std::u16string& path, std::uint32_t& attributes);

// The creation time of the entry itself as a FILETIME: the birth time, else ntfs-3g's
// system.ntfs_crtime, else the change time.
std::error_code QueryCreationTime(const std::u16string& path, std::uint64_t& fileTime);

// True for a root of the file-system tree ("/").
bool PathIsRoot(const std::u16string& path);

}  // namespace platform
