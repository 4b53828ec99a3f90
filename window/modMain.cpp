// Start-up of the window program Tagscope: one argument opens the main window, anything
// else shows the usage box.
#include "window/modMain.h"

#include <memory>

#include "console/modAppInfo.h"
#include "support/AppServices.h"
#include "window/WindowServices.h"
#include "window/frmMain.h"

namespace modMain {

std::u16string CommandLineFile;

namespace {
std::unique_ptr<AppServices> g_appServices;
}  // namespace

AppServices& Services()
{
    if (!g_appServices) g_appServices = std::make_unique<AppServices>(0, nullptr);
    return *g_appServices;
}

bool Main(int argc, const char* const* argv)
{
    // Every window of the program carries the program's icon group.
    asSetWindowResIconAll(nullptr, u"A_MAIN");
    g_appServices = std::make_unique<AppServices>(argc, argv);
    return ProcessCommandLine();
}

bool ProcessCommandLine()
{
    const CommandLineArgs args = Services().Args();
    if (args.Count() != 1) {
        ShowUsage();
        return false;
    }
    CommandLineFile = args.Item(0);
    frmMain::Instance().show();
    return true;
}

void ShowUsage()
{
    esMsgBoxEx(modAppInfo::GetAppInfoText(false, true) + u"\r\n\r\nUsage: " + Services().ExeName() +
                   u"[.EXE] FileName",
               kMsgInformation, u"", u"A_MAIN", nullptr);
}

}  // namespace modMain
