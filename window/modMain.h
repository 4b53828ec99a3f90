// Start-up of the window program Tagscope: one argument opens the main window, anything
// else shows the usage box.
#pragma once

#include <string>

class AppServices;

namespace modMain {

// The path of the one argument; set before the main window is created.
extern std::u16string CommandLineFile;

// Start-up for the process arguments (argv as main received them, after Qt took its own
// options). Returns true when the main window is open: the caller then runs the event
// loop until the window closes. False when the usage box was shown and closed.
bool Main(int argc, const char* const* argv);

// With exactly one argument stores it in CommandLineFile and shows the main window
// (true); otherwise shows the usage box (false).
bool ProcessCommandLine();

// The information message box: program information, a blank line, and
// "Usage: <program>[.EXE] FileName".
void ShowUsage();

// The argument list and program name of this run; valid after Main.
AppServices& Services();

}  // namespace modMain
