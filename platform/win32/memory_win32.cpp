// Memory hints of the Win32 backend.
#include "platform/Memory.h"

namespace platform {

// Windows gives large pages only to memory allocated with MEM_LARGE_PAGES by a process
// holding the lock-pages privilege, never to heap memory after the fact: nothing to do.
void PrepareLargeFill(void*, std::size_t) {}

}  // namespace platform
