// Bounds-checked little-endian reader over untrusted bytes. Every read compares the
// requested width with what remains (never adds offsets first), and a failed read
// sets a sticky flag and yields zero, so a decoder can read several fields and check once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace Hollin0106 {

class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t size() const { return bytes_.size(); }
    std::size_t offset() const { return pos_; }
    std::size_t remaining() const { return bytes_.size() - pos_; }
    bool ok() const { return ok_; }

    // Moves to an absolute offset; an offset past the end fails.
    void seek(std::size_t offset)
    {
        if (offset > bytes_.size()) return fail();
        pos_ = offset;
    }
    void skip(std::size_t n)
    {
        if (n > remaining()) return fail();
        pos_ += n;
    }

    std::uint8_t u8() { return static_cast<std::uint8_t>(read(1)); }
    std::uint16_t u16le() { return static_cast<std::uint16_t>(read(2)); }
    std::uint32_t u32le() { return static_cast<std::uint32_t>(read(4)); }
    std::uint64_t u64le() { return read(8); }

    // The next n bytes as a span; empty (and failed) when fewer remain.
    std::span<const std::uint8_t> bytes(std::size_t n)
    {
        if (n > remaining()) {
            fail();
            return {};
        }
        auto out = bytes_.subspan(pos_, n);
        pos_ += n;
        return out;
    }

    // The bytes [offset, offset + length) of the whole buffer, without moving; empty
    // when the range does not lie inside the buffer (and the reader fails).
    std::span<const std::uint8_t> sub(std::size_t offset, std::size_t length)
    {
        if (offset > bytes_.size() || length > bytes_.size() - offset) {
            fail();
            return {};
        }
        return bytes_.subspan(offset, length);
    }

private:
    void fail() { ok_ = false; }
    std::uint64_t read(std::size_t width)
    {
        if (!ok_ || width > remaining()) {
            fail();
            return 0;
        }
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < width; ++i)
            v |= static_cast<std::uint64_t>(bytes_[pos_ + i]) << (8 * i);
        pos_ += width;
        return v;
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

}  // namespace Hollin0106
