// Entry point of Tagscope.
#include <QApplication>

#include "window/modMain.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quovix"));
    QApplication::setApplicationName(QStringLiteral("Tag Scope"));
    QApplication::setDesktopFileName(QStringLiteral("tagscope"));
    if (!modMain::Main(argc, argv)) return 0;
    return QApplication::exec();
}
