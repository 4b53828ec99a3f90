// POSIX backend of the platform layer. NTFS volumes are reached through ntfs-3g, which
// exposes the raw reparse buffer as the extended attribute system.ntfs_reparse_data and
// the NTFS attribute word as system.ntfs_attrib (4 bytes, little-endian).
#include "platform/platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "common/Utf16.h"

namespace platform {

namespace {

constexpr const char* kReparseDataAttr = "system.ntfs_reparse_data";
constexpr const char* kAttribAttr = "system.ntfs_attrib";
constexpr std::uint32_t kFileAttributeReparsePoint = 0x400;

std::error_code LastError()
{
    return {errno, std::generic_category()};
}

}  // namespace

std::error_code QueryEntry(const std::u16string& path, EntryInfo& info)
{
    struct stat st{};
    if (::lstat(ToNativePath(path).c_str(), &st) != 0) return LastError();
    info.isDirectory = S_ISDIR(st.st_mode);
    info.isSymlink = S_ISLNK(st.st_mode);
    return {};
}

ReparseState QueryReparsePoint(const std::u16string& path)
{
    const std::string native = ToNativePath(path);
    unsigned char word[4] = {};
    const ssize_t n = ::lgetxattr(native.c_str(), kAttribAttr, word, sizeof word);
    if (n == static_cast<ssize_t>(sizeof word)) {
        const std::uint32_t attrib = static_cast<std::uint32_t>(word[0]) |
                                     static_cast<std::uint32_t>(word[1]) << 8 |
                                     static_cast<std::uint32_t>(word[2]) << 16 |
                                     static_cast<std::uint32_t>(word[3]) << 24;
        if (attrib & kFileAttributeReparsePoint) return ReparseState::Yes;
    }
    if (n < 0 && (errno == EACCES || errno == EPERM)) return ReparseState::Unknown;
    // Some ntfs-3g configurations hide the attribute word; the reparse data itself
    // still answers.
    if (::lgetxattr(native.c_str(), kReparseDataAttr, nullptr, 0) >= 0) return ReparseState::Yes;
    if (errno == EACCES || errno == EPERM) return ReparseState::Unknown;
    return ReparseState::No;
}

bool CanReadReparseData()
{
    return true;
}

ReparseHandle::~ReparseHandle()
{
    close();
}

ReparseHandle::ReparseHandle(ReparseHandle&& other) noexcept
    : native_(other.native_), nativePath_(std::move(other.nativePath_))
{
    other.native_ = -1;
}

ReparseHandle& ReparseHandle::operator=(ReparseHandle&& other) noexcept
{
    if (this != &other) {
        close();
        native_ = other.native_;
        nativePath_ = std::move(other.nativePath_);
        other.native_ = -1;
    }
    return *this;
}

void ReparseHandle::close()
{
    if (native_ != -1) ::close(static_cast<int>(native_));
    native_ = -1;
    nativePath_.clear();
}

std::error_code OpenReparsePoint(const std::u16string& path, ReparseHandle& handle)
{
    handle.close();
    std::string native = ToNativePath(path);
    const int fd = ::open(native.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return LastError();
    handle.native_ = fd;
    handle.nativePath_ = std::move(native);
    return {};
}

std::error_code ReadReparseData(const ReparseHandle& handle, std::size_t capacity,
                                std::vector<std::uint8_t>& out)
{
    out.clear();
    if (!handle.isOpen()) return std::make_error_code(std::errc::bad_file_descriptor);
    // An O_PATH descriptor cannot carry xattr calls, so the entry is read by name with
    // the l-form, which does not follow it; the open descriptor pins the check above.
    std::vector<std::uint8_t> buffer(capacity);
    const ssize_t n = ::lgetxattr(handle.nativePath_.c_str(), kReparseDataAttr, buffer.data(), buffer.size());
    if (n < 0) return LastError();
    buffer.resize(static_cast<std::size_t>(n));
    out = std::move(buffer);
    return {};
}

std::u16string CurrentDirectory()
{
    std::vector<char> buf(PATH_MAX);
    for (;;) {
        if (::getcwd(buf.data(), buf.size()) != nullptr) return FromNativePath(buf.data());
        if (errno != ERANGE) return {};
        buf.resize(buf.size() * 2);
    }
}

}  // namespace platform

namespace platform {

ErrorKind ClassifyError(int systemError)
{
    switch (systemError) {
    case ENOENT: return ErrorKind::NoSuchEntry;
    case ENOTDIR: return ErrorKind::NoSuchFolder;
    case ETXTBSY:
    case EBUSY: return ErrorKind::Busy;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return ErrorKind::DiskFull;
    case EIO: return ErrorKind::DeviceIO;
    default: return ErrorKind::Other;
    }
}

bool WriteConsoleText(std::u16string_view /*text*/)
{
    // A terminal takes the UTF-8 bytes as they are.
    return false;
}

std::vector<std::u16string> ProgramArguments(int argc, const char* const* argv)
{
    std::vector<std::u16string> args;
    for (int i = 0; i < argc; ++i) args.push_back(argv[i] != nullptr ? FromNativePath(argv[i]) : std::u16string());
    return args;
}

}  // namespace platform
