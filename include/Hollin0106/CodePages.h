// The code pages the library's ANSI and OEM texts use, and how a program overrides them.
#pragma once

#include <cstdint>

#include <Hollin0106/Export.h>

namespace Hollin0106 {

// The ANSI and OEM code pages in use: those set by SetHostCodePages, else the ones Windows
// would assign to the language of the user's locale (ru_RU gives 1251 and 866, en_US 1252
// and 437).
HOLLIN0106_API std::uint32_t HostAnsiCodePage();
HOLLIN0106_API std::uint32_t HostOemCodePage();

// Replaces the ANSI and OEM code pages for this process; 0 returns that one to the
// locale's. Raises AutomationError 5 for a code page that cannot be converted, and then
// changes neither.
HOLLIN0106_API void SetHostCodePages(std::uint32_t ansiCodePage, std::uint32_t oemCodePage);

}  // namespace Hollin0106
