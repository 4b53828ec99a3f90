// Starts the window program as Tagscope does and saves a picture of its main window once
// it has shown its report, and its list when it lists a volume:
//     tagscope_screenshot <path> <picture.png>
//     tagscope_screenshot --image IMAGE [PATH] <picture.png>     (any of Tagscope's arguments)
// Under X (Xvfb) the picture is what the X server shows of the window.
#include <QApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <vector>

#include "window/frmMain.h"
#include "window/modMain.h"

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: tagscope_screenshot <Tagscope's arguments> <picture.png>\n");
        return 2;
    }
    const QString picture = QString::fromLocal8Bit(argv[argc - 1]);
    std::vector<const char*> programArgs{"Tagscope"};
    for (int i = 1; i < argc - 1; ++i) programArgs.push_back(argv[i]);
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quovix"));
    QApplication::setApplicationName(QStringLiteral("Tag Scope"));
    if (modMain::Main(static_cast<int>(programArgs.size()), programArgs.data()) != modMain::kWindowOpen) return 1;

    // The report is built, or the listing started, on the window's first timer tick, after
    // the event loop starts. A listing without an entry named shows no report.
    const std::optional<modMain::BrowseRequest> browse = modMain::CommandLineBrowse;
    bool reportDone = browse && browse->VolumePath.empty();
    bool listingDone = !browse;
    if (frmMain* window = frmMain::Existing()) {
        QObject::connect(window, &frmMain::reportShown, [&reportDone] { reportDone = true; });
        QObject::connect(window, &frmMain::listingFinished, [&listingDone] { listingDone = true; });
    }

    int result = 1;
    QTimer poll;
    poll.setInterval(50);
    int settledTicks = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        frmMain* window = frmMain::Existing();
        if (window == nullptr) {
            QApplication::exit(1);
            return;
        }
        const bool exposed = window->windowHandle() != nullptr && window->windowHandle()->isExposed();
        // A few quiet ticks after the report let the last paint reach the screen.
        if (!reportDone || !listingDone || !exposed || ++settledTicks < 6) return;
        poll.stop();
        QPixmap shot;
        if (QGuiApplication::platformName() == QStringLiteral("xcb"))
            shot = window->screen()->grabWindow(window->winId());
        if (shot.isNull()) shot = window->grab();
        if (shot.save(picture, "PNG")) {
            std::printf("%s\n", qPrintable(picture));
            result = 0;
        } else {
            std::fprintf(stderr, "tagscope_screenshot: can't write %s\n", qPrintable(picture));
        }
        window->close();
    });
    poll.start();
    QApplication::exec();
    return result;
}
