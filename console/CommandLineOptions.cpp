// The options both programs take before the entry's name.
#include "console/CommandLineOptions.h"

#include "console/modAppInfo.h"

namespace CommandLineOptions {

Parsed Parse(const std::vector<std::u16string>& args, bool window)
{
    Parsed parsed;
    bool options = true;
    for (const std::u16string& arg : args) {
        if (options && arg == u"--") {
            options = false;
        } else if (options && arg == u"--help") {
            parsed.help = true;
        } else if (options && arg == u"--version") {
            parsed.version = true;
        } else if (options && window && arg == u"--open") {
            parsed.open = true;
        } else if (options && arg.starts_with(u"--")) {
            if (parsed.unknown.empty()) parsed.unknown = arg;
        } else {
            options = false;
            parsed.names.push_back(arg);
        }
    }
    return parsed;
}

std::u16string HelpText(const std::u16string& exeName, bool window)
{
    const std::u16string pad(7, u' ');  // under the name after "Usage: "
    std::u16string text = modAppInfo::GetAppInfoText(!window, true) + u"\r\n\r\nUsage: " + exeName +
                          u"[.EXE] FileName\r\n";
    if (window) text += pad + exeName + u" --open [FileName]\r\n";
    text += pad + exeName + u" --help | --version\r\n\r\n";
    text += window ? u"Shows in a window what the NTFS reparse point FileName holds, without following it.\r\n"
                   : u"Prints what the NTFS reparse point FileName holds, without following it.\r\n";
    text += u"\r\n";
    if (window) text += u"  --open     start with the Open dialog when no FileName is given\r\n";
    text += u"  --help     show this help and exit\r\n"
            u"  --version  show the version and copyright and exit\r\n"
            u"  --         end of the options: the next argument is the FileName, even if it starts with \"--\"";
    return text;
}

std::u16string UnknownOptionText(const std::u16string& exeName, const std::u16string& option)
{
    return exeName + u": unrecognized option '" + option + u"'\r\nTry '" + exeName + u" --help' for more information.";
}

}  // namespace CommandLineOptions
