// Start-up and the main window: the usage box, menus before and after a report, the
// progress texts, keys, closing while loading, caption, resizing and placement.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <optional>

#include "tests/window/WindowTestSupport.h"
#include "window/WindowServices.h"
#include "window/frmMain.h"
#include "window/modMain.h"

using namespace wintest;

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void usageInsteadOfWindow_data();
    void usageInsteadOfWindow();
    void menusAtStart();
    void menusAfterReport_data();
    void menusAfterReport();
    void progressTexts_data();
    void progressTexts();
    void closeRefusedWhileLoading();
    void helpKeys_data();
    void helpKeys();
    void keysThatDoNothing_data();
    void keysThatDoNothing();
    void closeCommands_data();
    void closeCommands();
    void caption_data();
    void caption();
    void resizeKeepsOutputBoxCovering();
    void centredWithoutStoredPlacement();
    void placementRestoredOnNextStart();
    void showMessageReplacesTextCaretAtStart();
    void programIconOnWindows();

private:
    QString JunctionPath() const { return wintest::JunctionPath(volume_); }
    QString PlainFile() const { return scratch_.filePath(QStringLiteral("plain.txt")); }

    testfs::NtfsVolume volume_;
    QString volumeProblem_;
    QTemporaryDir scratch_;
    std::optional<PrivateSettings> settings_;
};

void MainWindowTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QFile plain(PlainFile());
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.write("not a reparse point");
    plain.close();
    volumeProblem_ = QString::fromStdString(volume_.Mount());
    if (volumeProblem_.isEmpty()) volumeProblem_ = MakeJunction(volume_);
}

void MainWindowTest::init()
{
    settings_.emplace();
    modMain::CommandLineFile.clear();
}

void MainWindowTest::cleanup()
{
    DisposeMainWindow();
    settings_.reset();
}

void MainWindowTest::cleanupTestCase()
{
    DisposeMainWindow();
}

void MainWindowTest::usageInsteadOfWindow_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("no argument") << QStringList{};
    QTest::newRow("two arguments") << QStringList{"a", "b"};
}

void MainWindowTest::usageInsteadOfWindow()
{
    QFETCH(QStringList, args);
    ModalAnswerer answerer;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    answerer.Then([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (box == nullptr) return;
        text = box->text();
        icon = box->icon();
        box->button(QMessageBox::Ok)->click();
    });
    QCOMPARE(StartProgram(args), nullptr);
    QVERIFY(answerer.AllAnswered());
    QCOMPARE(answerer.Unexpected(), 0);
    QCOMPARE(frmMain::Existing(), nullptr);
    QCOMPARE(icon, QMessageBox::Information);
    QCOMPARE(text, QString::fromUtf8("Quovix - Tag Scope 1.00.0019\n"
                                     "Orla Venn 2025-2026. Dedicated to Dovra\n"
                                     "\n"
                                     "Usage: Tagscope[.EXE] FileName"));
}

void MainWindowTest::menusAtStart()
{
    struct Item {
        std::map<int, QAction*> frmMain::*menu;
        int index;
        const char* caption;
        QKeySequence shortcut;
        bool enabled;
    };
    const Item items[] = {
        {&frmMain::mnuMain, 1, "File", {}, true},
        {&frmMain::mnuFile, 1, "Save output text as...", QKeySequence(Qt::Key_F2), false},
        {&frmMain::mnuFile, 2, "Save reparse point data as...", {}, false},
        {&frmMain::mnuFile, 11, "Exit", QKeySequence(Qt::CTRL | Qt::Key_Q), true},
        {&frmMain::mnuMain, 2, "Tools", {}, true},
        {&frmMain::mnuTools, 1, "Settings...", {}, false},
        {&frmMain::mnuMain, 98, "v.1.0.19 ", {}, false},
        {&frmMain::mnuMain, 99, "Help", {}, true},
        {&frmMain::mnuHelp, 1, "Contents...", QKeySequence(Qt::Key_F1), true},
        {&frmMain::mnuHelp, 11, "About...", QKeySequence(Qt::SHIFT | Qt::Key_F1), true},
    };
    modMain::CommandLineFile = PlainFile().toStdU16String();
    frmMain& window = frmMain::Instance();  // loaded, not shown: the report has not started
    QVERIFY(!window.tmrLoad.isActive());
    for (const Item& item : items) {
        QAction* action = (window.*item.menu).at(item.index);
        QVERIFY2(action->text().startsWith(QString::fromUtf8(item.caption)), qPrintable(action->text()));
        QVERIFY2(action->shortcut() == item.shortcut, item.caption);
        QVERIFY2(action->isEnabled() == item.enabled, item.caption);
    }
    QVERIFY(window.mnuFile.at(10)->isSeparator());
    QVERIFY(window.mnuHelp.at(10)->isSeparator());
    // Top-level order: File, Tools, the version tag, Help; the last two at the right end.
    QList<QAction*> top;
    for (QAction* a : window.menuBar()->actions())
        if (!a->isSeparator()) top.append(a);
    QCOMPARE(top, (QList<QAction*>{window.mnuMain.at(1), window.mnuMain.at(2), window.mnuMain.at(98), window.mnuMain.at(99)}));
    window.show();
    // Shown: the report waits for the timer; the commands stay disabled until it is done.
    QVERIFY(window.tmrLoad.isActive());
    QCOMPARE(window.tmrLoad.interval(), 1);
    QVERIFY(!window.mnuFile.at(1)->isEnabled());
    QVERIFY(window.txtMain->toPlainText().isEmpty());
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QMenuBar* bar = window.menuBar();
    QVERIFY(bar->actionGeometry(window.mnuMain.at(99)).right() > bar->width() - 20);
    QVERIFY(bar->actionGeometry(window.mnuMain.at(98)).left() > bar->actionGeometry(window.mnuMain.at(2)).right() + 50);
}

void MainWindowTest::menusAfterReport_data()
{
    QTest::addColumn<bool>("reparsePoint");
    QTest::newRow("not a reparse point") << false;
    QTest::newRow("junction") << true;
}

void MainWindowTest::menusAfterReport()
{
    QFETCH(bool, reparsePoint);
    if (reparsePoint) WINTEST_SKIP_WITHOUT_VOLUME(volumeProblem_);
    frmMain* window = StartWithReport(reparsePoint ? JunctionPath() : PlainFile());
    QVERIFY(window != nullptr);
    QVERIFY(!window->tmrLoad.isActive());
    QVERIFY(!window->IsLoading);
    QVERIFY(window->mnuFile.at(1)->isEnabled());
    QCOMPARE(window->mnuFile.at(2)->isEnabled(), reparsePoint);
    QVERIFY(window->mnuTools.at(1)->isEnabled());
    if (reparsePoint) {
        QCOMPARE(window->ReportData.size(), std::size_t{144});
        QVERIFY(window->ReportText.starts_with(u"File name: " + JunctionPath().toStdU16String() + u"\r\n\r\n"));
    } else {
        QVERIFY(window->ReportData.empty());
        QCOMPARE(ToQString(window->ReportText),
                 PlainFile() + QStringLiteral("\r\n\r\nCan't read reparse point data: not a reparse point."));
    }
    // The box shows the same text with its own line breaks.
    QCOMPARE(window->txtMain->toPlainText(), ToDisplayText(window->ReportText));
    QVERIFY(window->txtMain->isReadOnly());
}

void MainWindowTest::progressTexts_data()
{
    QTest::addColumn<bool>("reparsePoint");
    QTest::newRow("nothing read") << false;
    QTest::newRow("data read") << true;
}

void MainWindowTest::progressTexts()
{
    QFETCH(bool, reparsePoint);
    if (reparsePoint) WINTEST_SKIP_WITHOUT_VOLUME(volumeProblem_);
    modMain::CommandLineFile = (reparsePoint ? JunctionPath() : PlainFile()).toStdU16String();
    frmMain& window = frmMain::Instance();
    QStringList shown;
    connect(&window, &frmMain::messageShown, this, [&](const QString& text) { shown.append(text); });
    window.show();
    QTRY_VERIFY(window.mnuTools.at(1)->isEnabled());
    QStringList expected{QStringLiteral("Reading reparse point...")};
    if (reparsePoint) expected << QStringLiteral("Parsing result data...");
    expected << ToDisplayText(window.ReportText);
    QCOMPARE(shown, expected);
}

void MainWindowTest::closeRefusedWhileLoading()
{
    modMain::CommandLineFile = PlainFile().toStdU16String();
    frmMain& window = frmMain::Instance();
    const QPointer<frmMain> guard(&window);
    QList<bool> closedDuringReport;
    connect(&window, &frmMain::messageShown, this, [&] { closedDuringReport.append(window.close()); });
    window.show();
    QTRY_VERIFY(window.mnuTools.at(1)->isEnabled());
    QCOMPARE(closedDuringReport, (QList<bool>{false, false}));
    QVERIFY(guard && window.isVisible());
    // Once the report is done the same request closes the window.
    QVERIFY(window.close());
    QTRY_VERIFY(guard.isNull());
}

void MainWindowTest::helpKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("helpItem");  // 0 = the key itself, else the Help item to trigger
    QTest::addColumn<bool>("about");
    QTest::newRow("F1 opens the read-me") << int(Qt::Key_F1) << int(Qt::NoModifier) << 0 << false;
    QTest::newRow("Contents... opens the read-me") << 0 << 0 << 1 << false;
    QTest::newRow("Shift+F1 shows the about box") << int(Qt::Key_F1) << int(Qt::ShiftModifier) << 0 << true;
    QTest::newRow("About... shows the about box") << 0 << 0 << 11 << true;
}

void MainWindowTest::helpKeys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, helpItem);
    QFETCH(bool, about);
    frmMain* window = StartWithReport(PlainFile());
    QVERIFY(window != nullptr);
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));

    UrlCatcher catcher;
    ModalAnswerer answerer;
    QString aboutTitle, aboutText;
    if (about) {
        answerer.Then([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (box == nullptr) return;
            aboutTitle = box->windowTitle();
            aboutText = box->text();
            box->button(QMessageBox::Ok)->click();
        });
    }
    if (helpItem != 0)
        window->mnuHelp.at(helpItem)->trigger();
    else
        QTest::keyClick(window->txtMain, static_cast<Qt::Key>(key), Qt::KeyboardModifiers(modifiers));

    QVERIFY(answerer.AllAnswered());
    QCOMPARE(answerer.Unexpected(), 0);
    if (about) {
        QVERIFY(catcher.opened.isEmpty());
        QCOMPARE(aboutTitle, QStringLiteral("About Tag Scope"));
        for (const char* part : {"Quovix - Tag Scope", "1.00.0019", "v.1.0.19", "Orla Venn 2025-2026. Dedicated to Dovra",
                                 "\xD0\x94\xD0\xBE\xD0\xB2\xD1\x80\xD0\xB0"})
            QVERIFY2(aboutText.contains(QString::fromUtf8(part)), part);
    } else {
        QCOMPARE(catcher.opened.size(), 1);
        const QString opened = catcher.opened.first().toLocalFile();
        QCOMPARE(QFileInfo(opened).fileName(), QStringLiteral("README.md"));
        QVERIFY(QFileInfo(opened).isFile());
    }
    QVERIFY(window->isVisible());
}

void MainWindowTest::keysThatDoNothing_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Shift+Escape") << int(Qt::Key_Escape) << int(Qt::ShiftModifier);
    QTest::newRow("Ctrl+Escape") << int(Qt::Key_Escape) << int(Qt::ControlModifier);
    QTest::newRow("Ctrl+F1") << int(Qt::Key_F1) << int(Qt::ControlModifier);
    QTest::newRow("Alt+F1") << int(Qt::Key_F1) << int(Qt::AltModifier);
    QTest::newRow("Ctrl+Shift+F1") << int(Qt::Key_F1) << int(Qt::ControlModifier | Qt::ShiftModifier);
    QTest::newRow("F3") << int(Qt::Key_F3) << int(Qt::NoModifier);
}

void MainWindowTest::keysThatDoNothing()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    frmMain* window = StartWithReport(PlainFile());
    QVERIFY(window != nullptr);
    const QPointer<frmMain> guard(window);
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
    UrlCatcher catcher;
    ModalAnswerer answerer;
    QTest::keyClick(window->txtMain, static_cast<Qt::Key>(key), Qt::KeyboardModifiers(modifiers));
    QCoreApplication::processEvents();
    QCOMPARE(answerer.Unexpected(), 0);
    QVERIFY(catcher.opened.isEmpty());
    QVERIFY(guard && guard->isVisible());
}

void MainWindowTest::closeCommands_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Escape") << "escape";
    QTest::newRow("Ctrl+Q") << "ctrl+q";
    QTest::newRow("Exit") << "exit";
    QTest::newRow("close box") << "close";
}

void MainWindowTest::closeCommands()
{
    QFETCH(QString, how);
    frmMain* window = StartWithReport(PlainFile());
    QVERIFY(window != nullptr);
    const QPointer<frmMain> guard(window);
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
    if (how == u"escape")
        QTest::keyClick(window->txtMain, Qt::Key_Escape);
    else if (how == u"ctrl+q")
        QTest::keyClick(window->txtMain, Qt::Key_Q, Qt::ControlModifier);
    else if (how == u"exit")
        window->mnuFile.at(11)->trigger();
    else
        window->close();
    QTRY_VERIFY(guard.isNull());
    // Unloading stored the placement and both colours.
    QVERIFY(!settings_->Value(QStringLiteral("Window placement")).isEmpty());
    QCOMPARE(settings_->Value(QStringLiteral("Out Box/Back Color")), QStringLiteral("16384"));
    QCOMPARE(settings_->Value(QStringLiteral("Out Box/Fore Color")), QStringLiteral("65280"));
}

void MainWindowTest::caption_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("expected");
    QTest::newRow("path") << "/mnt/ntfs/Links/data.lnk" << QString::fromUtf8("data.lnk \u2013 Tag Scope");
    QTest::newRow("empty argument") << "" << QString::fromUtf8("Untitled \u2013 Tag Scope");
}

void MainWindowTest::caption()
{
    QFETCH(QString, argument);
    QFETCH(QString, expected);
    frmMain* window = StartProgram({argument});
    QVERIFY(window != nullptr);
    QCOMPARE(window->windowTitle(), expected);
    QCOMPARE(ToQString(modMain::CommandLineFile), argument);
}

void MainWindowTest::resizeKeepsOutputBoxCovering()
{
    frmMain* window = StartWithReport(PlainFile());
    QVERIFY(window != nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    // The first client area is 10155 x 6885 twips: 677 x 459 pixels.
    QCOMPARE(window->centralWidget()->size(), QSize(677, 459));
    for (const QSize size : {QSize(400, 250), QSize(900, 520), QSize(677, 300)}) {
        window->resize(size);
        QTRY_COMPARE(window->size(), size);
        QWidget* client = window->centralWidget();
        QTRY_COMPARE(window->txtMain->geometry(), QRect(QPoint(0, 0), client->size()));
        QCOMPARE(client->geometry(), QRect(0, window->menuBar()->height(), size.width(),
                                           size.height() - window->menuBar()->height()));
    }
}

void MainWindowTest::centredWithoutStoredPlacement()
{
    frmMain* window = StartProgram({PlainFile()});
    QVERIFY(window != nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    const QRect area = window->screen()->availableGeometry();
    const QPoint offset = window->frameGeometry().center() - area.center();
    QVERIFY2(std::abs(offset.x()) <= 2 && std::abs(offset.y()) <= 2, qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
}

void MainWindowTest::placementRestoredOnNextStart()
{
    frmMain* first = StartWithReport(PlainFile());
    QVERIFY(first != nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(first));
    const QRect placed(37, 41, 520, 333);
    first->setGeometry(placed);
    QTRY_COMPARE(first->geometry(), placed);
    first->mnuFile.at(11)->trigger();
    QTRY_COMPARE(frmMain::Existing(), nullptr);

    frmMain* second = StartProgram({PlainFile()});
    QVERIFY(second != nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(second));
    QTRY_COMPARE(second->geometry(), placed);
}

void MainWindowTest::showMessageReplacesTextCaretAtStart()
{
    modMain::CommandLineFile = PlainFile().toStdU16String();
    frmMain& window = frmMain::Instance();
    std::u16string longText;
    for (int i = 0; i < 200; ++i) longText += u"line\r\n";
    window.ShowMessage(longText + u"end");
    window.txtMain->moveCursor(QTextCursor::End);
    window.ShowMessage(u"first\r\nsecond");
    QCOMPARE(window.txtMain->toPlainText(), QStringLiteral("first\nsecond"));
    QCOMPARE(window.txtMain->textCursor().position(), 0);
    QVERIFY(!window.txtMain->textCursor().hasSelection());
}

void MainWindowTest::programIconOnWindows()
{
    const QList<QSize> sizes{QSize(16, 16), QSize(32, 32), QSize(48, 48)};
    frmMain* window = StartProgram({PlainFile()});
    QVERIFY(window != nullptr);
    for (const QSize& size : sizes) {
        QVERIFY(window->windowIcon().availableSizes().contains(size));
        // The default of every other window of the program as well.
        QVERIFY(QApplication::windowIcon().availableSizes().contains(size));
    }
    const QImage small = window->windowIcon().pixmap(QSize(16, 16)).toImage();
    QVERIFY(small.pixelColor(8, 8).alpha() > 0);
}

QTEST_MAIN(MainWindowTest)
#include "tst_frmMain.moc"
