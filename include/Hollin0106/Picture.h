// Picture: an icon as a picture object that needs no display: its size, its pixels as
// RGBA bytes, and a way to save it as a PNG file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <Hollin0106/Variant.h>

class QImage;

namespace Hollin0106 {

class Picture {
public:
    explicit Picture(const QImage& image);
    ~Picture();
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    std::int32_t Width() const;
    std::int32_t Height() const;
    // Width x Height pixels, row by row from the top, 4 bytes each: red, green, blue,
    // alpha (not premultiplied).
    ByteArray Pixels() const;
    // Writes the picture as a PNG file; False when the file cannot be written.
    bool SaveAsPNG(const std::u16string& FileName) const;

private:
    std::unique_ptr<QImage> image_;
};

}  // namespace Hollin0106
