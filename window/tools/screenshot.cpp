// Starts the window program's main window on one path, as Tagscope does, and saves a
// picture of it once the report is shown: tagscope_screenshot <path> <picture.png>.
// Under X (Xvfb) the picture is what the X server shows of the window.
#include <QApplication>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <cstdio>

#include "window/frmMain.h"
#include "window/modMain.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quovix"));
    QApplication::setApplicationName(QStringLiteral("Tag Scope"));
    if (argc != 3) {
        std::fprintf(stderr, "usage: tagscope_screenshot <path> <picture.png>\n");
        return 2;
    }
    const QString picture = QString::fromLocal8Bit(argv[2]);
    const char* programArgs[] = {"Tagscope", argv[1]};
    if (modMain::Main(2, programArgs) != modMain::kWindowOpen) return 1;

    // The report is built on the window's first timer tick, after the event loop starts.
    bool reportDone = false;
    if (frmMain* window = frmMain::Existing())
        QObject::connect(window, &frmMain::reportShown, [&reportDone] { reportDone = true; });

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
        if (!reportDone || !exposed || ++settledTicks < 6) return;
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
