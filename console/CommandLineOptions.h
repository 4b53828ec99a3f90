// The options both programs take before the entry's name, GNU style: --help, --version,
// "--" to end the options, the image and listing options (--image IMAGE, --partition N,
// --list), the window program's --open and the console program's --json.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace CommandLineOptions {

struct Parsed {
    bool help = false;
    bool version = false;
    bool open = false;                  // the window program only
    bool list = false;
    bool json = false;                  // the console program only
    std::optional<std::u16string> image;
    std::optional<std::int32_t> partition;
    std::vector<std::u16string> names;  // the arguments that are not options, in order
    std::u16string unknown;             // the first unrecognised option, "" when none
    // The first option given a value it cannot take, or used where it means nothing,
    // as the line that says so ("--partition needs a number from 1 up"); "" when none.
    std::u16string invalid;
};

// Splits the arguments (without the program itself). Options count only before the first
// name; after "--" every argument is a name. --image and --partition take the next
// argument as their value (or the text after "="); --partition only with --image or
// --list, and --image and --list not together. Any other argument that starts with "--" is
// an unrecognised option; an argument with one "-" ("-", "-style") is a name, so nothing
// that is no option of ours is taken away from the name.
Parsed Parse(const std::vector<std::u16string>& args, bool window);

// The --help text: the program information, the usage lines with `exeName`, what the
// program does and its options. Lines joined by CR LF.
std::u16string HelpText(const std::u16string& exeName, bool window);

// The two lines for an unrecognised option: "<exe>: unrecognized option '<option>'" and
// "Try '<exe> --help' for more information.", joined by CR LF.
std::u16string UnknownOptionText(const std::u16string& exeName, const std::u16string& option);

}  // namespace CommandLineOptions
