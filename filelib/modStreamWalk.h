// The walk over a backup stream sequence: each stream is a 20-byte header (identifier,
// attributes, size low and high, name size; little-endian, the layout of Windows'
// WIN32_STREAM_ID), its UTF-16LE name, and its data, which the walk skips unread.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <span>

namespace modStreamWalk {

inline constexpr std::size_t kHeaderSize = 20;
// The name buffer: 262 UTF-16 units. A longer name ends the walk unread.
inline constexpr std::size_t kNameBufferSize = 524;

struct StreamHeader {
    std::uint32_t StreamID = 0;
    std::uint32_t Attributes = 0;
    std::uint32_t SizeLow = 0;
    std::uint32_t SizeHigh = 0;
    std::uint32_t NameSize = 0;
};

// What the walk reads from: BackupRead and BackupSeek on one context.
class IStreamSource {
public:
    virtual ~IStreamSource() = default;
    // Up to `count` bytes into `buffer`; false when the read fails.
    virtual bool Read(std::uint8_t* buffer, std::size_t count, std::size_t& got) = 0;
    // Skips up to `count` bytes of the current stream's data.
    virtual void Seek(std::uint64_t count) = 0;
};

// A whole sequence held in memory. (Defined here in full: the library's objects are
// linked twice into the unit tests, and a class with out-of-line virtual functions would
// be defined twice.)
class ByteSequenceSource : public IStreamSource {
public:
    explicit ByteSequenceSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    bool Read(std::uint8_t* buffer, std::size_t count, std::size_t& got) override
    {
        got = std::min(count, bytes_.size() - pos_);
        std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(pos_), got, buffer);
        pos_ += got;
        return true;
    }
    void Seek(std::uint64_t count) override
    {
        pos_ += static_cast<std::size_t>(std::min<std::uint64_t>(count, bytes_.size() - pos_));
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

// Calls `onStream` with each header and the whole name buffer (the name's bytes, then
// zeros) until a header cannot be read whole, a name read fails, or a name size exceeds
// the name buffer. Returns the number of streams delivered.
std::size_t WalkStreams(IStreamSource& source,
                        const std::function<void(const StreamHeader&, std::span<const std::uint8_t>)>& onStream);

}  // namespace modStreamWalk
