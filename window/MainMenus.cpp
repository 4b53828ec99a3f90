// The main window's menu bar.
#include "window/MainMenus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

QAction* AddItem(QMenu& menu, const QString& caption, const QList<QKeySequence>& shortcuts, bool enabled)
{
    QAction* action = menu.addAction(caption);
    action->setShortcuts(shortcuts);
    action->setEnabled(enabled);
    return action;
}

}  // namespace

MainMenus CreateMainMenus(QMenuBar& bar, QWidget& window)
{
    MainMenus m;
    using Keys = QList<QKeySequence>;

    QMenu* file = bar.addMenu(QStringLiteral("&File"));
    m.Main.File = file->menuAction();
    m.File.Open = AddItem(*file, QStringLiteral("&Open..."), {QKeySequence(Qt::CTRL | Qt::Key_O)}, true);
    m.File.OpenImage =
        AddItem(*file, QStringLiteral("Open &Image..."), {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)}, true);
    m.File.OpenFolder = AddItem(*file, QStringLiteral("Open &Folder..."), {}, true);
    m.File.Recent = file->addMenu(QStringLiteral("Recent &entries"));
    file->addSeparator();
    m.File.SaveOutputText = AddItem(*file, QStringLiteral("&Save output text as..."), {QKeySequence(Qt::Key_F2)}, false);
    m.File.SaveReparseData = AddItem(*file, QStringLiteral("Save reparse point &data as..."), {}, false);
    m.File.ExportList = AddItem(*file, QStringLiteral("Export &list..."), {QKeySequence(Qt::CTRL | Qt::Key_E)}, false);
    m.File.ExportShown = AddItem(*file, QStringLiteral("Export filtered &rows..."), {}, false);
    file->addSeparator();
    m.File.Exit = AddItem(*file, QStringLiteral("E&xit"), {QKeySequence(Qt::CTRL | Qt::Key_Q)}, true);

    QMenu* edit = bar.addMenu(QStringLiteral("&Edit"));
    m.Main.Edit = edit->menuAction();
    m.Edit.Copy = AddItem(*edit, QStringLiteral("&Copy"), {QKeySequence(Qt::CTRL | Qt::Key_C)}, false);
    m.Edit.SelectAll = AddItem(*edit, QStringLiteral("Select &All"), {QKeySequence(Qt::CTRL | Qt::Key_A)}, true);
    edit->addSeparator();
    m.Edit.Filter = AddItem(*edit, QStringLiteral("&Filter List"), {QKeySequence(Qt::CTRL | Qt::Key_F)}, false);

    QMenu* view = bar.addMenu(QStringLiteral("&View"));
    m.Main.View = view->menuAction();
    m.View.Reload = AddItem(*view, QStringLiteral("&Reload"), {QKeySequence(Qt::Key_F5)}, false);
    view->addSeparator();
    m.View.ZoomIn = AddItem(*view, QStringLiteral("Zoom &In"),
                            Keys{QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)}, true);
    m.View.ZoomOut = AddItem(*view, QStringLiteral("Zoom &Out"), {QKeySequence(Qt::CTRL | Qt::Key_Minus)}, true);
    m.View.NormalSize = AddItem(*view, QStringLiteral("&Normal Size"), {QKeySequence(Qt::CTRL | Qt::Key_0)}, true);

    QMenu* tools = bar.addMenu(QStringLiteral("&Tools"));
    m.Main.Tools = tools->menuAction();
    m.Tools.Settings = AddItem(*tools, QStringLiteral("&Settings..."), {}, false);

    m.Main.Version = bar.addAction(QStringLiteral("..."));
    m.Main.Version->setEnabled(false);

    QMenu* help = bar.addMenu(QStringLiteral("&Help"));
    m.Main.Help = help->menuAction();
    m.Help.Contents = AddItem(*help, QStringLiteral("&Contents..."), {QKeySequence(Qt::Key_F1)}, true);
    help->addSeparator();
    m.Help.About = AddItem(*help, QStringLiteral("&About..."), {QKeySequence(Qt::SHIFT | Qt::Key_F1)}, true);

    // F10 opens the first menu, as on other desktops.
    auto* toMenuBar = new QAction(&window);
    toMenuBar->setShortcut(QKeySequence(Qt::Key_F10));
    window.addAction(toMenuBar);
    QAction* first = m.Main.File;
    QObject::connect(toMenuBar, &QAction::triggered, &bar, [&bar, first] { bar.setActiveAction(first); });
    return m;
}
