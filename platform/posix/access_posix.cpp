// What an open would reach: the POSIX backend's stat and access checks.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/platform.h"
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
    // AT_EACCESS: the effective IDs decide, as they do for an open.
    out.readable = ::faccessat(name.dir(), name.name(), R_OK, AT_EACCESS) == 0;
    out.writable = ::faccessat(name.dir(), name.name(), W_OK, AT_EACCESS) == 0;
    return out;
}

}  // namespace platform
