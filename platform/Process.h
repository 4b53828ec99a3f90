// The process: its arguments, its console, its folder and the user's locale.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The program's command line in full Unicode, the program name first. POSIX: `argv` as
// the system's bytes (FromNativePath). Windows: the wide command line; `argv` there
// holds the ANSI form, which loses characters outside the code page, and is not used.
std::vector<std::u16string> ProgramArguments(int argc, const char* const* argv);

// Shows `text` in the console window that standard output is, when it is one (Windows:
// WriteConsoleW, so every character shows whatever the console's code page). False
// when standard output is no console window (a file, a pipe; always on POSIX) or the
// console refuses the text: the caller then writes the bytes itself.
bool WriteConsoleText(std::u16string_view text);

// The current working folder, or "" when it cannot be had.
std::u16string CurrentDirectory();

// The name of the user's locale for character handling ("ru_RU.UTF-8", "C"): on POSIX
// the first set of LC_ALL, LC_CTYPE and LANG, "C" when none is. Never fails.
std::string UserLocaleName();

// The user's interface language as a Windows language identifier (0x0407 German
// (Germany)), the language in which the Windows resource functions look for a resource
// first. Windows: GetUserDefaultUILanguage. POSIX: the first set of LANGUAGE (its first
// entry; only when the messages locale is not "C"), LC_ALL, LC_MESSAGES and LANG, as
// gettext picks the language of messages, mapped through ICU ("de_AT.UTF-8" 0x0C07, "de"
// its likeliest country's 0x0407); English (United States) 0x0409 for "C", "POSIX", none
// set, or a name that maps to no identifier. Never fails.
std::uint16_t UserInterfaceLanguage();

}  // namespace platform
