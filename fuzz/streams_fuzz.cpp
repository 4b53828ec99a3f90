// libFuzzer target: the backup stream walk over the input, and the wildcard matcher on a mask
// and a name taken from it (a byte n, n UTF-16LE units; a byte m, m units).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "platform/posix/WildcardMask.h"
#include "filelib/modStreamWalk.h"
#include "support/quovixsupport.h"

namespace {

std::u16string TakeUnits(std::span<const std::uint8_t>& in)
{
    if (in.empty()) return {};
    const std::size_t units = std::min<std::size_t>(in[0], (in.size() - 1) / 2);
    std::u16string out;
    for (std::size_t i = 0; i < units; ++i)
        out.push_back(static_cast<char16_t>(in[1 + 2 * i] | in[2 + 2 * i] << 8));
    in = in.subspan(1 + 2 * units);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> all(data, size);

    std::size_t total = 0;
    modStreamWalk::ByteSequenceSource source(all);
    modStreamWalk::WalkStreams(source, [&](const modStreamWalk::StreamHeader& h, std::span<const std::uint8_t> name) {
        if (h.NameSize > modStreamWalk::kNameBufferSize || name.size() != modStreamWalk::kNameBufferSize) std::abort();
        total += asGetStringFromPointerW(name).size();
    });
    if (total > size) std::abort();  // every name unit came from the input

    std::span<const std::uint8_t> rest = all;
    const std::u16string mask = TakeUnits(rest);
    const std::u16string name = TakeUnits(rest);
    const WildcardMask compiled(mask);
    const bool matches = compiled.Matches(name);
    if (compiled.MatchesEverything() && !matches) std::abort();
    // A mask without wildcards always matches the very name it spells.
    const WildcardMask itself(name);
    if (itself.IsLiteral() && !itself.Matches(name)) std::abort();
    if (WildcardMask(u"*").Matches(name) != true) std::abort();
    return 0;
}
