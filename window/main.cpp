// Entry point of Tagscope.
#include <QApplication>

#include "window/modMain.h"

int main(int argc, char** argv)
{
    // --help and --version need no display.
    if (const int status = modMain::TextOptions(argc, argv); status != modMain::kWindowOpen) return status;
    // Qt is given only the program's own name: every argument is the program's, so none
    // of Qt's options (-style, -platform, ...) can take an entry's name away.
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    QApplication::setOrganizationName(QStringLiteral("Quovix"));
    QApplication::setApplicationName(QStringLiteral("Tag Scope"));
    QApplication::setDesktopFileName(QStringLiteral("tagscope"));
    const int status = modMain::Main(argc, argv);
    if (status != modMain::kWindowOpen) return status;
    return QApplication::exec();
}
