// Start-up of the console program TagscopeC.
#pragma once

#include <string>

namespace modMain {

// Exit statuses: a report was printed; nothing could be read; the usage text was shown;
// standard output could not be written (whatever the program had to say).
inline constexpr int kExitReport = 0;
inline constexpr int kExitNoData = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitOutputFailed = 3;

// The path of the one argument; set once before the report is built.
extern std::u16string CommandLineFile;

int Main(int argc, const char* const* argv);
int ProcessCommandLine();
// Closes standard output: `status` when everything reached it, else one line on standard
// error and kExitOutputFailed.
int FinishOutput(int status);
void ShowUsage();

}  // namespace modMain
