// Picture over its RGBA pixels; saving encodes PNG in memory with the system's encoder
// and writes it through the file library, so the file work fails and reports the way
// every other writer's does.
#include <Hollin0106/Picture.h>

#include <Hollin0106/AutomationError.h>

#include "filelib/qvxFileWork.h"
#include "filelib/shell/ShellSource.h"

namespace Hollin0106 {
namespace {

// Whether `bytes` holds exactly width x height pixels of 4 bytes. Both sizes are below
// 2^31, so their product does not overflow 64 bits.
bool SizesMatch(std::int32_t width, std::int32_t height, std::size_t bytes)
{
    if (width < 0 || height < 0 || bytes % 4 != 0) return false;
    return static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) == bytes / 4;
}

}  // namespace

Picture::Picture(std::int32_t width, std::int32_t height, ByteArray pixels)
    : width_(width), height_(height), pixels_(std::move(pixels))
{
    if (!SizesMatch(width, height, pixels_.size())) throw AutomationError(errnum::InvalidProcedureCall, u"Picture");
}

bool Picture::SaveAsPNG(const std::u16string& FileName) const
{
    std::vector<std::uint8_t> png;
    if (shell::EncodePng({width_, height_, pixels_}, png)) return false;
    return qvxFileWork::Guarded(false, [&] { qvxFileWork::PutBytes(FileName, qvxFileWork::WholeArray(png)); });
}

}  // namespace Hollin0106
