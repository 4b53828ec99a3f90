// Start-up of the console program TagscopeC.
#pragma once

#include <string>

namespace modMain {

// Exit statuses: a report was printed; nothing could be read; the usage text was shown.
inline constexpr int kExitReport = 0;
inline constexpr int kExitNoData = 1;
inline constexpr int kExitUsage = 2;

// The path of the one argument; set once before the report is built.
extern std::u16string CommandLineFile;

int Main(int argc, const char* const* argv);
int ProcessCommandLine();
void ShowUsage();

}  // namespace modMain
