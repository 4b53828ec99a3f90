// Plain positional reads of a disk image or block device, for the read-only NTFS reader,
// and what the programs that read images ask of their standard streams.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>

namespace platform {

// An image file or block device opened for reading only (POSIX: O_RDONLY; Windows: read
// access with every sharing mode). Nothing is ever written through it. Closed by the
// destructor; movable, not copyable.
class ImageFile {
public:
    ImageFile() = default;
    ~ImageFile();
    ImageFile(ImageFile&& other) noexcept;
    ImageFile& operator=(ImageFile&& other) noexcept;
    ImageFile(const ImageFile&) = delete;
    ImageFile& operator=(const ImageFile&) = delete;

    bool isOpen() const { return native_ != -1; }
    // Bytes in the file or device, as found when it was opened.
    std::uint64_t size() const { return size_; }

private:
    friend std::error_code OpenImageFile(const std::u16string&, ImageFile&);
    friend std::error_code ReadImageAt(const ImageFile&, std::uint64_t, std::uint8_t*, std::size_t, std::size_t&);
    std::intptr_t native_ = -1;
    std::uint64_t size_ = 0;
};

// Opens `path` for reading only and takes its size (a block device's size included).
// A folder is EISDIR; anything that is neither a regular file nor a block or character
// device is ENXIO. Errors as the system gives them otherwise (ENOENT, EACCES, ...). On
// failure `file` stays closed.
std::error_code OpenImageFile(const std::u16string& path, ImageFile& file);

// Reads up to `count` bytes at `offset` without moving any shared position, so readers
// never disturb each other; `got` is less than `count` only at the end of the file. On
// failure `got` tells how many bytes arrived before it.
std::error_code ReadImageAt(const ImageFile& file, std::uint64_t offset, std::uint8_t* buffer, std::size_t count,
                            std::size_t& got);

// Whether standard error is a terminal (a console window on Windows), so that a program
// shows progress there only to a person. Never fails.
bool StandardErrorIsTerminal();

// Whether standard output is a console window that takes characters rather than bytes
// (Windows; never on POSIX, where a terminal takes UTF-8 bytes). Never fails.
bool StandardOutputIsConsoleWindow();

}  // namespace platform
