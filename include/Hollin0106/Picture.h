// Picture: an icon as a picture object that needs no display: its size, its pixels as
// RGBA bytes, and a way to save it as a PNG file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <Hollin0106/Variant.h>
#include <Hollin0106/Export.h>

namespace Hollin0106 {

class HOLLIN0106_API Picture {
public:
    // A picture of `width` x `height` pixels; `pixels` as Pixels() gives them. Raises
    // error 5 (source "Picture") when a size is negative or `pixels` does not hold
    // exactly width x height x 4 bytes.
    Picture(std::int32_t width, std::int32_t height, ByteArray pixels);
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }
    // Width x Height pixels, row by row from the top, 4 bytes each: red, green, blue,
    // alpha (not premultiplied).
    ByteArray Pixels() const { return pixels_; }
    // Writes the picture as a PNG file; False when the file cannot be written.
    bool SaveAsPNG(const std::u16string& FileName) const;

private:
    std::int32_t width_;
    std::int32_t height_;
    ByteArray pixels_;
};

}  // namespace Hollin0106
