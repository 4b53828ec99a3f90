// libFuzzer target: image and version-block readers; every block comes from the image and
// every value lies inside its block.
#include <algorithm>
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
    modPEImage::SpanSource source(bytes);
    (void)modPEImage::ShellExeType(source, u".exe");
    // The neutral language, and a language that is rarely there.
    for (const std::uint16_t language : {0x0409, 0x0407}) {
        if (const auto block = modPEImage::ReadVersionResource(source, language)) {
            Check(!block->empty() && block->size() <= size && block->size() <= 0xFFFF, "block larger than the image");
            Check(std::search(bytes.begin(), bytes.end(), block->begin(), block->end()) != bytes.end(),
                  "block not taken from the image");
            QueryAll(*block);
        }
    }
    QueryAll(bytes);
    return 0;
}
