// Version resources of executable files: the service the version classes read through.
// Windows: the system's version functions (version.dll, VersionSource_win32.cpp). Elsewhere,
// where there are none: the library's own reading of the executable's resources and walk
// of the block (VersionSource_portable.cpp), with the same answers.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace version {

// The version information of the file `path`, as GetFileVersionInfoSize sizes it and
// GetFileVersionInfo fills it: the VS_VERSIONINFO block (Windows adds room of its own
// after it). ENODATA (ERROR_RESOURCE_TYPE_NOT_FOUND and the like on Windows) when the
// file holds no version resource, or the system's error when it cannot be read. `info`
// is empty on failure.
std::error_code ReadVersionInfo(const std::u16string& path, std::vector<std::uint8_t>& info);

// The binary value of `subBlock` ("\" the fixed file information, "\VarFileInfo\Translation")
// in `info` as ReadVersionInfo gave it, as VerQueryValue answers: its bytes; nothing
// when the query fails.
std::optional<std::vector<std::uint8_t>> QueryBinaryValue(std::span<const std::uint8_t> info,
                                                          std::u16string_view subBlock);

// The text value of `subBlock` ("\StringFileInfo\040904B0\CompanyName") in full Unicode, up
// to its first zero; nothing when the query fails or the value's length is 0. A present
// but empty value (only its terminating zero) gives "".
std::optional<std::u16string> QueryTextValue(std::span<const std::uint8_t> info, std::u16string_view subBlock);

// The name of a Windows language identifier, as VerLanguageName gives it ("English
// (United States)").
std::u16string LanguageName(std::uint16_t languageId);

}  // namespace version
