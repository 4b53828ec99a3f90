// POSIX backend of the platform layer. NTFS volumes are reached through ntfs-3g, which
// exposes the raw reparse buffer as the extended attribute system.ntfs_reparse_data and
// the NTFS attribute word as system.ntfs_attrib (4 bytes, little-endian).
#include "platform/Entries.h"
#include "platform/Errors.h"
#include "platform/Process.h"

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <climits>

#include "common/Utf16.h"
#include "platform/posix/posix_internal.h"

namespace platform {

using namespace posix;

namespace {

constexpr std::uint32_t kFileAttributeReparsePoint = 0x400;

bool Refused(const std::error_code& ec)
{
    return ec.value() == EACCES || ec.value() == EPERM;
}

}  // namespace

std::error_code QueryEntry(const std::u16string& path, EntryInfo& info)
{
    SystemName name;
    if (const std::error_code ec = ToSystemName(path, name)) return ec;
    struct stat st{};
    if (const std::error_code ec = StatAt(name, st, AT_SYMLINK_NOFOLLOW)) return ec;
    info.isDirectory = S_ISDIR(st.st_mode);
    info.isSymlink = S_ISLNK(st.st_mode);
    return {};
}

ReparseState QueryReparsePoint(const std::u16string& path)
{
    SystemName name;
    if (const std::error_code ec = ToSystemName(path, name))
        return Refused(ec) ? ReparseState::Unknown : ReparseState::No;
    std::uint32_t attrib = 0;
    const std::error_code ec = ReadAttributeWord(name, attrib);
    if (!ec && (attrib & kFileAttributeReparsePoint)) return ReparseState::Yes;
    if (Refused(ec)) return ReparseState::Unknown;
    // Some ntfs-3g configurations hide the attribute word; the reparse data itself
    // still answers.
    std::size_t size = 0;
    const std::error_code data = GetEntryXattr(name, kReparseDataAttr, nullptr, 0, size);
    if (!data) return ReparseState::Yes;
    return Refused(data) ? ReparseState::Unknown : ReparseState::No;
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
    SystemName name;
    if (const std::error_code ec = ToSystemName(path, name)) return ec;
    const int fd = ::openat(name.dir(), name.name(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return LastError();
    handle.native_ = fd;
    if (name.direct()) handle.nativePath_ = name.name();
    return {};
}

std::error_code ReadReparseData(const ReparseHandle& handle, std::size_t capacity,
                                std::vector<std::uint8_t>& out)
{
    out.clear();
    if (!handle.isOpen()) return std::make_error_code(std::errc::bad_file_descriptor);
    // An O_PATH descriptor carries no xattr calls of its own, but its /proc entry does,
    // and reaches the very entry that was opened, not whatever holds its name now.
    // Without /proc the entry is read by name with the l-form, which does not follow it.
    std::vector<std::uint8_t> buffer(capacity);
    const int fd = static_cast<int>(handle.native_);
    ssize_t n = ::getxattr(DescriptorPath(fd).c_str(), kReparseDataAttr, buffer.data(), buffer.size());
    if (n < 0 && errno == ENOENT && !handle.nativePath_.empty())
        n = ::lgetxattr(handle.nativePath_.c_str(), kReparseDataAttr, buffer.data(), buffer.size());
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
    case EINVAL: return ErrorKind::BadName;
    case ETXTBSY:
    case EBUSY: return ErrorKind::Busy;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return ErrorKind::DiskFull;
    case EIO: return ErrorKind::DeviceIO;
    default: return ErrorKind::Other;
    }
}

std::error_code InvalidArgumentError()
{
    return {EINVAL, std::generic_category()};
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
