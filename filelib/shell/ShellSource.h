// The shell's answers about one file, asked the way SHGetFileInfo is asked: one query per
// flag set, each answer in a record and the query's result. On Windows the Windows shell
// answers (ShellSource_win32.cpp). Linux has no such shell: the shell-information library
// answers there from Qt's MIME database and the installed icon themes
// (ShellSource_qt.cpp), so that only programs that ask for shell information load Qt.
#pragma once

#include <cstdint>
#include <string>
#include <system_error>
#include <vector>

namespace shell {

// Query flags, in the values of the Windows shell's SHGFI_* flags.
inline constexpr std::uint32_t kShellIcon = 0x100;           // an icon picture and its index
inline constexpr std::uint32_t kShellDisplayName = 0x200;
inline constexpr std::uint32_t kShellTypeName = 0x400;
inline constexpr std::uint32_t kShellAttributes = 0x800;     // SFGAO_* bits
inline constexpr std::uint32_t kShellIconLocation = 0x1000;  // the file holding the icon, as display name
inline constexpr std::uint32_t kShellExeType = 0x2000;       // the executable type, as the result
inline constexpr std::uint32_t kShellSysIconIndex = 0x4000;  // the index; the image list as the result
inline constexpr std::uint32_t kShellLinkOverlay = 0x8000;   // with kShellIcon: the link arrow added
inline constexpr std::uint32_t kShellSelected = 0x10000;     // with kShellIcon: drawn selected
// With kShellIcon: which icon. Large is the default (no bit).
inline constexpr std::uint32_t kShellSmallIcon = 0x1;
inline constexpr std::uint32_t kShellOpenIcon = 0x2;
inline constexpr std::uint32_t kShellShellIconSize = 0x4;

// An icon as pixels: `width` x `height`, row by row from the top, 4 bytes each (red,
// green, blue, alpha; not premultiplied). Empty when there is none.
struct ShellPicture {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> rgba;
};

// What one query fills; only the fields of the query's flags are set, the others keep
// their values.
struct ShellRecord {
    ShellPicture icon;           // kShellIcon
    std::int32_t iconIndex = 0;  // kShellIcon, kShellSysIconIndex, kShellIconLocation
    std::uint32_t attributes = 0;
    std::u16string displayName;  // kShellDisplayName; kShellIconLocation: the icon's file
    std::u16string typeName;
};

// Asks the shell about the entry `path` with `flags` (one kind of answer per query). The
// result is 0 when the shell has no answer (the entry is missing, the name cannot name
// one, no icon can be had); otherwise the executable type for kShellExeType (0 for a
// file that is no program), the system image list's handle for kShellSysIconIndex, and
// non-zero for every other query.
std::uintptr_t ShellGetFileInfo(const std::u16string& path, std::uint32_t flags, ShellRecord& record);

// The icon shown for a file whose own icon cannot be had, small (16 x 16) or large
// (32 x 32). Never empty.
ShellPicture ShellDefaultIcon(bool small);

// `picture` encoded as a PNG file's bytes (8 bits a channel, with alpha). An error (and
// `png` empty) when the system's encoder fails or the picture's pixels do not match its
// size.
std::error_code EncodePng(const ShellPicture& picture, std::vector<std::uint8_t>& png);

}  // namespace shell
