// POSIX backend of the directory search: getdents64 over one open directory and one statx
// per entry relative to its descriptor, so no path is rebuilt per entry (except for the
// NTFS attribute word of a folder or link, which Linux reads by name only).
#include "platform/FileMetadata.h"
#include "platform/Files.h"
#include "platform/Search.h"

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

constexpr unsigned kStatxMask = STATX_BASIC_STATS | STATX_BTIME;


bool ReadLe(const char* path, const char* name, unsigned char* raw, std::size_t size, std::uint64_t& out)
{
    if (::lgetxattr(path, name, raw, size) != static_cast<ssize_t>(size)) return false;
    out = LoadLe(raw, size);
    return true;
}

// Attributes from the mode where there is no attribute word (or none yet): directory,
// read-only (no write bit; a link has no permissions of its own) and normal.
std::uint32_t Normalised(std::uint32_t attributes)
{
    if (attributes & ~kAttributeNormal) attributes &= ~kAttributeNormal;
    return attributes == 0 ? kAttributeNormal : attributes;
}

// Fills `data` from the entry's statx; `at`/`leaf` reach the entry (relative to an open
// folder) for the target of a link. On NTFS (`ntfs`) `word` is the entry's attribute
// word, or null when it is left for QueryFindAttributes. Off NTFS a name starting with
// "." (`dotName`) makes the entry hidden.
void Fill(const struct statx& sx, int at, const char* leaf, bool ntfs, const std::uint32_t* word, bool dotName,
          FindData& data)
{
    // A directory has no data of its own, as in Windows' find data.
    const bool directory = S_ISDIR(sx.stx_mode);
    data.size = directory ? 0 : sx.stx_size;
    data.allocatedSize = directory ? 0 : sx.stx_blocks * 512;
    data.lastAccessTime = FileTimeOf(sx.stx_atime);
    data.lastWriteTime = FileTimeOf(sx.stx_mtime);
    data.device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    data.inode = sx.stx_ino;
    const bool link = S_ISLNK(sx.stx_mode);

    // ntfs-3g has no birth time in its stat, and reading system.ntfs_crtime for every
    // entry would cost one more round trip to the daemon: it is read when asked for.
    data.creationTimeLater = ntfs && !(sx.stx_mask & STATX_BTIME);
    data.creationTime = data.creationTimeLater     ? 0
                        : sx.stx_mask & STATX_BTIME ? FileTimeOf(sx.stx_btime)
                                                    : FileTimeOf(sx.stx_ctime);
    data.attributesLater = ntfs && word == nullptr;
    data.attributeWord = word != nullptr || data.attributesLater;

    std::uint32_t attributes = word != nullptr ? *word : 0;
    if (link) {
        // What entering the entry opens is the link's target; a dangling link has none.
        struct stat target{};
        const bool reachable = ::fstatat(at, leaf, &target, 0) == 0;
        data.device = reachable ? target.st_dev : 0;
        data.inode = reachable ? target.st_ino : 0;
        if (word == nullptr)
            attributes = kAttributeReparsePoint | (reachable && S_ISDIR(target.st_mode) ? kAttributeDirectory : 0);
    } else if (word == nullptr && directory) {
        attributes |= kAttributeDirectory;
    }
    if (!ntfs && dotName) attributes |= kAttributeHidden;
    // A link has no permissions of its own; its mode says nothing about read-only.
    if (!link && (sx.stx_mode & kAllWriteBits) == 0) attributes |= kAttributeReadOnly;
    data.attributes = Normalised(attributes);
}

// The entries of an open folder, read with getdents64 straight into a buffer: opendir
// would look at the folder twice more (fstat, fcntl) for nothing the search needs.
class FolderReader {
public:
    explicit FolderReader(int fd) : fd_(fd) {}
    ~FolderReader() { ::close(fd_); }
    FolderReader(const FolderReader&) = delete;
    FolderReader& operator=(const FolderReader&) = delete;

    int fd() const { return fd_; }

    // The next entry, or null at the end (errno 0) or on a failure (errno set).
    const struct dirent64* Next()
    {
        if (at_ >= filled_) {
            errno = 0;
            const ssize_t n = ::getdents64(fd_, buffer_, sizeof buffer_);
            if (n <= 0) return nullptr;
            filled_ = static_cast<std::size_t>(n);
            at_ = 0;
        }
        const auto* entry = reinterpret_cast<const struct dirent64*>(buffer_ + at_);
        at_ += entry->d_reclen;
        return entry;
    }

private:
    int fd_;
    std::size_t at_ = 0;
    std::size_t filled_ = 0;
    alignas(struct dirent64) char buffer_[32768];
};

}  // namespace

struct FindHandle::State {
    std::unique_ptr<FolderReader> dir;
    std::string folder;  // a by-name path of the folder, with a trailing "/"
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

std::error_code FindFirstFile(const std::u16string& pattern, FindHandle& handle, FindData& data,
                              const FindData* folderData)
{
    handle = FindHandle();
    if (pattern.find(u'\0') != std::u16string::npos) return Errno(EINVAL);
    const std::size_t slash = pattern.rfind(u'/');
    const std::u16string leaf = slash == std::u16string::npos ? pattern : pattern.substr(slash + 1);
    const std::u16string folder = slash == std::u16string::npos ? std::u16string(u"./") : pattern.substr(0, slash + 1);
    if (leaf.empty()) return Errno(ENOENT);
    SystemName folderName;
    if (const std::error_code ec = ToSystemName(folder, folderName)) return ec;

    auto state = std::make_unique<FindHandle::State>();
    state->mask = WildcardMask(leaf);
    // One entry named: looked up directly, which needs no read access to the folder.
    if (state->mask.IsLiteral() && !QueryFindData(pattern, data)) {
        struct stat st{};
        if (!StatAt(folderName, st, 0)) {
            state->device = st.st_dev;
            state->inode = st.st_ino;
        }
        data.name = leaf;
        handle.state_ = state.release();
        return {};
    }

    const int fd = ::openat(folderName.dir(), folderName.name(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return Errno(errno);
    state->dir = std::make_unique<FolderReader>(fd);
    // The folder's own entry, found a moment ago, tells what it is, unless it is a link
    // (which may lead elsewhere): else it is asked.
    if (folderData != nullptr && !(folderData->attributes & kAttributeReparsePoint) && folderData->inode != 0) {
        state->device = folderData->device;
        state->inode = folderData->inode;
        state->ntfs = folderData->attributeWord;
    } else {
        struct stat st{};
        if (::fstat(fd, &st) != 0) return Errno(errno);
        state->device = st.st_dev;
        state->inode = st.st_ino;
        unsigned char word[4];
        state->ntfs = ::fgetxattr(fd, kAttribAttr, word, sizeof word) == static_cast<ssize_t>(sizeof word);
    }
    // The entries' attribute words are read by name (Linux has no *at form): through the
    // folder's name when it fits one call, else through its descriptor's /proc entry.
    state->folder = folderName.direct() ? ToNativePath(folder) : DescriptorPath(fd) + "/";
    handle.state_ = state.release();
    return FindNextFile(handle, data);
}

std::error_code FindNextFile(FindHandle& handle, FindData& data)
{
    FindHandle::State* st = handle.state_;
    if (st == nullptr || st->dir == nullptr) return Errno(ENOENT);
    const int fd = st->dir->fd();
    for (;;) {
        const struct dirent64* e = st->dir->Next();
        if (e == nullptr) return Errno(errno != 0 ? errno : ENOENT);
        std::u16string name = FromNativePath(e->d_name);
        if (!st->mask.Matches(name)) continue;
        if (name == u"." || name == u"..") {
            // Every search drops them: not looked at (on ntfs-3g each look is a round
            // trip to the daemon).
            data = FindData();
            data.attributes = kAttributeDirectory;
            data.name = std::move(name);
            return {};
        }
        struct statx sx{};
        if (::statx(fd, e->d_name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, kStatxMask, &sx) != 0) {
            if (errno == ENOENT) continue;  // removed since the folder was read
            // Named but not to be looked at: delivered with what the folder tells.
            data = FindData();
            data.attributes = e->d_type == DT_DIR ? kAttributeDirectory : kAttributeNormal;
            data.name = std::move(name);
            return {};
        }
        // On NTFS the attribute word of a folder or a link decides whether a search
        // enters it, so it is read now. For other entries it tells only what a caller
        // may never ask, at the cost of one round trip to ntfs-3g each: it waits.
        std::uint64_t word = 0;
        unsigned char raw[4];
        const bool wordNow = st->ntfs && (S_ISDIR(sx.stx_mode) || S_ISLNK(sx.stx_mode)) &&
                             ReadLe((st->folder + e->d_name).c_str(), kAttribAttr, raw, sizeof raw, word);
        const auto word32 = static_cast<std::uint32_t>(word);
        Fill(sx, fd, e->d_name, st->ntfs, wordNow ? &word32 : nullptr, e->d_name[0] == '.', data);
        data.name = std::move(name);
        return {};
    }
}

std::error_code QueryFindData(const std::u16string& path, FindData& data)
{
    SystemName name;
    if (const std::error_code ec = ToSystemName(path, name)) return ec;
    struct statx sx{};
    if (::statx(name.dir(), name.name(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, kStatxMask, &sx) != 0)
        return Errno(errno);
    std::uint32_t word = 0;
    const bool ntfs = !ReadAttributeWord(name, word);
    const std::size_t slash = path.find_last_not_of(u'/') == std::u16string::npos ? std::u16string::npos
                                                                                : path.rfind(u'/');
    data = FindData();
    data.name = slash == std::u16string::npos ? path : path.substr(slash + 1);
    Fill(sx, name.dir(), name.name(), ntfs, ntfs ? &word : nullptr, !data.name.empty() && data.name[0] == u'.', data);
    return {};
}

std::error_code QueryFindAttributes(const std::u16string& path, std::uint32_t& attributes)
{
    SystemName name;
    if (const std::error_code ec = ToSystemName(path, name)) return ec;
    std::uint32_t word = 0;
    if (const std::error_code ec = ReadAttributeWord(name, word)) return ec;
    attributes = Normalised(word | (attributes & kAttributeReadOnly));
    return {};
}

std::error_code QueryCreationTime(const std::u16string& path, std::uint64_t& fileTime)
{
    SystemName name;
    if (const std::error_code ec = ToSystemName(path, name)) return ec;
    struct statx sx{};
    if (::statx(name.dir(), name.name(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_BTIME | STATX_CTIME, &sx) != 0)
        return Errno(errno);
    unsigned char raw[8];
    std::size_t got = 0;
    if (sx.stx_mask & STATX_BTIME)
        fileTime = FileTimeOf(sx.stx_btime);
    else if (!GetEntryXattr(name, kCrtimeAttr, raw, sizeof raw, got) && got == sizeof raw)
        fileTime = LoadLe(raw, sizeof raw);
    else
        fileTime = FileTimeOf(sx.stx_ctime);
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
