// libFuzzer target: image and version-block readers; every value lies inside its block.
#include <cstdint>
#include <span>

#include "FuzzCheck.h"
#include "filelib/modPEImage.h"
#include "filelib/modVersionResource.h"

namespace {

void QueryAll(std::span<const std::uint8_t> block)
{
    for (const char16_t* sub : {u"\\", u"\\VarFileInfo\\Translation", u"\\StringFileInfo\\040904B0\\CompanyName",
                                u"\\StringFileInfo\\040904e4\\productversion"}) {
        const auto value = modVersionResource::VerQueryValue(block, sub);
        if (!value) continue;
        Check(value->bytes.empty() || (value->bytes.data() >= block.data() &&
                                       value->bytes.data() + value->bytes.size() <= block.data() + block.size()),
              "a value outside its block");
        if (value->isText) (void)modVersionResource::ValueText(*value);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    modPEImage::SpanSource source(bytes);
    (void)modPEImage::ShellExeType(source, u".exe");
    for (const std::uint16_t language : {0x0409, 0x0407})
        if (const auto block = modPEImage::ReadVersionResource(source, language)) QueryAll(*block);
    QueryAll(bytes);
    return 0;
}
