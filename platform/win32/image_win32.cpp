// Win32 backend of the image reads: CreateFileW with read access and ReadFile at an offset.
#include "platform/ImageFile.h"
#include "platform/Files.h"

#include "platform/win32/Win32.h"

#include <winioctl.h>

#include <utility>

namespace platform {

using namespace win32;

ImageFile::~ImageFile()
{
    if (native_ != -1) ::CloseHandle(reinterpret_cast<HANDLE>(native_));
}

ImageFile::ImageFile(ImageFile&& other) noexcept
    : native_(std::exchange(other.native_, -1)), size_(std::exchange(other.size_, 0))
{
}

ImageFile& ImageFile::operator=(ImageFile&& other) noexcept
{
    if (this != &other) {
        if (native_ != -1) ::CloseHandle(reinterpret_cast<HANDLE>(native_));
        native_ = std::exchange(other.native_, -1);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

std::error_code OpenImageFile(const std::u16string& path, ImageFile& file)
{
    file = ImageFile();
    std::wstring wide;
    if (const std::error_code ec = SystemPath(path, wide)) return ec;
    // Every sharing mode: a volume or disk in use elsewhere ("\\.\PhysicalDrive1") opens too.
    const HANDLE h = ::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_RANDOM_ACCESS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return LastError();
    ImageFile opened;
    opened.native_ = reinterpret_cast<std::intptr_t>(h);
    LARGE_INTEGER size{};
    if (::GetFileSizeEx(h, &size)) {
        opened.size_ = static_cast<std::uint64_t>(size.QuadPart);
    } else {
        // A disk or volume has no file size; it tells its length to this request.
        GET_LENGTH_INFORMATION length{};
        DWORD returned = 0;
        if (!::DeviceIoControl(h, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length, sizeof length, &returned, nullptr))
            return LastError();
        opened.size_ = static_cast<std::uint64_t>(length.Length.QuadPart);
    }
    file = std::move(opened);
    return {};
}

std::error_code ReadImageAt(const ImageFile& file, std::uint64_t offset, std::uint8_t* buffer, std::size_t count,
                            std::size_t& got)
{
    got = 0;
    if (!file.isOpen()) return Error(ERROR_INVALID_HANDLE);
    const HANDLE h = reinterpret_cast<HANDLE>(file.native_);
    while (got < count) {
        OVERLAPPED at{};
        const std::uint64_t position = offset + got;
        at.Offset = static_cast<DWORD>(position);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        const std::size_t rest = count - got;
        const DWORD want = rest > 0x40000000 ? 0x40000000 : static_cast<DWORD>(rest);
        DWORD n = 0;
        if (!::ReadFile(h, buffer + got, want, &n, &at)) {
            if (::GetLastError() == ERROR_HANDLE_EOF) break;
            return LastError();
        }
        if (n == 0) break;
        got += n;
    }
    return {};
}

bool StandardErrorIsTerminal()
{
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

bool StandardOutputIsConsoleWindow()
{
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

}  // namespace platform
