// The platform layer: every operating-system call the system makes goes through here.
// Backends: platform/posix (Linux, NTFS through ntfs-3g) and platform/win32.
// Paths are UTF-16 and reach the operating system in full Unicode. Every call that takes
// a path refuses one holding a NUL with EINVAL (the system would address another entry),
// and reaches entries whose full path is longer than the system takes in one call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace platform {

// ---- Entries and the reparse-point reader ---------------------------------------

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

// ---- Files ----------------------------------------------------------------------

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

// ---- Whole-file updates by several processes ---------------------------------------

// A lock that makes the read-modify-write cycles of cooperating processes on the files
// of one folder take turns. Advisory: it keeps out only those who take it too (every
// user of this library). Released by the destructor; movable, not copyable.
class FolderLock {
public:
    FolderLock() = default;
    ~FolderLock();
    FolderLock(FolderLock&& other) noexcept;
    FolderLock& operator=(FolderLock&& other) noexcept;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    bool isHeld() const { return native_ != -1; }
    void release();

private:
    friend std::error_code LockFolder(const std::u16string&, FolderLock&);
    std::intptr_t native_ = -1;
};

// Waits until no other holder has the lock of the folder `folder` and takes it. POSIX:
// flock on the open folder (a lock of the kernel's, so also on FUSE volumes, where it
// holds between the processes of this machine). Windows: a named mutex of the session
// named after the folder's volume serial number and file index, so that every
// spelling of the folder's path meets the same lock. A file system that keeps no locks
// (ENOLCK, EOPNOTSUPP, or EBADF for NFS, which takes no lock on a folder) gives success
// and a lock that is not held: there is nothing to take turns with. Fails with the
// system's error (ENOENT, ENOTDIR, EACCES for a folder that may not be read) when the
// folder cannot be opened; `lock` is not held then.
std::error_code LockFolder(const std::u16string& folder, FolderLock& lock);

// Replaces the whole content of the file `path` with `bytes` so that nobody ever sees
// part of either: the bytes go to a new file in the same folder, which then takes the
// old file's place in one rename (MoveFileExW on Windows). The new file keeps what the
// old one had: its attributes (hidden, system, read-only, archive; on ntfs-3g the NTFS
// attribute word), its permission bits and, where the caller may give it, its owner;
// `addAttributes` (hidden, ...) are set on top where the file system keeps such bits.
// A missing file is created (POSIX: mode 0666 less the umask). An old entry that is no
// regular file (a link, a FIFO, a folder) is refused with ENXIO and stays. On failure
// the old file is unchanged and nothing is left behind.
std::error_code ReplaceFileContent(const std::u16string& path, std::span<const std::uint8_t> bytes,
                                   std::uint32_t addAttributes);

// ---- Named streams, compression, file times, removal ------------------------------

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

// ---- System errors --------------------------------------------------------------

// What a system error number of this backend (errno on POSIX, GetLastError on Windows;
// the value of the error codes above) means for the library's run-time error numbers.
// NoSuchEntry: the entry is missing (POSIX cannot tell whether its folder is);
// NoSuchFolder: a folder of the path is missing or is no folder; BadName: the name
// cannot name an entry at all (a NUL in it, characters the system refuses).
enum class ErrorKind { NoSuchEntry, NoSuchFolder, BadName, Busy, DiskFull, DeviceIO, Other };
ErrorKind ClassifyError(int systemError);

// The system's own error for an argument it does not take: EINVAL on POSIX,
// ERROR_INVALID_PARAMETER on Windows. Raw system codes (lpErrorCode) are this backend's.
std::error_code InvalidArgumentError();

// The program's command line in full Unicode, the program name first. POSIX: `argv` as
// the system's bytes (FromNativePath). Windows: the wide command line; `argv` there
// holds the ANSI form, which loses characters outside the code page, and is not used.
std::vector<std::u16string> ProgramArguments(int argc, const char* const* argv);

// Shows `text` in the console window that standard output is, when it is one (Windows:
// WriteConsoleW, so every character shows whatever the console's code page). False
// when standard output is no console window (a file, a pipe; always on POSIX) or the
// console refuses the text: the caller then writes the bytes itself.
bool WriteConsoleText(std::u16string_view text);

// ---- Process --------------------------------------------------------------------

// The current working folder, or "" when it cannot be had.
std::u16string CurrentDirectory();

// The name of the user's locale for character handling ("ru_RU.UTF-8", "C"): on POSIX
// the first set of LC_ALL, LC_CTYPE and LANG, "C" when none is. Never fails.
std::string UserLocaleName();

// The user's interface language as a Windows language identifier (0x0407 German
// (Germany)), the language in which the Windows resource functions look for a resource
// first. Windows: GetUserDefaultUILanguage. POSIX: the first set of LANGUAGE (its first
// entry; only when the messages locale is not "C"), LC_ALL, LC_MESSAGES and LANG, as
// gettext picks the language of messages, mapped through ICU ("de_AT.UTF-8" 0x0C07, "de"
// its likeliest country's 0x0407); English (United States) 0x0409 for "C", "POSIX", none
// set, or a name that maps to no identifier. Never fails.
std::uint16_t UserInterfaceLanguage();

// ---- Streams of an entry (the backup interface's stream sequence) ---------------

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

// ---- Directory search -------------------------------------------------------------

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

// The local time's offset from UTC now, in seconds (east positive).
std::int64_t CurrentUtcBias();

// ---- Memory ---------------------------------------------------------------------

// A hint that the `bytes` bytes at `memory`, freshly allocated and not yet written, are
// about to be written from the front, most of them or all. A large range is backed by
// large pages where the system offers them on request (Linux: transparent huge pages),
// so that filling it takes one page fault every 2 MiB instead of one every 4 KiB. Never
// fails and never changes the content; a small range, or a system without the hint, is
// left as it is.
void PrepareLargeFill(void* memory, std::size_t bytes);

}  // namespace platform
