// POSIX backend of removal: entries and whole trees removed for good, and moves into the
// freedesktop.org trash (Trash specification 1.0), on names of any length and with the
// names' bytes as the file system holds them.
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "common/Utf16.h"
#include "platform/Process.h"
#include "platform/Removal.h"
#include "platform/posix/posix_internal.h"

namespace platform {

using namespace posix;

namespace {

// A descriptor closed with its object.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(Descriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Descriptor& operator=(Descriptor&& other) noexcept
    {
        if (this != &other) {
            if (fd_ >= 0) ::close(fd_);
            fd_ = other.fd_;
            other.fd_ = -1;
        }
        return *this;
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }
    int release()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

// A name split into the folder that holds the entry and the entry's own name.
struct Parts {
    std::u16string parent;
    std::u16string leaf;
};

// Splits `path` at its last separator. A name whose last component is "." or ".." means
// a folder other than the one it seems to name, and the root has no folder to be moved
// or removed from: refused before anything changes (EINVAL, EBUSY as rmdir says).
std::error_code Split(const std::u16string& path, Parts& parts)
{
    const std::size_t end = path.find_last_not_of(u'/');
    if (end == std::u16string::npos) return Errno(path.empty() ? ENOENT : EBUSY);
    const std::size_t slash = path.rfind(u'/', end);
    const std::size_t begin = slash == std::u16string::npos ? 0 : slash + 1;
    parts.leaf = path.substr(begin, end + 1 - begin);
    if (parts.leaf == u"." || parts.leaf == u"..") return Errno(EINVAL);
    if (slash == std::u16string::npos)
        parts.parent = std::u16string(u".");
    else if (path.find_last_not_of(u'/', slash) == std::u16string::npos)
        parts.parent = std::u16string(u"/");
    else
        parts.parent = path.substr(0, slash);
    return {};
}

// Opens what `path` names (links followed) as a folder for the *at calls.
std::error_code OpenFolder(const std::u16string& path, Descriptor& out)
{
    SystemName name;
    if (const std::error_code ec = ToSystemName(path, name)) return ec;
    out = Descriptor(::openat(name.dir(), name.name(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    return out.ok() ? std::error_code() : LastError();
}

// Removes everything inside the open folder `fd` (which this call closes); a link is
// removed itself, and a folder on another file system (a mount point) is not entered:
// its removal fails with EBUSY. The first failure ends the work.
std::error_code RemoveContent(int fd, dev_t device)
{
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        const int e = errno;
        ::close(fd);
        return Errno(e);
    }
    // All names first: a folder read while it changes may skip or repeat names.
    std::vector<std::string> names;
    std::error_code ec;
    for (;;) {
        errno = 0;
        const struct dirent* e = ::readdir(dir);
        if (e == nullptr) {
            if (errno != 0) ec = LastError();
            break;
        }
        const std::string_view n(e->d_name);
        if (n != "." && n != "..") names.emplace_back(n);
    }
    const int at = ::dirfd(dir);
    for (const std::string& n : names) {
        if (ec) break;
        struct stat st{};
        if (::fstatat(at, n.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT) ec = LastError();
            continue;
        }
        if (S_ISDIR(st.st_mode) && st.st_dev == device) {
            const int child = ::openat(at, n.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child < 0) {
                ec = LastError();
                break;
            }
            if ((ec = RemoveContent(child, device))) break;
        }
        if (::unlinkat(at, n.c_str(), S_ISDIR(st.st_mode) ? AT_REMOVEDIR : 0) != 0 && errno != ENOENT)
            ec = LastError();
    }
    ::closedir(dir);
    return ec;
}

// ---- The trash ----------------------------------------------------------------------

constexpr std::string_view kInfoSuffix = ".trashinfo";
// Room kept in a trashed name for the info suffix and a number that makes it unique.
constexpr std::size_t kLongestTrashedName = NAME_MAX - kInfoSuffix.size() - 8;

// The Path value of a .trashinfo record: the name's bytes escaped as in URLs, every byte
// but the unreserved characters and "/" as %XX.
std::string EscapeTrashPath(std::string_view bytes)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == '.' || c == '_' || c == '~' || c == '/';
        if (plain) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        }
    }
    return out;
}

// The home trash: $XDG_DATA_HOME/Trash, with $HOME/.local/share where XDG_DATA_HOME is
// unset or not absolute (the base-directory rules ignore a relative one).
std::string HomeTrashPath()
{
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data != nullptr && data[0] == '/') return std::string(data) + "/Trash";
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        const struct passwd* pw = ::getpwuid(::getuid());
        home = pw != nullptr ? pw->pw_dir : "/";
    }
    return std::string(home) + "/.local/share/Trash";
}

std::error_code StatNative(const std::string& native, struct stat& st)
{
    SystemName name;
    if (const std::error_code ec = ToSystemName(FromNativePath(native), name)) return ec;
    return StatAt(name, st, 0);
}

// The device that holds `native`, or would hold it once made: that of its nearest
// existing folder.
std::error_code DeviceOf(std::string native, dev_t& device)
{
    for (;;) {
        struct stat st{};
        const std::error_code ec = StatNative(native, st);
        if (!ec) {
            device = st.st_dev;
            return {};
        }
        if (ec.value() != ENOENT) return ec;
        const std::size_t slash = native.find_last_not_of('/') == std::string::npos ? std::string::npos
                                                                                     : native.rfind('/');
        if (slash == std::string::npos) return ec;
        native.resize(slash == 0 ? 1 : slash);
    }
}

// Makes the folder `native` with its missing parents (mode 0700, as the trash and the
// data folder above it are private to their user) and opens it.
std::error_code MakeFolders(const std::string& native, Descriptor& out)
{
    for (std::size_t at = native.find('/', 1);; at = native.find('/', at + 1)) {
        const std::string prefix = native.substr(0, at);
        SystemName name;
        if (const std::error_code ec = ToSystemName(FromNativePath(prefix), name)) return ec;
        if (::mkdirat(name.dir(), name.name(), 0700) != 0 && errno != EEXIST) return LastError();
        if (at == std::string::npos) break;
    }
    return OpenFolder(FromNativePath(native), out);
}

// A trash folder below `top` named `name`, made when missing: it must be a folder of
// this user's, not a link.
std::error_code OwnTrashFolder(int top, const std::string& name, Descriptor& out)
{
    if (::mkdirat(top, name.c_str(), 0700) != 0 && errno != EEXIST) return LastError();
    out = Descriptor(::openat(top, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!out.ok()) return LastError();
    struct stat st{};
    if (::fstat(out.get(), &st) != 0) return LastError();
    if (st.st_uid != ::getuid()) return Errno(EACCES);
    return {};
}

// The top folder of the file system that holds the open folder `folder`: up through
// ".." while the device stays the same.
std::error_code TopFolder(int folder, Descriptor& top, struct stat& topStat)
{
    top = Descriptor(::openat(folder, ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!top.ok() || ::fstat(top.get(), &topStat) != 0) return LastError();
    for (;;) {
        Descriptor up(::openat(top.get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
        struct stat upStat{};
        if (!up.ok() || ::fstat(up.get(), &upStat) != 0) return LastError();
        if (upStat.st_dev != topStat.st_dev || upStat.st_ino == topStat.st_ino) return {};
        top = std::move(up);
        topStat = upStat;
    }
}

// The trash of the volume whose top folder is `top`: $topdir/.Trash/$uid when an
// administrator made $topdir/.Trash (a folder, not a link, with the sticky bit), else
// $topdir/.Trash-$uid.
std::error_code VolumeTrash(int top, Descriptor& out)
{
    const std::string uid = std::to_string(::getuid());
    const Descriptor shared(::openat(top, ".Trash", O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st{};
    if (shared.ok() && ::fstat(shared.get(), &st) == 0 && (st.st_mode & S_ISVTX) &&
        !OwnTrashFolder(shared.get(), uid, out))
        return {};
    return OwnTrashFolder(top, ".Trash-" + uid, out);
}

// The Path to record in a volume's trash: relative to its top folder (whose device and
// inode `topStat` holds) when `absolute` runs through it, else `absolute` itself.
std::string PathInVolume(const std::string& absolute, const struct stat& topStat)
{
    for (std::size_t at = 0; at != std::string::npos && at < absolute.size(); at = absolute.find('/', at + 1)) {
        const std::string prefix = at == 0 ? std::string("/") : absolute.substr(0, at);
        struct stat st{};
        if (!StatNative(prefix, st) && st.st_dev == topStat.st_dev && st.st_ino == topStat.st_ino)
            return absolute.substr(at + 1);
    }
    return absolute;
}

std::string DeletionDate()
{
    const std::time_t now = std::time(nullptr);
    struct tm local{};
    char text[32] = {};
    if (::localtime_r(&now, &local) == nullptr || std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local) == 0)
        return "1970-01-01T00:00:00";
    return text;
}

// Writes the whole record; false when the system took less.
bool WriteAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The name `leaf` gets in the trash's files folder, attempt `n` from 1: the name itself
// (cut so that its record's name fits NAME_MAX, never inside a UTF-8 character), then
// with ".n" added.
std::string TrashedName(const std::string& leaf, unsigned n)
{
    std::string name = leaf;
    if (name.size() > kLongestTrashedName) {
        std::size_t cut = kLongestTrashedName;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
        name.resize(cut);
    }
    if (n > 1) {
        name += '.';
        name += std::to_string(n);
    }
    return name;
}

// Moves `leaf` of the open folder `parent` into the trash folder `trash`, with a record
// whose Path is `recorded`. The record is made first, with O_EXCL, so that two movers
// never share a name (as the specification asks); it goes again when the move fails.
std::error_code MoveInto(int parent, const std::string& leaf, int trash, const std::string& recorded)
{
    for (const char* sub : {"files", "info"})
        if (::mkdirat(trash, sub, 0700) != 0 && errno != EEXIST) return LastError();
    const Descriptor files(::openat(trash, "files", O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    const Descriptor info(::openat(trash, "info", O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!files.ok() || !info.ok()) return LastError();
    const std::string record =
        "[Trash Info]\nPath=" + EscapeTrashPath(recorded) + "\nDeletionDate=" + DeletionDate() + "\n";
    for (unsigned n = 1; n < 100000; ++n) {
        const std::string name = TrashedName(leaf, n);
        const std::string infoName = name + std::string(kInfoSuffix);
        Descriptor out(::openat(info.get(), infoName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                0600));
        if (!out.ok()) {
            if (errno == EEXIST) continue;
            return LastError();
        }
        std::error_code ec;
        if (!WriteAll(out.get(), record)) ec = errno != 0 ? LastError() : Errno(EIO);
        if (::close(out.release()) != 0 && !ec) ec = LastError();
        if (!ec) {
            // Never over an entry already in the trash (one without its record): where
            // the file system has no RENAME_NOREPLACE, looked at first.
            int rc = ::renameat2(parent, leaf.c_str(), files.get(), name.c_str(), RENAME_NOREPLACE);
            if (rc != 0 && errno == EINVAL) {
                struct stat st{};
                if (::fstatat(files.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
                    errno = EEXIST;
                } else {
                    rc = ::renameat(parent, leaf.c_str(), files.get(), name.c_str());
                }
            }
            if (rc == 0) return {};
            ec = LastError();
        }
        ::unlinkat(info.get(), infoName.c_str(), 0);
        if (ec.value() != EEXIST) return ec;
    }
    return Errno(EEXIST);
}

}  // namespace

std::error_code RemoveFile(const std::u16string& path)
{
    SystemName name;
    if (const std::error_code ec = ToSystemName(path, name)) return ec;
    if (::unlinkat(name.dir(), name.name(), 0) != 0) return LastError();
    return {};
}

std::error_code RemoveEmptyDirectory(const std::u16string& path)
{
    SystemName name;
    if (const std::error_code ec = ToSystemName(path, name)) return ec;
    struct stat st{};
    if (const std::error_code ec = StatAt(name, st, AT_SYMLINK_NOFOLLOW)) return ec;
    if (::unlinkat(name.dir(), name.name(), S_ISLNK(st.st_mode) ? 0 : AT_REMOVEDIR) != 0) return LastError();
    return {};
}

std::error_code RemoveTree(const std::u16string& path)
{
    Parts parts;
    if (const std::error_code ec = Split(path, parts)) return ec;
    SystemName name;
    if (const std::error_code ec = ToSystemName(path, name)) return ec;
    struct stat st{};
    if (const std::error_code ec = StatAt(name, st, AT_SYMLINK_NOFOLLOW)) return ec;
    if (S_ISDIR(st.st_mode)) {
        const int fd = ::openat(name.dir(), name.name(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) return LastError();
        if (const std::error_code ec = RemoveContent(fd, st.st_dev)) return ec;
    }
    if (::unlinkat(name.dir(), name.name(), S_ISDIR(st.st_mode) ? AT_REMOVEDIR : 0) != 0) return LastError();
    return {};
}

std::error_code MoveToTrash(const std::u16string& path)
{
    Parts parts;
    if (const std::error_code ec = Split(path, parts)) return ec;
    SystemName entry;
    if (const std::error_code ec = ToSystemName(path, entry)) return ec;
    struct stat st{};
    if (const std::error_code ec = StatAt(entry, st, AT_SYMLINK_NOFOLLOW)) return ec;
    Descriptor parent;
    if (const std::error_code ec = OpenFolder(parts.parent, parent)) return ec;
    struct stat parentStat{};
    if (::fstat(parent.get(), &parentStat) != 0) return LastError();

    // The original location, absolute, as the caller named it (links not resolved).
    std::u16string folder = parts.parent;
    if (folder.front() != u'/') {
        const std::u16string cwd = CurrentDirectory();
        if (cwd.empty()) return Errno(ENOENT);
        folder = folder == u"." ? cwd : cwd + (cwd.back() == u'/' ? u"" : u"/") + folder;
    }
    const std::string original = ToNativePath(folder + (folder.back() == u'/' ? u"" : u"/") + parts.leaf);
    const std::string leaf = ToNativePath(parts.leaf);

    // The user's own trash for an entry on its file system, else the volume's.
    const std::string home = HomeTrashPath();
    dev_t homeDevice = 0;
    Descriptor trash;
    if (!DeviceOf(home, homeDevice) && homeDevice == parentStat.st_dev) {
        if (const std::error_code ec = MakeFolders(home, trash)) return ec;
        return MoveInto(parent.get(), leaf, trash.get(), original);
    }
    Descriptor top;
    struct stat topStat{};
    if (const std::error_code ec = TopFolder(parent.get(), top, topStat)) return ec;
    if (const std::error_code ec = VolumeTrash(top.get(), trash)) return ec;
    return MoveInto(parent.get(), leaf, trash.get(), PathInVolume(original, topStat));
}

}  // namespace platform
