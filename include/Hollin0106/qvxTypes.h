// Enumerations of the library's public interface.
#pragma once

#include <cstdint>

namespace Hollin0106 {

// Result codes of the reparse-point reader.
enum SymlinkTargetError_Const : std::int32_t {
    steSuccess = 0,
    setCreateFileFailed = 1,
    setDeviceIOControlFailed = 2,
    setUnsupportedReparseTag = 3,
    setFileNotFound = 4,
    setUnsupportedOS = 5,
    setNotSymlink = 6,
    setInvalidReparseDataSize = 7,
    setInvalidReparseStringSize = 8,
    setInvalidLXSymlinkVersion = 9,
};

// How a text is stored as bytes. The Auto values take the format from the file (readers,
// appending) or the writer's default.
enum FileEncoding_Const : std::int32_t {
    feAuto = 0,
    feANSI = 1,   // the host's ANSI code page; never a byte-order mark
    feUTF8 = 2,
    feUTF16 = 3,  // 16-bit code units
};

enum FileBOM_Const : std::int32_t {
    fbAuto = 0,
    fbNoBOM = 1,
    fbBOM = 2,  // EF BB BF for UTF-8, U+FEFF for UTF-16; ignored with feANSI
};

enum InvertBytes_Const : std::int32_t {
    ibAuto = 0,
    ibDontInvertBytes = 1,  // UTF-16 low byte first (little-endian)
    ibInvertBytes = 2,      // the bytes of every code unit exchanged: big-endian UTF-16
};

// Security zones of a file's Zone.Identifier stream.
enum FileZone_Const : std::int32_t {
    fzLocalMachine = 0,
    fzLocalIntranet = 1,
    fzSafeSites = 2,
    fzInternet = 3,
    fzRestrictedSites = 4,
};

// Compression states and formats of a file or directory.
enum CompressionFormat_Const : std::int32_t {
    cfError = -1,  // the state could not be read
    cfNone = 0,
    cfDefault = 1,
    cfLZNT1 = 2,
};

}  // namespace Hollin0106
