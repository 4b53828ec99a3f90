// Text helpers that go through the host's ANSI and OEM code pages, and trimming.
#include "support/quovixsupport.h"

#include <Hollin0106/AutomationError.h>
#include "common/Utf16.h"
#include "support/codepages/CodePages.h"

using namespace Hollin0106;

namespace {

bool IsBlank(char16_t c)
{
    return c == u' ' || c == u'\t';
}

}  // namespace

std::vector<std::uint8_t> asStrConvB(std::u16string_view text)
{
    std::vector<std::uint8_t> out;
    codepages::Encode(text, codepages::HostAnsiCodePage(), out);
    return out;
}

std::u16string asStrConvW(std::span<const std::uint8_t> bytes)
{
    return codepages::Decode(bytes, codepages::HostAnsiCodePage());
}

std::string asUNICODEToUTF8(std::u16string_view text)
{
    return ToUtf8(text);
}

std::u16string asCutLeft(std::u16string_view text, std::int32_t count)
{
    if (count < 0) throw AutomationError(errnum::InvalidProcedureCall, u"quovixsupport");
    const auto n = static_cast<std::size_t>(count);
    return n >= text.size() ? std::u16string() : std::u16string(text.substr(n));
}

std::u16string asTrimEx(std::u16string_view text)
{
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    return std::u16string(text.substr(first, last - first));
}

std::u16string asOemToAnsi(std::u16string_view text)
{
    std::vector<std::uint8_t> bytes;
    codepages::Encode(text, codepages::HostAnsiCodePage(), bytes);
    return codepages::Decode(bytes, codepages::HostOemCodePage());
}

std::u16string asAnsiToOem(std::u16string_view text)
{
    std::vector<std::uint8_t> bytes;
    codepages::Encode(text, codepages::HostOemCodePage(), bytes);
    return codepages::Decode(bytes, codepages::HostAnsiCodePage());
}
