// What each system's implementation of the code-page service supplies besides the
// conversions of CodePages.h; only CodePages.cpp calls it.
#pragma once

#include <cstdint>

namespace codepages::backend {

// The ANSI and OEM code pages of the host when the process has chosen none.
std::uint32_t SystemAnsiCodePage();
std::uint32_t SystemOemCodePage();

}  // namespace codepages::backend
