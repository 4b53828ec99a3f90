// What an open would reach: the POSIX backend's stat and access checks.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/Utf16.h"
#include "platform/platform.h"

namespace platform {

TargetInfo QueryTarget(const std::u16string& path)
{
    TargetInfo out;
    const std::string native = ToNativePath(path);
    struct stat st{};
    if (::stat(native.c_str(), &st) != 0) return out;
    out.exists = true;
    out.isDirectory = S_ISDIR(st.st_mode);
    // AT_EACCESS: the effective IDs decide, as they do for an open.
    out.readable = ::faccessat(AT_FDCWD, native.c_str(), R_OK, AT_EACCESS) == 0;
    out.writable = ::faccessat(AT_FDCWD, native.c_str(), W_OK, AT_EACCESS) == 0;
    return out;
}

}  // namespace platform
