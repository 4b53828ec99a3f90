// Start-up of the window program Tagscope.
#include "window/modMain.h"

#include <memory>
#include <vector>

#include "console/CommandLineOptions.h"
#include "console/TextOptions.h"
#include "console/modAppInfo.h"
#include "support/AppServices.h"
#include "window/Dialogs.h"
#include "window/Icons.h"
#include "window/frmMain.h"

namespace modMain {

std::u16string CommandLineFile;
std::optional<BrowseRequest> CommandLineBrowse;

namespace {
std::unique_ptr<AppServices> g_appServices;
}  // namespace

AppServices& Services()
{
    if (!g_appServices) g_appServices = std::make_unique<AppServices>(0, nullptr);
    return *g_appServices;
}

namespace {

CommandLineOptions::Parsed ParsedArgs()
{
    const CommandLineArgs args = Services().Args();
    std::vector<std::u16string> list;
    for (std::int32_t i = 0; i < args.Count(); ++i) list.push_back(args.Item(i));
    return CommandLineOptions::Parse(list, true);
}

// An unrecognised option, --help and --version are answered on the terminal: the exit
// status, or kWindowOpen when none of them was given.
int AnswerTextOptions(const CommandLineOptions::Parsed& parsed)
{
    ConsoleOutput out;
    switch (textoptions::Give(parsed, Services().ExeName(), true, out)) {
    case textoptions::Answer::BadOption: return kExitBadOption;
    case textoptions::Answer::Shown: return out.Close() == 0 ? 0 : kExitNoOutput;
    case textoptions::Answer::None: break;
    }
    return kWindowOpen;
}

}  // namespace

int TextOptions(int argc, const char* const* argv)
{
    g_appServices = std::make_unique<AppServices>(argc, argv);
    return AnswerTextOptions(ParsedArgs());
}

int Main(int argc, const char* const* argv)
{
    // Every window of the program carries the program's icon group.
    asSetWindowResIconAll(nullptr, u"A_MAIN");
    g_appServices = std::make_unique<AppServices>(argc, argv);
    return ProcessCommandLine();
}

int ProcessCommandLine()
{
    const CommandLineOptions::Parsed parsed = ParsedArgs();
    if (const int status = AnswerTextOptions(parsed); status != kWindowOpen) return status;
    CommandLineBrowse.reset();
    const bool browse = parsed.image || parsed.list;
    if (parsed.image && parsed.names.size() <= 1) {
        CommandLineBrowse = BrowseRequest{false, *parsed.image, parsed.partition,
                                          parsed.names.empty() ? std::u16string() : parsed.names.front()};
    } else if (parsed.list && parsed.names.size() == 1) {
        CommandLineBrowse = BrowseRequest{true, parsed.names.front(), parsed.partition, {}};
    } else if (!browse && parsed.open && parsed.names.empty()) {
        FileDialog dialog;
        if (!dialog.ShowOpen()) return 0;
        CommandLineFile = dialog.FileName;
    } else if (!browse && parsed.names.size() == 1) {
        CommandLineFile = parsed.names.front();
    } else {
        ShowUsage();
        return 0;
    }
    frmMain::Instance().show();
    return kWindowOpen;
}

void ShowUsage()
{
    esMsgBoxEx(modAppInfo::GetAppInfoText(false, true) + u"\r\n\r\nUsage: " + Services().ExeName() +
                   u"[.EXE] FileName",
               kMsgInformation, u"", u"A_MAIN", nullptr);
}

}  // namespace modMain
