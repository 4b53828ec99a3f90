// The fixed fields of a reparse buffer, decoded once so that a printer never reads offsets
// of its own. Layouts: Microsoft's REPARSE_DATA_BUFFER and REPARSE_GUID_DATA_BUFFER.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include <Hollin0106/Export.h>

namespace Hollin0106 {

inline constexpr std::uint32_t kReparseTagMountPoint = 0xA0000003;
inline constexpr std::uint32_t kReparseTagSymlink = 0xA000000C;
inline constexpr std::uint32_t kReparseTagLxSymlink = 0xA000001D;

// Offsets and lengths (in bytes, from the start of the path area) of the two names of a
// mount point or symbolic link.
struct ReparseNameFields {
    std::uint16_t SubstituteOffset = 0;
    std::uint16_t SubstituteLength = 0;
    std::uint16_t PrintOffset = 0;
    std::uint16_t PrintLength = 0;
};

// A field is empty when the bytes end before it, or when the tag's layout has no such field.
struct ReparseHeader {
    std::uint32_t Tag = 0;                                 // offset 0
    std::optional<std::uint16_t> DataLength;               // offset 4: bytes after the 8-byte header
    std::optional<std::uint16_t> Reserved;                 // offset 6
    std::optional<std::array<std::uint8_t, 16>> Guid;      // offset 8, tags with bit 31 clear
    std::optional<ReparseNameFields> Names;                // offset 8, mount points and symbolic links
    std::optional<std::uint32_t> SymlinkFlags;             // offset 16, symbolic links (bit 0: relative)
    std::optional<std::uint32_t> LxVersion;                // offset 8, LX symlinks

    // Bit 31: the buffer has Microsoft's layout; clear, the GUID layout.
    bool IsMicrosoft() const { return (Tag & 0x80000000u) != 0; }
};

// Decodes the fixed fields of `data`; empty when fewer than 4 bytes hold no tag. Never
// reads past the end of `data`.
HOLLIN0106_API std::optional<ReparseHeader> DecodeReparseHeader(std::span<const std::uint8_t> data);

}  // namespace Hollin0106
