// The one exception type the library raises: a classic run-time error number with
// source, description and help reference, as automation clients expect them.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <system_error>

#include <Hollin0106/Export.h>

namespace Hollin0106 {

namespace errnum {
inline constexpr std::int32_t InvalidProcedureCall = 5;
inline constexpr std::int32_t SubscriptOutOfRange = 9;
inline constexpr std::int32_t TypeMismatch = 13;
inline constexpr std::int32_t BadFileName = 52;
inline constexpr std::int32_t FileNotFound = 53;
inline constexpr std::int32_t DeviceIOError = 57;
inline constexpr std::int32_t DiskFull = 61;
inline constexpr std::int32_t PermissionDenied = 70;
inline constexpr std::int32_t PathFileAccessError = 75;
inline constexpr std::int32_t PathNotFound = 76;
}  // namespace errnum

// Standard description of a run-time error number ("Type mismatch" for 13, ...);
// "Application-defined or object-defined error" for numbers without one.
HOLLIN0106_API std::u16string StandardErrorDescription(std::int32_t number);

class HOLLIN0106_API AutomationError : public std::runtime_error {
public:
    // Description defaults to the standard text of the number.
    AutomationError(std::int32_t number, std::u16string source,
                    std::u16string description = {}, std::u16string helpFile = {},
                    std::int32_t helpContext = 0);
    AutomationError(const AutomationError&) = default;
    AutomationError(AutomationError&&) = default;
    AutomationError& operator=(const AutomationError&) = default;
    AutomationError& operator=(AutomationError&&) = default;
    // Defined in the library, so that the class's vtable and type information exist once,
    // there: every module that raises or catches the error uses the same ones.
    ~AutomationError() override;

    std::int32_t Number;
    std::u16string Source;
    std::u16string Description;
    std::u16string HelpFile;
    std::int32_t HelpContext;
    // The operating system's own error behind a failed file operation; empty otherwise.
    std::error_code SystemError;
};

}  // namespace Hollin0106
