// The header block of the report: the fixed fields of a reparse buffer.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace modReparseFormat {

// Tags with bit 31 clear: tag, data length, reserved field and GUID, labels 14 wide.
// Fields that lie beyond the end of `data` are left out; with fewer than 4 bytes there is
// no tag to show and error 9 is raised.
std::u16string FormatGuidReparseBuffer(std::span<const std::uint8_t> data, char16_t bullet);

// Tags with bit 31 set: tag, data length and reserved field (labels 13 wide), then the
// names, flags and version of mount points, symbolic links and LX symlinks. The names
// come from the reader, never from the bytes; an empty name leaves its block out.
// `relative` is accepted for the callers' form; the flags word in the bytes is shown.
// No line break at either end. Error 9 with fewer than 4 bytes.
std::u16string FormatMicrosoftReparseBuffer(std::span<const std::uint8_t> data, const std::u16string& rawTarget,
                                            const std::u16string& printName, bool relative, char16_t bullet);

// The flags word of a symbolic link: its hex text, a SYMLINK_FLAG_RELATIVE line for bit 0
// and one line with the remaining bits when any are set.
std::u16string FormatSymlinkFlags(std::uint32_t flags, int indent, char16_t bullet);

}  // namespace modReparseFormat
