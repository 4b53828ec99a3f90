// Start-up of the window program Tagscope: one name opens the main window on it, --open
// without one asks for it first, --image and --list open it on a listing, --help and
// --version print and end, and anything else shows the usage box.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class AppServices;

namespace modMain {

// The path of the entry shown; set before the main window is created, and changed when
// the window opens another entry.
extern std::u16string CommandLineFile;

// What --image or --list asks the window to list instead of one entry's report.
struct BrowseRequest {
    // --image: an image's volume, with the entry VolumePath shown when one is given;
    // --list: an image's volume, or the tree below a folder.
    bool List = false;
    std::u16string Path;
    std::optional<std::int32_t> Partition;
    std::u16string VolumePath;
};
// Set by the start-up when --image or --list was given; the main window takes it.
extern std::optional<BrowseRequest> CommandLineBrowse;

// What Main returns when the main window is open: the caller then runs the event loop
// until the window closes. Any other value is the program's exit status.
inline constexpr int kWindowOpen = -1;
// The exit statuses for an unrecognised or misused option and for --help or --version
// text that could not be written, as TagscopeC has them.
inline constexpr int kExitBadOption = 2;
inline constexpr int kExitNoOutput = 3;

// Answers an unrecognised or misused option, --help and --version on the terminal, before
// any window system is needed: the exit status, or kWindowOpen when the start-up goes on to Main.
int TextOptions(int argc, const char* const* argv);

// Start-up for the process arguments (argv as main received them). Returns kWindowOpen
// or the exit status (0 after the usage box, --help, --version or a cancelled Open dialog).
int Main(int argc, const char* const* argv);

// Takes the options and the name from the argument list; see Main.
int ProcessCommandLine();

// The information message box: program information, a blank line, and
// "Usage: <program>[.EXE] FileName".
void ShowUsage();

// The argument list and program name of this run; valid after Main.
AppServices& Services();

}  // namespace modMain
