// The walk over a backup stream sequence.
#include "filelib/modStreamWalk.h"

#include <array>

#include "common/ByteReader.h"

using Hollin0106::ByteReader;

namespace modStreamWalk {

std::size_t WalkStreams(IStreamSource& source,
                        const std::function<void(const StreamHeader&, std::span<const std::uint8_t>)>& onStream)
{
    std::size_t delivered = 0;
    for (;;) {
        std::array<std::uint8_t, kHeaderSize> raw{};
        std::size_t got = 0;
        if (!source.Read(raw.data(), raw.size(), got) || got != raw.size()) break;
        ByteReader r(raw);
        StreamHeader h;
        h.StreamID = r.u32le();
        h.Attributes = r.u32le();
        h.SizeLow = r.u32le();
        h.SizeHigh = r.u32le();
        h.NameSize = r.u32le();
        if (h.NameSize > kNameBufferSize) break;

        std::array<std::uint8_t, kNameBufferSize> name{};
        if (h.NameSize > 0 && (!source.Read(name.data(), h.NameSize, got) || got != h.NameSize)) break;
        onStream(h, name);
        ++delivered;
        source.Seek(static_cast<std::uint64_t>(h.SizeHigh) << 32 | h.SizeLow);
    }
    return delivered;
}

}  // namespace modStreamWalk
