// Reading and decoding NTFS reparse points: the work behind qvxFSO::GetSymlinkTarget(Ex).
//
// Reparse buffer layouts (little-endian; offsets from the start of the buffer; n is the
// number of bytes returned). See Microsoft's "REPARSE_DATA_BUFFER" and
// "REPARSE_GUID_DATA_BUFFER" documentation and [MS-FSCC] 2.1.2.
//   common header   0: tag (4)  4: data length (2), bytes after the header  6: reserved (2)
//   GUID layout     8: GUID (16)  24: owner data             (tags with bit 31 clear)
//   mount point     8: subst. offset (2) 10: subst. length (2) 12: print offset (2)
//                   14: print length (2) 16: path area, UTF-16
//   symbolic link   as mount point, then 16: flags (4, bit 0 relative), 20: path area
//   LX symlink      8: version (4, must be 2) 12: UTF-8 target up to n
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include <Hollin0106/ReparseHeader.h>
#include <Hollin0106/qvxTypes.h>
#include "support/quovixsupportfbe.h"

namespace modReparsePoint {

inline constexpr std::uint32_t kTagMountPoint = Hollin0106::kReparseTagMountPoint;
inline constexpr std::uint32_t kTagSymlink = Hollin0106::kReparseTagSymlink;
inline constexpr std::uint32_t kTagLxSymlink = Hollin0106::kReparseTagLxSymlink;
// Size of the buffer the file system is asked to fill.
inline constexpr std::size_t kReparseBufferSize = 0x8000;

// What one read yields besides the result code. Every decoder resets nothing itself:
// GetReparsePointTarget resets all fields before it starts.
struct ReparseResult {
    std::u16string target;       // normalised target
    std::u16string rawTarget;    // substitute name, or the decoded LX target
    std::u16string printName;
    std::int32_t tag = 0;
    bool relative = false;
    std::vector<std::uint8_t> data;  // the bytes the file system returned
};

// The whole operation for one path: existence, host and reparse tests, open, read,
// validation, decoding and normalisation. `out` is reset first; see the result-code
// table of SymlinkTargetError_Const for which fields each outcome fills.
Hollin0106::SymlinkTargetError_Const GetReparsePointTarget(const std::u16string& path, ReparseResult& out);

// Opens the path without following it and reads its buffer into out.data, then decodes
// it. Code 1 when the open fails, 2 when the read fails (data stays empty); once bytes
// came back they stay in out.data whatever the decoders decide.
Hollin0106::SymlinkTargetError_Const ReadReparseData(const std::u16string& path, ReparseResult& out);

// Everything after a successful read, shared by every source of reparse bytes (the
// mounted entry, an NTFS image): validation and decoding of `data` (fewer than 4 bytes
// give code 7), then the normalised target, a relative one resolved against the folder
// of `linkPath` in `style`. `out.data` takes the bytes whatever the code; the other
// fields of `out` are expected fresh.
Hollin0106::SymlinkTargetError_Const DecodeReparseBuffer(std::vector<std::uint8_t> data,
                                                         const std::u16string& linkPath, PathStyle style,
                                                         ReparseResult& out);

// Decoders over the returned bytes. ParseReparseData writes the tag (the first 4 bytes,
// which the caller guarantees exist) and dispatches on it; code 3 for a tag it does not
// decode. The others fill rawTarget, printName and relative as far as the data allows.
Hollin0106::SymlinkTargetError_Const ParseReparseData(std::span<const std::uint8_t> data, ReparseResult& out);
Hollin0106::SymlinkTargetError_Const ParseMountPointData(std::span<const std::uint8_t> data, ReparseResult& out);
Hollin0106::SymlinkTargetError_Const ParseSymlinkData(std::span<const std::uint8_t> data, ReparseResult& out);
Hollin0106::SymlinkTargetError_Const ParseLxSymlinkData(std::span<const std::uint8_t> data, ReparseResult& out);

// Turns a stored target into a usable path: a volume-GUID root stays as it is, the
// network prefix "\??\UNC\" becomes "\\", the object-manager prefix "\??\" is dropped,
// and a relative target is resolved against the folder of the link.
std::u16string NormalizeTargetPath(const std::u16string& rawTarget, const std::u16string& linkPath,
                                   bool relative, PathStyle style = kNativePathStyle);

}  // namespace modReparsePoint
