// libFuzzer target: one file's bytes through format detection, every decoding and the list splitters.
#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include <Hollin0106/AutomationError.h>
#include <Hollin0106/Collection.h>
#include "FuzzCheck.h"
#include "filelib/modStandardListFileSupport.h"
#include "filelib/modTextEncoding.h"
#include "support/codepages/CodePages.h"

using namespace Hollin0106;
namespace te = modTextEncoding;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A page with undefined bytes, which must round-trip all the same.
    [[maybe_unused]] static const bool pinned = (codepages::SetHostCodePages(1255, 862), true);
    const std::span<const std::uint8_t> bytes(data, size);
    const std::uint8_t options = size > 0 ? data[0] : 0;
    (void)te::DetectFileFormat(bytes, static_cast<std::int32_t>(std::min<std::size_t>(size, 3)));
    for (const auto encoding : {feANSI, feUTF8, feUTF16})
        for (const auto invert : {ibDontInvertBytes, ibInvertBytes}) {
            const te::FileFormat format{encoding, fbNoBOM, invert};
            std::u16string text;
            try {
                text = te::DecodeText(bytes, format);
            } catch (const AutomationError&) {
                Check(encoding == feUTF16 && invert == ibInvertBytes && size % 2 == 1, "decoding raised");
                continue;
            }
            // Read in pieces, as the reader does: any split gives the same text.
            te::TextDecoder pieces(format);
            const std::size_t step = 1 + options % 7;
            for (std::size_t at = 0; at < size; at += step) pieces.Feed(bytes.subspan(at, std::min(step, size - at)));
            Check(pieces.Finish() == text, "decoding in pieces differs from the whole");
            Check(encoding != feANSI || te::EncodeText(text, format) == std::vector<std::uint8_t>(bytes.begin(), bytes.end()),
                  "ANSI did not round-trip");
            Collection list;
            modStandardListFileSupport::AddTextEntries(text, size > 1 ? u";" : u"", options & 1, options & 2, list);
        }
    Collection list;
    modStandardListFileSupport::AddLineInputEntries(bytes, options & 4, u"#", options & 1, options & 2, list);
    return 0;
}
