// Start-up of the console program: one argument gives a report, anything else the usage text.
#include "console/modMain.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "common/Utf16.h"
#include "console/CommandLineOptions.h"
#include "console/TextOptions.h"
#include "console/modAppInfo.h"
#include "console/modListing.h"
#include "report/modRPParse.h"
#include "support/AppServices.h"

namespace modMain {

std::u16string CommandLineFile;

namespace {

std::unique_ptr<AppServices> g_appServices;

ConsoleOutput& Console()
{
    static ConsoleOutput instance;
    return instance;
}

}  // namespace

int Main(int argc, const char* const* argv)
{
    g_appServices = std::make_unique<AppServices>(argc, argv);
    return FinishOutput(ProcessCommandLine());
}

int ProcessCommandLine()
{
    const CommandLineArgs args = g_appServices->Args();
    std::vector<std::u16string> list;
    for (std::int32_t i = 0; i < args.Count(); ++i) list.push_back(args.Item(i));
    const CommandLineOptions::Parsed parsed = CommandLineOptions::Parse(list, false);
    switch (textoptions::Give(parsed, g_appServices->ExeName(), false, Console())) {
    case textoptions::Answer::BadOption: return kExitUsage;
    case textoptions::Answer::Shown: return kExitReport;
    case textoptions::Answer::None: break;
    }
    if (parsed.names.size() != 1) {
        ShowUsage();
        return kExitUsage;
    }
    CommandLineFile = parsed.names.front();
    const modListing::Output out{Console(), g_appServices->ExeName()};
    if (parsed.list) return modListing::List(out, CommandLineFile, parsed.partition, parsed.json);
    if (parsed.image) return modListing::ImageReport(out, *parsed.image, parsed.partition, CommandLineFile, parsed.json);
    if (parsed.json) return modListing::JsonReport(out, CommandLineFile);
    std::u16string text;
    std::vector<std::uint8_t> data;
    modRPParse::BuildReparseReport(
        modRPParse::Frontend::Console, CommandLineFile,
        [](const std::u16string& message) { Console().WriteLine(message, false); }, text, data);
    return data.empty() ? kExitNoData : kExitReport;
}

int FinishOutput(int status)
{
    const int error = Console().Close();
    if (error == 0) return status;
    // A report that never arrived must not pass for one: a script reads the status.
    const std::string line = ToUtf8(g_appServices->ExeName()) + ": cannot write to standard output: " +
                             std::strerror(error) + "\n";
    std::fputs(line.c_str(), stderr);
    return kExitOutputFailed;
}

void ShowUsage()
{
    Console().WriteLine(modAppInfo::GetAppInfoText(true, true), false);
    Console().WriteLine(u"", false);
    Console().WriteLine(u"Usage: " + g_appServices->ExeName() + u"[.EXE] FileName", false);
}

}  // namespace modMain
