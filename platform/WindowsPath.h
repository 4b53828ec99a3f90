// Windows names as the wide system calls take them: the absolute form that
// GetFullPathNameW makes of any name, and the "\\?\" form that lets a long one through.
// Pure string work, built on every platform, so that its rules are tested on Linux too.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace platform::winpath {

// How Windows reads the start of a name. "\" and "/" both separate, except in a
// verbatim name.
enum class PathKind {
    Empty,
    Verbatim,         // "\\?\..." (backslashes only) or "\??\...": passed on untouched
    LocalDevice,      // "\\.\x", "//./x", "//?/x": the device namespace, normalised
    RootLocalDevice,  // "\\." or "\\?" alone
    Unc,              // "\\server\share\..."
    DriveAbsolute,    // "C:\..."
    DriveRelative,    // "C:name": relative to that drive's current folder
    Rooted,           // "\name": from the root of the current folder's drive or share
    Relative,         // "name"
};
PathKind KindOf(std::u16string_view name);

// Where relative names start. Asked only when a name needs it.
struct PathContext {
    // The process's current folder, absolute, as GetCurrentDirectoryW gives it.
    std::function<std::u16string()> currentDirectory;
    // The current folder kept for drive `letter` (Windows keeps one per drive in the
    // environment variable "=X:"); "" when there is none, which means its root.
    std::function<std::u16string(char16_t letter)> driveDirectory;
};

// The absolute, normalised form of `name`, as GetFullPathNameW makes it: "/" becomes
// "\", a run of separators one, "." and ".." components are resolved but never climb
// above the root ("C:\", "\\server\share", "\\.\"), a folder component loses one
// trailing ".", and the last component its trailing dots and spaces (unless the name
// ends with a separator). A verbatim name comes back unchanged, an empty one as "".
// Legacy device names in a folder ("C:\x\NUL") are not turned into "\\.\NUL": the
// system does that itself.
std::u16string FullPath(std::u16string_view name, const PathContext& context);

// The "\\?\" form of a full path: "\\?\C:\x" for "C:\x", "\\?\UNC\server\share\x" for
// "\\server\share\x", "\\?\x" for "\\.\x". A verbatim name is returned unchanged.
std::u16string LongForm(std::u16string_view fullPath);

// The plain form of a name the shell takes (it knows no "\\?\"): "C:\x" for "\\?\C:\x",
// "\\server\share" for "\\?\UNC\server\share"; any other name unchanged.
std::u16string PlainForm(std::u16string_view path);

// A full path this long or longer goes to the system in the "\\?\" form: in the plain
// form a folder's name may take at most MAX_PATH - 12 characters.
inline constexpr std::size_t kPlainPathLimit = 248;

// What a system call is handed the name for.
enum class PathUse {
    // A file call: a name whose full path is shorter than kPlainPathLimit goes as it
    // was given (the system resolves it the same way), a longer one in the "\\?\" form
    // of its full path.
    Call,
    // A call that looks for a bare name elsewhere than in the current folder (the
    // private-profile and version functions): the full path, in the "\\?\" form when
    // long.
    Absolute,
    // The shell (SHFileOperationW, SHGetFileInfoW), which takes no "\\?\" form: the
    // plain full path, however long.
    Shell,
};

// The name the wide system calls take for `name`, for `use`. A verbatim name is passed
// on untouched (in its plain form for the shell).
std::u16string SystemPathFor(std::u16string_view name, const PathContext& context, PathUse use);

}  // namespace platform::winpath
