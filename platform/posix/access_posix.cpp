// What an open would reach: the POSIX backend's stat and access checks.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Files.h"
#include "platform/posix/posix_internal.h"

namespace platform {

TargetInfo QueryTarget(const std::u16string& path)
{
    TargetInfo out;
    posix::SystemName name;
    if (posix::ToSystemName(path, name)) return out;
    struct stat st{};
    if (posix::StatAt(name, st, 0)) return out;
    out.exists = true;
    out.isDirectory = S_ISDIR(st.st_mode);
    out.type = S_ISREG(st.st_mode)    ? EntryType::Regular
               : S_ISDIR(st.st_mode)  ? EntryType::Directory
               : S_ISFIFO(st.st_mode) ? EntryType::Fifo
               : S_ISSOCK(st.st_mode) ? EntryType::Socket
               : S_ISCHR(st.st_mode)  ? EntryType::CharacterDevice
               : S_ISBLK(st.st_mode)  ? EntryType::BlockDevice
                                      : EntryType::Other;
    // An O_PATH descriptor opens nothing (no FIFO waits, no device acts) and still leads
    // to the attribute word of what the link reaches.
    const int fd = ::openat(name.dir(), name.name(), O_PATH | O_CLOEXEC);
    if (fd >= 0) {
        out.readOnly = posix::HasReadOnlyAttribute(st, fd);
        ::close(fd);
    } else {
        out.readOnly = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    }
    // AT_EACCESS: the effective IDs decide, as they do for an open.
    out.readable = ::faccessat(name.dir(), name.name(), R_OK, AT_EACCESS) == 0;
    out.writable = ::faccessat(name.dir(), name.name(), W_OK, AT_EACCESS) == 0;
    return out;
}

}  // namespace platform
