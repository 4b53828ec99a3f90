// The options both programs answer with text instead of their work: an unrecognised or
// misused option, --help and --version.
#pragma once

#include <string>

#include "console/CommandLineOptions.h"

class ConsoleOutput;

namespace textoptions {

enum class Answer {
    None,       // the arguments ask for the program's work
    BadOption,  // an unrecognised option or a bad value, told on standard error
    Shown,      // the help or the version text, written to the output
};

// Answers what `parsed` asks for that is text: the first unrecognised option, else the
// first option with a value it cannot take (each on standard error with a pointer to
// --help), else --help or --version (the window program's forms with `window`) on `out`.
Answer Give(const CommandLineOptions::Parsed& parsed, const std::u16string& exeName, bool window, ConsoleOutput& out);

}  // namespace textoptions
