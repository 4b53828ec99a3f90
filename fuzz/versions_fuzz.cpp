// libFuzzer target: image and version-block readers; every value must lie inside its bytes.
#include <cstddef>
#include <cstdint>
#include <span>

#include "FuzzCheck.h"
#include "filelib/modPEImage.h"
#include "filelib/modVersionResource.h"

namespace {

bool Inside(std::span<const std::uint8_t> part, std::span<const std::uint8_t> whole)
{
    return part.empty() || (part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size());
}

void QueryAll(std::span<const std::uint8_t> block)
{
    for (const char16_t* subBlock : {u"\\", u"\\VarFileInfo\\Translation", u"\\StringFileInfo\\040904B0\\CompanyName",
                                     u"\\StringFileInfo\\040904e4\\productversion"}) {
        const auto value = modVersionResource::VerQueryValue(block, subBlock);
        if (!value) continue;
        Check(Inside(value->bytes, block), "value outside the block");
        if (value->isText) (void)modVersionResource::ValueText(*value);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    (void)modPEImage::ShellExeType(bytes, u".exe");
    if (const auto extent = modPEImage::ImageExtent(bytes)) {
        // The headers lie inside what was read, and the extent covers them.
        Check(*extent >= 64, "extent shorter than the DOS header");
    }
    if (const auto block = modPEImage::FindVersionResource(bytes)) {
        Check(Inside(*block, bytes), "block outside the image");
        QueryAll(*block);
    }
    QueryAll(bytes);
    return 0;
}
