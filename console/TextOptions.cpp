// The answers of both programs to a bad option, --help and --version.
#include "console/TextOptions.h"

#include <cstdio>

#include "common/Utf16.h"
#include "console/modAppInfo.h"
#include "support/AppServices.h"

namespace textoptions {

Answer Give(const CommandLineOptions::Parsed& parsed, const std::u16string& exeName, bool window, ConsoleOutput& out)
{
    if (!parsed.unknown.empty() || !parsed.invalid.empty()) {
        const std::u16string text = !parsed.unknown.empty()
                                        ? CommandLineOptions::UnknownOptionText(exeName, parsed.unknown)
                                        : exeName + u": " + parsed.invalid + u"\nTry '" + exeName +
                                              u" --help' for more information.";
        std::fprintf(stderr, "%s\n", ToUtf8(text).c_str());
        return Answer::BadOption;
    }
    if (!parsed.help && !parsed.version) return Answer::None;
    out.WriteLine(parsed.help ? CommandLineOptions::HelpText(exeName, window)
                              : modAppInfo::GetAppInfoText(!window, true),
                  false);
    return Answer::Shown;
}

}  // namespace textoptions
