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

// Target system of a version resource (VS_FIXEDFILEINFO dwFileOS).
enum FileOS_Const : std::uint32_t {
    FileOS_Unknown = 0,
    FileOS_Windows16 = 0x1,
    FileOS_PM16 = 0x2,
    FileOS_PM32 = 0x3,
    FileOS_Windows32 = 0x4,
    FileOS_DOS = 0x10000,
    FileOS_DOS_Windows16 = 0x10001,
    FileOS_DOS_Windows32 = 0x10004,
    FileOS_OS216 = 0x20000,
    FileOS_OS216_PM16 = 0x20002,
    FileOS_OS232 = 0x30000,
    FileOS_OS232_PM32 = 0x30003,
    FileOS_NT = 0x40000,
    FileOS_NT_Windows32 = 0x40004,
};

// File type of a version resource (dwFileType).
enum FileType_Const : std::uint32_t {
    FileType_Unknown = 0,
    FileType_App = 1,
    FileType_DLL = 2,
    FileType_Drv = 3,
    FileType_Font = 4,
    FileType_VXD = 5,
    FileType_Static_Lib = 7,
};

// Subtype of a driver or font (dwFileSubtype); driver and font subtypes share values.
enum FileSubType_Const : std::uint32_t {
    FileSubType_Unknown = 0,
    FileSubType_Drv_Printer = 1,
    FileSubType_Drv_KeyBoard = 2,
    FileSubType_Drv_Language = 3,
    FileSubType_Drv_Display = 4,
    FileSubType_Drv_Mouse = 5,
    FileSubType_Drv_Network = 6,
    FileSubType_Drv_System = 7,
    FileSubType_Drv_Installable = 8,
    FileSubType_Drv_Sound = 9,
    FileSubType_Drv_COMM = 10,
    FileSubType_Drv_InputMethod = 11,
    FileSubType_Font_Raster = 1,
    FileSubType_Font_Vector = 2,
    FileSubType_Font_TrueType = 3,
};

}  // namespace Hollin0106
