// libFuzzer target: the backup stream walk over the input, and the wildcard matcher on a mask
// and a name taken from it (a byte n, n UTF-16LE units; a byte m, m units).
#include <algorithm>
#include <span>
#include <string>

#include "FuzzCheck.h"
#include "filelib/modStreamWalk.h"
#include "platform/posix/WildcardMask.h"

static std::u16string TakeUnits(std::span<const std::uint8_t>& in)
{
    if (in.empty()) return {};
    const std::size_t units = std::min<std::size_t>(in[0], (in.size() - 1) / 2);
    std::u16string out;
    for (std::size_t i = 0; i < units; ++i) out.push_back(static_cast<char16_t>(in[1 + 2 * i] | in[2 + 2 * i] << 8));
    in = in.subspan(1 + 2 * units);
    return out;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::span<const std::uint8_t> rest(data, size);
    modStreamWalk::ByteSequenceSource source(rest);
    modStreamWalk::WalkStreams(source, [](const modStreamWalk::StreamHeader& h, std::span<const std::uint8_t>) {
        Check(h.NameSize <= modStreamWalk::kNameBufferSize, "a name larger than its buffer");
    });
    const std::u16string mask = TakeUnits(rest);
    const std::u16string name = TakeUnits(rest);
    Check(!WildcardMask(mask).MatchesEverything() || WildcardMask(mask).Matches(name), "a match-all mask failed");
    Check(!WildcardMask(name).IsLiteral() || WildcardMask(name).Matches(name), "a literal mask missed its own name");
    return 0;
}
