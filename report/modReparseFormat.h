// The header block of the report: the fixed fields of a reparse buffer, printed from the
// decoded header and the names the reader decoded.
#pragma once

#include <cstdint>
#include <string>

#include <Hollin0106/ReparseHeader.h>

namespace modReparseFormat {

// The tag line block (labels 13 wide for Microsoft's layout, 14 for the GUID layout), the
// data length and reserved fields, then by layout: the GUID; the substitute and print
// names and the flags of mount points and symbolic links; the path and version of LX
// symlinks. Fields missing from the header are left out, as is an empty name. No line
// break at either end.
std::u16string FormatReparseHeader(const Hollin0106::ReparseHeader& header, const std::u16string& rawTarget,
                                   const std::u16string& printName, char16_t bullet);

// The flags word of a symbolic link: its hex text, a SYMLINK_FLAG_RELATIVE line for bit 0
// and one line with the remaining bits when any are set.
std::u16string FormatSymlinkFlags(std::uint32_t flags, int indent, char16_t bullet);

}  // namespace modReparseFormat
