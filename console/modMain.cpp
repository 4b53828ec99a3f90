// Start-up of the console program: one argument gives a report, anything else the usage text.
#include "console/modMain.h"

#include <memory>
#include <vector>

#include "console/modAppInfo.h"
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
    return ProcessCommandLine();
}

int ProcessCommandLine()
{
    const CommandLineArgs args = g_appServices->Args();
    if (args.Count() != 1) {
        ShowUsage();
        return kExitUsage;
    }
    CommandLineFile = args.Item(0);
    std::u16string text;
    std::vector<std::uint8_t> data;
    modRPParse::BuildReparseReport(modRPParse::Frontend::Console, CommandLineFile, text, data);
    return data.empty() ? kExitNoData : kExitReport;
}

void ShowUsage()
{
    Console().WriteLine(modAppInfo::GetAppInfoText(true, true), false);
    Console().WriteLine(u"", false);
    Console().WriteLine(u"Usage: " + g_appServices->ExeName() + u"[.EXE] FileName", false);
}

}  // namespace modMain

namespace modRPParse {

void ShowReportMessage(const std::u16string& text)
{
    modMain::Console().WriteLine(text, false);
}

}  // namespace modRPParse
