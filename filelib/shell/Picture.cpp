// Picture over a QImage; saving encodes PNG in memory and writes it through the file
// library, so the file work fails and reports the way every other writer's does.
#include <Hollin0106/Picture.h>

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include "filelib/qvxFileWork.h"

namespace Hollin0106 {

Picture::Picture(const QImage& image) : image_(std::make_unique<QImage>(image.convertToFormat(QImage::Format_RGBA8888)))
{
}

Picture::~Picture() = default;

std::int32_t Picture::Width() const { return image_->width(); }
std::int32_t Picture::Height() const { return image_->height(); }

ByteArray Picture::Pixels() const
{
    ByteArray out;
    const auto rowBytes = static_cast<std::size_t>(image_->width()) * 4;
    out.reserve(rowBytes * static_cast<std::size_t>(image_->height()));
    for (int y = 0; y < image_->height(); ++y) {
        const uchar* row = image_->constScanLine(y);
        out.insert(out.end(), row, row + rowBytes);
    }
    return out;
}

bool Picture::SaveAsPNG(const std::u16string& FileName) const
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(*image_)) return false;
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(png.constData()), static_cast<std::size_t>(png.size()));
    return qvxFileWork::Guarded(false, [&] { qvxFileWork::PutBytes(FileName, qvxFileWork::WholeArray(bytes)); });
}

}  // namespace Hollin0106
