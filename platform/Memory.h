// Hints about memory the process is about to fill.
#pragma once

#include <cstddef>

namespace platform {

// A hint that the `bytes` bytes at `memory`, freshly allocated and not yet written, are
// about to be written from the front, most of them or all. A large range is backed by
// large pages where the system offers them on request (Linux: transparent huge pages),
// so that filling it takes one page fault every 2 MiB instead of one every 4 KiB. Never
// fails and never changes the content; a small range, or a system without the hint, is
// left as it is.
void PrepareLargeFill(void* memory, std::size_t bytes);

}  // namespace platform
