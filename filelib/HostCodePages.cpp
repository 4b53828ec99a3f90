// The library's public code-page calls, over the support library's code-page state.
#include <Hollin0106/CodePages.h>

#include "support/codepages/CodePages.h"

namespace Hollin0106 {

std::uint32_t HostAnsiCodePage()
{
    return codepages::HostAnsiCodePage();
}

std::uint32_t HostOemCodePage()
{
    return codepages::HostOemCodePage();
}

void SetHostCodePages(std::uint32_t ansiCodePage, std::uint32_t oemCodePage)
{
    codepages::SetHostCodePages(ansiCodePage, oemCodePage);
}

}  // namespace Hollin0106
