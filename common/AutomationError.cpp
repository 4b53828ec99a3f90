// Run-time error numbers and their standard descriptions.
#include <Hollin0106/AutomationError.h>

#include <array>
#include <utility>

#include "common/Utf16.h"

namespace Hollin0106 {

std::u16string StandardErrorDescription(std::int32_t number)
{
    static constexpr std::array<std::pair<std::int32_t, const char16_t*>, 10> kTexts{{
        {errnum::InvalidProcedureCall, u"Invalid procedure call or argument"},
        {errnum::SubscriptOutOfRange, u"Subscript out of range"},
        {errnum::TypeMismatch, u"Type mismatch"},
        {errnum::BadFileName, u"Bad file name or number"},
        {errnum::FileNotFound, u"File not found"},
        {errnum::DeviceIOError, u"Device I/O error"},
        {errnum::DiskFull, u"Disk full"},
        {errnum::PermissionDenied, u"Permission denied"},
        {errnum::PathFileAccessError, u"Path/File access error"},
        {errnum::PathNotFound, u"Path not found"},
    }};
    for (const auto& [n, text] : kTexts)
        if (n == number) return text;
    return u"Application-defined or object-defined error";
}

AutomationError::AutomationError(std::int32_t number, std::u16string source,
                                 std::u16string description, std::u16string helpFile,
                                 std::int32_t helpContext)
    : std::runtime_error(ToUtf8(description.empty() ? StandardErrorDescription(number) : description)),
      Number(number),
      Source(std::move(source)),
      Description(description.empty() ? StandardErrorDescription(number) : std::move(description)),
      HelpFile(std::move(helpFile)),
      HelpContext(helpContext)
{
}

AutomationError::~AutomationError() = default;

}  // namespace Hollin0106
