// The "es" support functions: hexadecimal and GUID text, the byte dump, path handling
// and the file-system tests that the reader makes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <system_error>

// "0x" + 8 upper-case hex digits: 0xA000000C.
std::u16string esHexEx4(std::uint32_t value);
// "0x" + 4 upper-case hex digits: 0x000C.
std::u16string esHexEx2(std::uint16_t value);
// Exactly 4 upper-case hex digits: 04B0.
std::u16string esHex2(std::uint16_t value);

// The halves of a 32-bit value (words) and of a 16-bit value (bytes).
constexpr std::uint16_t esHiWord(std::uint32_t value) { return static_cast<std::uint16_t>(value >> 16); }
constexpr std::uint16_t esLoWord(std::uint32_t value) { return static_cast<std::uint16_t>(value & 0xFFFF); }
constexpr std::uint8_t esHiByte(std::uint16_t value) { return static_cast<std::uint8_t>(value >> 8); }
constexpr std::uint8_t esLoByte(std::uint16_t value) { return static_cast<std::uint8_t>(value & 0xFF); }

// {01234567-89AB-CDEF-0123-456789ABCDEF}: the first three groups little-endian (the
// Windows GUID byte order), upper case. Needs 16 bytes; raises error 5 on fewer.
std::u16string esStringFromGUID(std::span<const std::uint8_t> guid);

// 16 bytes a line: 4-digit offset, ": ", hex pairs (a short last line padded to full
// width), two spaces, printable ASCII or ".". Lines joined by CR LF, none at the end.
std::u16string esExpandByteBuffer2(std::span<const std::uint8_t> bytes);

// ---- Paths ----------------------------------------------------------------------

enum class PathStyle {
    Posix,    // "/" separates; "\" also separates in a relative part being resolved
    Windows,  // "\" and "/" separate; drive letters and UNC roots
};

#if defined(_WIN32)
inline constexpr PathStyle kNativePathStyle = PathStyle::Windows;
#else
inline constexpr PathStyle kNativePathStyle = PathStyle::Posix;
#endif

// Lexical normalisation: "." and ".." removed, repeated separators folded, no trailing
// separator except on a root. Never touches the file system.
std::u16string NormalizePath(std::u16string_view path, PathStyle style);

// Folder part without a trailing separator (a root keeps its separator); "" for a bare name.
std::u16string esGetFilePath(std::u16string_view path, PathStyle style = kNativePathStyle);
// Last component.
std::u16string esGetFileName(std::u16string_view path, PathStyle style = kNativePathStyle);

// `folder` and `name` joined by one separator: none is added after a folder that ends
// in one, and separators at the start of `name` are dropped. An empty folder gives
// `name`. The flag is accepted for the callers' form and has no effect.
std::u16string esBuildFileName(std::u16string_view folder, std::u16string_view name, bool flag = false,
                               PathStyle style = kNativePathStyle);

// Resolves `relative` against `baseFolder` and normalises; an absolute `relative` is only
// normalised. In the POSIX style "\" separates the components of the relative part too.
std::u16string esGetAbsoluteFileName(std::u16string_view relative, std::u16string_view baseFolder,
                                     PathStyle style = kNativePathStyle);

// The absolute, lexically normalised form of `path` against the current folder; links
// are never resolved. The flag is accepted for the callers' form and has no effect.
// Raises error 5 for an empty path.
std::u16string esGetFullFileName(std::u16string_view path, bool expand = true);

// ---- File-system tests (through the platform layer) -------------------------------

// True when the entry exists, tested without following a link.
bool esIsFileOrDirectoryExist(const std::u16string& path);
// True when the entry carries a reparse point.
bool esIsReparsePoint2(const std::u16string& path);
// True where reparse data can be read on this host.
bool esIsHostWinNT();

// ---- Files (through the platform layer) --------------------------------------------

// True when a failed look at an entry says that no such entry exists: missing, a
// file where a folder was needed, a name part too long, or links in a circle.
bool esIsNoSuchEntry(const std::error_code& ec);
// True when `path` names an existing entry that is not a directory (tested without
// following a link; an entry that may not be looked at counts as existing, so that
// opening it reports why it cannot be read).
bool esIsFileExist(const std::u16string& path);
// True when `path` names an existing directory (without following a link).
bool esIsDirectory(const std::u16string& path);
// The size in bytes of the file `path` names; raises the mapped error of
// esWin32ErrorToVBAErrorIO (source "qvxFSO") when it cannot be had.
double esGetFileSizeEx(const std::u16string& path);

// The run-time error number for a system error (errno on POSIX): ENOENT 53, or 76 when
// `path` is given and a folder of it is missing; ENOTDIR 76; EINVAL (a name holding a
// NUL) 52; EACCES, EPERM, EROFS,
// EISDIR and anything unlisted 75; ETXTBSY, EBUSY 70; ENOSPC, EDQUOT, EFBIG 61; EIO 57.
std::int32_t esWin32ErrorToVBAErrorIO(std::int32_t systemError, const std::u16string& path = {});

// ---- Dates -----------------------------------------------------------------------

// A file time (100 ns since 1601 UTC) as an automation date in local time, kept to the
// millisecond. False, with `date` unchanged, for a file time beyond 9999-12-31.
bool esFileTimeToVBDate(std::uint64_t fileTime, double& date);
// A local automation date as a file time. False, with `fileTime` unchanged, for a date
// before 1601-01-01 or after 9999-12-31 (and for NaN or an infinity).
bool esVBDateToFileTime(double date, std::uint64_t& fileTime);
