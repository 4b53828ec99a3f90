// POSIX backend: names handed to the system, however long, and the extended attributes
// of an entry reached through them.
#include <sys/xattr.h>
#include <unistd.h>

#include <climits>
#include <string_view>
#include <vector>

#include "common/Utf16.h"
#include "platform/Files.h"
#include "platform/posix/posix_internal.h"

namespace platform::posix {

SystemName::~SystemName()
{
    if (owned_ != -1) ::close(owned_);
}

SystemName::SystemName(SystemName&& other) noexcept
    : dir_(other.dir_), owned_(other.owned_), name_(std::move(other.name_))
{
    other.dir_ = AT_FDCWD;
    other.owned_ = -1;
}

SystemName& SystemName::operator=(SystemName&& other) noexcept
{
    if (this != &other) {
        if (owned_ != -1) ::close(owned_);
        dir_ = other.dir_;
        owned_ = other.owned_;
        name_ = std::move(other.name_);
        other.dir_ = AT_FDCWD;
        other.owned_ = -1;
    }
    return *this;
}

namespace {

// The bytes of `path` as the system takes a name: EINVAL for a name holding a NUL (the
// system would end it there and so address another entry). Only ToSystemName uses it:
// a name handed to the system as it stands fails past PATH_MAX.
std::error_code ToNativeName(const std::u16string& path, std::string& native)
{
    if (path.find(u'\0') != std::u16string::npos) return Errno(EINVAL);
    native = ToNativePath(path);
    return {};
}

}  // namespace

std::error_code ToSystemName(const std::u16string& path, SystemName& out)
{
    out = SystemName();
    std::string native;
    if (const std::error_code ec = ToNativeName(path, native)) return ec;
    if (path.empty()) return Errno(ENOENT);
    if (native.size() < PATH_MAX) {
        out.name_ = std::move(native);
        return {};
    }
    std::string_view rest = native;
    if (rest.front() == '/') {
        const int root = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (root < 0) return LastError();
        out.dir_ = out.owned_ = root;
    }
    const auto dropSeparators = [&] {
        while (!rest.empty() && rest.front() == '/') rest.remove_prefix(1);
    };
    dropSeparators();
    while (rest.size() >= PATH_MAX) {
        // A run of whole components that, with its terminating NUL, fits PATH_MAX.
        const std::size_t cut = rest.rfind('/', PATH_MAX - 1);
        if (cut == std::string_view::npos || cut == 0) return Errno(ENAMETOOLONG);
        const std::string run(rest.substr(0, cut));
        const int next = ::openat(out.dir_, run.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (next < 0) return LastError();
        if (out.owned_ != -1) ::close(out.owned_);
        out.dir_ = out.owned_ = next;
        rest.remove_prefix(cut);
        dropSeparators();
    }
    out.name_ = rest.empty() ? std::string(".") : std::string(rest);
    return {};
}

std::error_code StatAt(const SystemName& name, struct stat& st, int flags)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (::fstatat(name.dir(), name.name(), &st, flags) == 0) return {};
        if (errno != EIO) break;
    }
    return LastError();
}

std::string DescriptorPath(int fd)
{
    return "/proc/self/fd/" + std::to_string(fd);
}

namespace {

// Runs `call(path, follow)` with a by-name path that reaches the entry: the name as it
// stands when it is direct, else the /proc path of an O_PATH descriptor of it (a final
// link followed or not, as `finalLink` says). `follow` tells `call` whether to follow a final
// link of `path`: the /proc entry is a link to the entry the descriptor holds, and
// following it reaches that entry and goes no further, even when it is a link itself.
template <typename Call>
std::error_code ByName(const SystemName& name, FinalLink finalLink, Call&& call)
{
    if (name.direct()) return call(name.name(), finalLink == FinalLink::Follow);
    const int flags = O_PATH | O_CLOEXEC | (finalLink == FinalLink::Follow ? 0 : O_NOFOLLOW);
    const int fd = ::openat(name.dir(), name.name(), flags);
    if (fd < 0) return LastError();
    const std::error_code ec = call(DescriptorPath(fd).c_str(), true);
    ::close(fd);
    return ec;
}

}  // namespace

std::error_code GetXattr(const SystemName& name, FinalLink finalLink, const char* attr, void* buffer, std::size_t size,
                         std::size_t& got)
{
    got = 0;
    return ByName(name, finalLink, [&](const char* path, bool follow) -> std::error_code {
        const ssize_t n = follow ? ::getxattr(path, attr, buffer, size) : ::lgetxattr(path, attr, buffer, size);
        if (n < 0) return LastError();
        got = static_cast<std::size_t>(n);
        return {};
    });
}

std::error_code GetXattrValue(const SystemName& name, FinalLink finalLink, const char* attr,
                              std::vector<std::uint8_t>& value)
{
    value.clear();
    return ByName(name, finalLink, [&](const char* path, bool follow) -> std::error_code {
        const auto get = [&](void* buffer, std::size_t size) {
            return follow ? ::getxattr(path, attr, buffer, size) : ::lgetxattr(path, attr, buffer, size);
        };
        // The value may grow between asking its size and reading it: ask again then.
        for (;;) {
            const ssize_t size = get(nullptr, 0);
            if (size < 0) return LastError();
            std::vector<std::uint8_t> buffer(static_cast<std::size_t>(size));
            const ssize_t n = get(buffer.data(), buffer.size());
            if (n >= 0) {
                buffer.resize(static_cast<std::size_t>(n));
                value = std::move(buffer);
                return {};
            }
            if (errno != ERANGE) return LastError();
        }
    });
}

std::error_code SetXattr(const SystemName& name, FinalLink finalLink, const char* attr, const void* value,
                         std::size_t size)
{
    return ByName(name, finalLink, [&](const char* path, bool follow) -> std::error_code {
        const int r = follow ? ::setxattr(path, attr, value, size, 0) : ::lsetxattr(path, attr, value, size, 0);
        return r != 0 ? LastError() : std::error_code();
    });
}

std::error_code RemoveXattr(const SystemName& name, FinalLink finalLink, const char* attr)
{
    return ByName(name, finalLink, [&](const char* path, bool follow) -> std::error_code {
        const int r = follow ? ::removexattr(path, attr) : ::lremovexattr(path, attr);
        return r != 0 ? LastError() : std::error_code();
    });
}

std::error_code ListXattr(const SystemName& name, FinalLink finalLink, std::vector<char>& names)
{
    names.clear();
    return ByName(name, finalLink, [&](const char* path, bool follow) -> std::error_code {
        const auto list = [&](char* buffer, std::size_t size) {
            return follow ? ::listxattr(path, buffer, size) : ::llistxattr(path, buffer, size);
        };
        for (;;) {
            const ssize_t size = list(nullptr, 0);
            if (size < 0) return LastError();
            std::vector<char> buffer(static_cast<std::size_t>(size));
            const ssize_t n = list(buffer.data(), buffer.size());
            if (n >= 0) {
                buffer.resize(static_cast<std::size_t>(n));
                names = std::move(buffer);
                return {};
            }
            if (errno != ERANGE) return LastError();
        }
    });
}

std::error_code GetEntryXattr(const SystemName& name, const char* attr, void* buffer, std::size_t size,
                              std::size_t& got)
{
    return GetXattr(name, FinalLink::Entry, attr, buffer, size, got);
}

std::error_code SetEntryXattr(const SystemName& name, const char* attr, const void* value, std::size_t size)
{
    return SetXattr(name, FinalLink::Entry, attr, value, size);
}

std::error_code ReadAttributeWord(const SystemName& name, std::uint32_t& word)
{
    unsigned char raw[4] = {};
    std::size_t got = 0;
    if (const std::error_code ec = GetEntryXattr(name, kAttribAttr, raw, sizeof raw, got)) return ec;
    if (got != sizeof raw) return Errno(ENODATA);
    word = static_cast<std::uint32_t>(LoadLe(raw, sizeof raw));
    return {};
}

std::error_code ReadAttributeWord(int fd, std::uint32_t& word)
{
    unsigned char raw[4] = {};
    ssize_t n = ::fgetxattr(fd, kAttribAttr, raw, sizeof raw);
    // An O_PATH descriptor takes no xattr calls of its own; its /proc entry leads to the
    // entry it holds.
    if (n < 0 && errno == EBADF) n = ::getxattr(DescriptorPath(fd).c_str(), kAttribAttr, raw, sizeof raw);
    if (n < 0) return LastError();
    if (n != static_cast<ssize_t>(sizeof raw)) return Errno(ENODATA);
    word = static_cast<std::uint32_t>(LoadLe(raw, sizeof raw));
    return {};
}

bool HasReadOnlyAttribute(const struct stat& st, int fd)
{
    if ((st.st_mode & kAllWriteBits) == 0) return true;
    std::uint32_t word = 0;
    return !ReadAttributeWord(fd, word) && (word & kAttributeReadOnly) != 0;
}

}  // namespace platform::posix
