// libFuzzer target: one file's bytes through format detection, every decoding and the list splitters.
#include <cstddef>
#include <cstdint>
#include <algorithm>
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

namespace {

using modTextEncoding::FileFormat;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A page with undefined bytes, which must round-trip all the same.
    static const bool pinned = (codepages::SetHostCodePages(1255, 862), true);
    (void)pinned;
    const std::span<const std::uint8_t> bytes(data, size);
    // The first byte, when there is one, also picks the filters' options.
    const std::uint8_t options = size > 0 ? data[0] : 0;

    const FileFormat detected = modTextEncoding::DetectFileFormat(bytes, static_cast<std::int32_t>(std::min<std::size_t>(size, 3)));
    Check(detected.Encoding != feAuto && detected.FileBOM != fbAuto && detected.InvertBytes != ibAuto,
          "detection left an Auto value");

    for (const auto encoding : {feANSI, feUTF8, feUTF16})
        for (const auto bom : {fbNoBOM, fbBOM})
            for (const auto invert : {ibDontInvertBytes, ibInvertBytes}) {
                const FileFormat format{encoding, bom, invert};
                std::u16string text;
                try {
                    text = modTextEncoding::DecodeText(bytes, format);
                } catch (const AutomationError& e) {
                    Check(e.Number == 9 && encoding == feUTF16 && invert == ibInvertBytes && size % 2 == 1,
                          "decoding raised outside odd big-endian UTF-16");
                    continue;
                }
                // Read in pieces, as the reader does: any split gives the same text.
                {
                    modTextEncoding::TextDecoder pieces(format);
                    const std::size_t step = 1 + options % 7;
                    for (std::size_t at = 0; at < size; at += step)
                        pieces.Feed(bytes.subspan(at, std::min(step, size - at)));
                    Check(pieces.Finish() == text, "decoding in pieces differs from the whole");
                }
                if (encoding == feUTF16 && bom == fbNoBOM) {
                    // UTF-16 units pass unchanged both ways.
                    const std::vector<std::uint8_t> back = modTextEncoding::EncodeText(text, format);
                    Check(back.size() == size - size % 2 &&
                              std::equal(back.begin(), back.end(), bytes.begin()),
                          "UTF-16 did not round-trip");
                }
                if (encoding == feANSI) {
                    // Every byte of a single-byte page is a character and comes back.
                    Check(modTextEncoding::EncodeText(text, format) == std::vector<std::uint8_t>(bytes.begin(), bytes.end()),
                          "ANSI did not round-trip");
                }
                if (encoding == feUTF8 && bom == fbNoBOM) {
                    // Decoding is idempotent after one round: replacement characters stay.
                    const std::vector<std::uint8_t> again = modTextEncoding::EncodeText(text, format);
                    Check(modTextEncoding::DecodeText(again, format) == text, "UTF-8 re-decoding changed the text");
                }
                Collection list;
                modStandardListFileSupport::AddTextEntries(text, size > 1 ? u";" : u"", options & 1, options & 2, list);
                for (const auto& entry : list) Check(entry.find(u"\r\n") == std::u16string::npos, "CR LF inside an entry");
            }

    std::vector<std::uint8_t> swapped(bytes.begin(), bytes.end());
    try {
        modTextEncoding::SwapBytePairs(swapped);
        Check(size % 2 == 0, "odd swap did not fail");
    } catch (const AutomationError& e) {
        Check(e.Number == 9 && size % 2 == 1, "even swap failed");
    }

    std::size_t total = 0;
    for (const auto line : modStandardListFileSupport::SplitLineInput(bytes)) {
        Check(line.data() >= bytes.data() && line.data() + line.size() <= bytes.data() + size, "line outside input");
        for (const std::uint8_t b : line) Check(b != 0x0D, "CR inside a line");
        total += line.size();
    }
    Check(total <= size, "lines longer than the input");
    Collection list;
    modStandardListFileSupport::AddLineInputEntries(bytes, options & 4, u"#", options & 1, options & 2, list);
    return 0;
}
