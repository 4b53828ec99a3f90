// Memory hints of the POSIX backend: large pages for a long buffer about to be filled.
#include "platform/Memory.h"

#include <sys/mman.h>

#include <cstdint>

namespace platform {

void PrepareLargeFill(void* memory, std::size_t bytes)
{
#ifdef MADV_HUGEPAGE
    // Filling fresh memory costs a page fault and a cleared page every 4 KiB; for a
    // text of a hundred megabytes that is as much time as reading its file. With
    // transparent huge pages in "madvise" mode (the kernel's setting on our machines
    // and CI) only ranges marked MADV_HUGEPAGE get 2 MiB pages; in "always" mode they
    // get them anyway, in "never" mode not at all. The mark goes on the 2 MiB-aligned interior of the
    // range only, so no byte outside it changes its pages; the memory stays the
    // allocator's, and freeing it undoes the mark. An error (an older kernel, huge pages
    // off) leaves the ordinary pages, which is all a hint can promise.
    constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
    constexpr std::size_t kLeast = 4 * kHugePage;
    if (bytes < kLeast) return;
    const auto begin = reinterpret_cast<std::uintptr_t>(memory);
    const std::uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t last = (begin + bytes) & ~(kHugePage - 1);
    if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
    (void)memory;
    (void)bytes;
#endif
}

}  // namespace platform
