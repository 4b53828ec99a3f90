// POSIX backend of the directory search: readdir over one open directory and one statx
// per entry relative to its descriptor, so no path is rebuilt per entry (except for the
// NTFS attribute word, which Linux reads by name only).
#include "platform/platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <memory>

#include "common/Utf16.h"
#include "platform/posix/WildcardMask.h"
#include "platform/posix/posix_internal.h"

namespace platform {

using namespace posix;

namespace {

constexpr std::uint64_t kSecondsFrom1601To1970 = 11644473600ULL;
constexpr unsigned kStatxMask = STATX_BASIC_STATS | STATX_BTIME;


std::uint64_t FileTime(const struct statx_timestamp& t)
{
    if (t.tv_sec < -static_cast<std::int64_t>(kSecondsFrom1601To1970)) return 0;
    return (static_cast<std::uint64_t>(t.tv_sec + static_cast<std::int64_t>(kSecondsFrom1601To1970))) * 10000000ULL +
           t.tv_nsec / 100;
}

bool ReadLe(const std::string& native, const char* name, unsigned char* raw, std::size_t size, std::uint64_t& out)
{
    if (::lgetxattr(native.c_str(), name, raw, size) != static_cast<ssize_t>(size)) return false;
    out = 0;
    for (std::size_t i = 0; i < size; ++i) out |= static_cast<std::uint64_t>(raw[i]) << (8 * i);
    return true;
}

// Fills `data` from the entry's statx. `native` names the entry for ntfs-3g's attributes;
// `at`/`leaf` reach it (relative to an open directory) for the target of a link. Off
// NTFS a name starting with "." (`dotName`) makes the entry hidden.
void Fill(const struct statx& sx, int at, const char* leaf, const std::string& native, bool ntfs, bool dotName,
          FindData& data)
{
    data.size = sx.stx_size;
    data.allocatedSize = sx.stx_blocks * 512;
    data.lastAccessTime = FileTime(sx.stx_atime);
    data.lastWriteTime = FileTime(sx.stx_mtime);
    data.device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    data.inode = sx.stx_ino;
    const bool link = S_ISLNK(sx.stx_mode);

    std::uint64_t word = 0;
    unsigned char raw[4];
    const bool hasWord = ntfs && ReadLe(native, kAttribAttr, raw, 4, word);
    // ntfs-3g has no birth time in its stat, and reading system.ntfs_crtime for every
    // entry would cost a third round trip to the daemon: it is read when asked for.
    data.creationTimeLater = hasWord && !(sx.stx_mask & STATX_BTIME);
    data.creationTime = data.creationTimeLater     ? 0
                        : sx.stx_mask & STATX_BTIME ? FileTime(sx.stx_btime)
                                                    : FileTime(sx.stx_ctime);

    std::uint32_t attributes = static_cast<std::uint32_t>(word);
    if (link) {
        // What entering the entry opens is the link's target; a dangling link has none.
        struct stat target{};
        const bool reachable = ::fstatat(at, leaf, &target, 0) == 0;
        data.device = reachable ? target.st_dev : 0;
        data.inode = reachable ? target.st_ino : 0;
        if (!hasWord) attributes = kAttributeReparsePoint | (reachable && S_ISDIR(target.st_mode) ? kAttributeDirectory : 0);
    } else if (!hasWord) {
        if (S_ISDIR(sx.stx_mode)) attributes |= kAttributeDirectory;
    }
    if (!hasWord && dotName) attributes |= kAttributeHidden;
    // A link has no permissions of its own; its mode says nothing about read-only.
    if (!link && (sx.stx_mode & kAllWriteBits) == 0) attributes |= kAttributeReadOnly;
    if (attributes & ~kAttributeNormal) attributes &= ~kAttributeNormal;
    if (attributes == 0) attributes = kAttributeNormal;
    data.attributes = attributes;
}

}  // namespace

struct FindHandle::State {
    ~State()
    {
        if (dir != nullptr) ::closedir(dir);
    }

    DIR* dir = nullptr;
    std::string folder;  // native, with a trailing "/"
    WildcardMask mask;
    bool ntfs = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
};

FindHandle::FindHandle() : state_(nullptr) {}

FindHandle::~FindHandle()
{
    delete state_;
}

std::uint64_t FindHandle::Device() const
{
    return state_ ? state_->device : 0;
}

std::uint64_t FindHandle::Inode() const
{
    return state_ ? state_->inode : 0;
}

std::error_code FindFirstFile(const std::u16string& pattern, FindHandle& handle, FindData& data)
{
    handle = FindHandle();
    std::string checked;
    if (const std::error_code ec = ToNativeName(pattern, checked)) return ec;
    const std::size_t slash = pattern.rfind(u'/');
    const std::u16string leaf = slash == std::u16string::npos ? pattern : pattern.substr(slash + 1);
    std::string folder = slash == std::u16string::npos ? std::string("./") : ToNativePath(pattern.substr(0, slash + 1));
    if (leaf.empty()) return Errno(ENOENT);

    auto state = std::make_unique<FindHandle::State>();
    state->mask = WildcardMask(leaf);
    if (state->mask.IsLiteral()) {
        // One entry named: looked up directly, which needs no read access to the folder.
        if (!QueryFindData(pattern, data)) {
            struct stat st{};
            if (::stat(folder.c_str(), &st) == 0) {
                state->device = st.st_dev;
                state->inode = st.st_ino;
            }
            data.name = leaf;
            handle.state_ = state.release();
            return {};
        }
    }

    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return Errno(errno);
    struct stat st{};
    if (::fstat(fd, &st) != 0 || (state->dir = ::fdopendir(fd)) == nullptr) {
        const int e = errno;
        ::close(fd);
        return Errno(e);
    }
    state->device = st.st_dev;
    state->inode = st.st_ino;
    unsigned char word[4];
    state->ntfs = ::fgetxattr(fd, kAttribAttr, word, sizeof word) == static_cast<ssize_t>(sizeof word);
    state->folder = std::move(folder);
    handle.state_ = state.release();
    return FindNextFile(handle, data);
}

std::error_code FindNextFile(FindHandle& handle, FindData& data)
{
    FindHandle::State* st = handle.state_;
    if (st == nullptr || st->dir == nullptr) return Errno(ENOENT);
    const int fd = ::dirfd(st->dir);
    for (;;) {
        errno = 0;
        const struct dirent* e = ::readdir(st->dir);
        if (e == nullptr) return Errno(errno != 0 ? errno : ENOENT);
        std::u16string name = FromNativePath(e->d_name);
        if (!st->mask.Matches(name)) continue;
        struct statx sx{};
        if (::statx(fd, e->d_name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, kStatxMask, &sx) != 0) {
            if (errno == ENOENT) continue;  // removed since the folder was read
            // Named but not to be looked at: delivered with what the folder tells.
            data = FindData();
            data.attributes = e->d_type == DT_DIR ? kAttributeDirectory : kAttributeNormal;
            data.name = std::move(name);
            return {};
        }
        const std::string native = st->ntfs ? st->folder + e->d_name : std::string();
        Fill(sx, fd, e->d_name, native, st->ntfs, e->d_name[0] == '.', data);
        data.name = std::move(name);
        return {};
    }
}

std::error_code QueryFindData(const std::u16string& path, FindData& data)
{
    std::string native;
    if (const std::error_code ec = ToNativeName(path, native)) return ec;
    struct statx sx{};
    if (::statx(AT_FDCWD, native.c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, kStatxMask, &sx) != 0)
        return Errno(errno);
    unsigned char word[4];
    const bool ntfs = ::lgetxattr(native.c_str(), kAttribAttr, word, sizeof word) == static_cast<ssize_t>(sizeof word);
    const std::size_t slash = path.find_last_not_of(u'/') == std::u16string::npos ? std::u16string::npos
                                                                                : path.rfind(u'/');
    data = FindData();
    data.name = slash == std::u16string::npos ? path : path.substr(slash + 1);
    Fill(sx, AT_FDCWD, native.c_str(), native, ntfs, !data.name.empty() && data.name[0] == u'.', data);
    return {};
}

std::error_code QueryCreationTime(const std::u16string& path, std::uint64_t& fileTime)
{
    std::string native;
    if (const std::error_code ec = ToNativeName(path, native)) return ec;
    struct statx sx{};
    if (::statx(AT_FDCWD, native.c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_BTIME | STATX_CTIME, &sx) != 0)
        return Errno(errno);
    unsigned char raw[8];
    if (sx.stx_mask & STATX_BTIME)
        fileTime = FileTime(sx.stx_btime);
    else if (!ReadLe(native, kCrtimeAttr, raw, 8, fileTime))
        fileTime = FileTime(sx.stx_ctime);
    return {};
}

bool PathIsRoot(const std::u16string& path)
{
    return !path.empty() && path.find_first_not_of(u'/') == std::u16string::npos;
}

std::int64_t CurrentUtcBias()
{
    const std::time_t now = std::time(nullptr);
    struct tm local{};
    if (::localtime_r(&now, &local) == nullptr) return 0;
    return local.tm_gmtoff;
}

}  // namespace platform
