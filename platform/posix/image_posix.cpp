// POSIX backend of the image reads: open(O_RDONLY) and pread.
#include "platform/ImageFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/posix/posix_internal.h"

namespace platform {

using namespace posix;

ImageFile::~ImageFile()
{
    if (native_ != -1) ::close(static_cast<int>(native_));
}

ImageFile::ImageFile(ImageFile&& other) noexcept
    : native_(std::exchange(other.native_, -1)), size_(std::exchange(other.size_, 0))
{
}

ImageFile& ImageFile::operator=(ImageFile&& other) noexcept
{
    if (this != &other) {
        if (native_ != -1) ::close(static_cast<int>(native_));
        native_ = std::exchange(other.native_, -1);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

std::error_code OpenImageFile(const std::u16string& path, ImageFile& file)
{
    file = ImageFile();
    SystemName name;
    if (const std::error_code ec = ToSystemName(path, name)) return ec;
    // O_NONBLOCK: a FIFO given by mistake must not wait for a writer; it is refused below.
    const int fd = ::openat(name.dir(), name.name(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd == -1) return LastError();
    ImageFile opened;
    opened.native_ = fd;
    struct stat st{};
    if (::fstat(fd, &st) != 0) return LastError();
    if (S_ISDIR(st.st_mode)) return Errno(EISDIR);
    if (S_ISREG(st.st_mode)) {
        opened.size_ = static_cast<std::uint64_t>(st.st_size);
    } else if (S_ISBLK(st.st_mode) || S_ISCHR(st.st_mode)) {
        // A block device tells its size only to a seek to its end.
        const off_t end = ::lseek(fd, 0, SEEK_END);
        if (end < 0) return LastError();
        opened.size_ = static_cast<std::uint64_t>(end);
    } else {
        return Errno(ENXIO);
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags != -1) (void)::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    file = std::move(opened);
    return {};
}

std::error_code ReadImageAt(const ImageFile& file, std::uint64_t offset, std::uint8_t* buffer, std::size_t count,
                            std::size_t& got)
{
    got = 0;
    if (!file.isOpen()) return Errno(EBADF);
    return ReadAt(static_cast<int>(file.native_), offset, buffer, count, got);
}

bool StandardErrorIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

bool StandardOutputIsConsoleWindow()
{
    return false;
}

}  // namespace platform
