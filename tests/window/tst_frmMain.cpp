// Start-up and the main window: the usage box, menus before and after a report, the
// progress texts, keys, closing while loading, caption, resizing and placement.
#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>

#include <cstdlib>

#include "tests/window/WindowTestSupport.h"
#include "window/WindowServices.h"
#include "window/frmMain.h"
#include "window/modMain.h"

using namespace wintest;

class MainWindowTest : public WindowTest {
    Q_OBJECT

    QString JunctionPath() const { return wintest::JunctionPath(volume_); }
    QString PlainFile() const { return Scratch(QStringLiteral("plain.txt")); }

    testfs::NtfsVolume volume_;
    QString volumeProblem_;

private slots:
    void initTestCase()
    {
        QVERIFY(WriteAll(PlainFile(), "not a reparse point"));
        volumeProblem_ = QString::fromStdString(volume_.Mount());
        if (volumeProblem_.isEmpty()) volumeProblem_ = MakeJunction(volume_);
    }

    void usageInsteadOfWindow_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no argument") << QStringList{};
        QTest::newRow("two arguments") << QStringList{"a", "b"};
    }

    void usageInsteadOfWindow()
    {
        QFETCH(QStringList, args);
        BoxSeen box;
        bool opened = true;
        QVERIFY(Answer({AnswerBox(QMessageBox::Ok, &box)}, [&] { opened = StartProgram(args) != nullptr; }));
        QVERIFY(!opened);
        QCOMPARE(frmMain::Existing(), nullptr);
        QCOMPARE(box.icon, QMessageBox::Information);
        QCOMPARE(box.text, QString::fromUtf8("Quovix - Tag Scope 1.00.0019\n"
                                             "Orla Venn 2025-2026. Dedicated to Dovra\n"
                                             "\n"
                                             "Usage: Tagscope[.EXE] FileName"));
    }

    void menusAtStart()
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
        QCOMPARE(top, (QList<QAction*>{window.mnuMain.at(1), window.mnuMain.at(2), window.mnuMain.at(98),
                                       window.mnuMain.at(99)}));
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

    // The progress texts in order, closing refused while they come, and the menus and
    // texts once the report is done.
    void report_data()
    {
        QTest::addColumn<bool>("reparsePoint");
        QTest::newRow("not a reparse point: nothing read") << false;
        QTest::newRow("junction: data read") << true;
    }

    void report()
    {
        QFETCH(bool, reparsePoint);
        if (reparsePoint) WINTEST_SKIP_WITHOUT_VOLUME(volumeProblem_);
        modMain::CommandLineFile = (reparsePoint ? JunctionPath() : PlainFile()).toStdU16String();
        frmMain& window = frmMain::Instance();
        const QPointer<frmMain> guard(&window);
        QStringList shown;
        QList<bool> closed;
        connect(&window, &frmMain::messageShown, this, [&](const QString& text) {
            shown.append(text);
            closed.append(window.close());
        });
        window.show();
        QTRY_VERIFY(window.mnuTools.at(1)->isEnabled());
        QStringList expected{QStringLiteral("Reading reparse point...")};
        if (reparsePoint) expected << QStringLiteral("Parsing result data...");
        expected << ToDisplayText(window.ReportText);
        QCOMPARE(shown, expected);
        QCOMPARE(closed, QList<bool>(expected.size(), false));
        QVERIFY(guard && window.isVisible());

        QVERIFY(!window.tmrLoad.isActive());
        QVERIFY(!window.IsLoading);
        QVERIFY(window.mnuFile.at(1)->isEnabled());
        QCOMPARE(window.mnuFile.at(2)->isEnabled(), reparsePoint);
        if (reparsePoint) {
            QCOMPARE(window.ReportData.size(), std::size_t{144});
            QVERIFY(window.ReportText.starts_with(u"File name: " + JunctionPath().toStdU16String() + u"\r\n\r\n"));
        } else {
            QVERIFY(window.ReportData.empty());
            QCOMPARE(ToQString(window.ReportText),
                     PlainFile() + QStringLiteral("\r\n\r\nCan't read reparse point data: not a reparse point."));
        }
        // The box shows the same text with its own line breaks.
        QCOMPARE(window.txtMain->toPlainText(), ToDisplayText(window.ReportText));
        QVERIFY(window.txtMain->isReadOnly());
        // Once the report is done the same request closes the window.
        QVERIFY(window.close());
        QTRY_VERIFY(guard.isNull());
    }

    // Keys and commands on a shown report: `command` is a menu item ("Help 1") or "close"
    // for the window's close box; without one `keys` are pressed in the output box.
    void keysAndCommands_data()
    {
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("outcome");
        const QString readMe = QStringLiteral("read-me"), about = QStringLiteral("about");
        const QString closed = QStringLiteral("closed");
        QTest::newRow("F1 opens the read-me") << QKeySequence(Qt::Key_F1) << "" << readMe;
        QTest::newRow("Contents... opens the read-me") << QKeySequence() << "Help 1" << readMe;
        QTest::newRow("Shift+F1 shows the about box") << QKeySequence(Qt::SHIFT | Qt::Key_F1) << "" << about;
        QTest::newRow("About... shows the about box") << QKeySequence() << "Help 11" << about;
        QTest::newRow("Escape closes") << QKeySequence(Qt::Key_Escape) << "" << closed;
        QTest::newRow("Ctrl+Q closes") << QKeySequence(Qt::CTRL | Qt::Key_Q) << "" << closed;
        QTest::newRow("Exit closes") << QKeySequence() << "File 11" << closed;
        QTest::newRow("the close box closes") << QKeySequence() << "close" << closed;
        QTest::newRow("Shift+Escape does nothing") << QKeySequence(Qt::SHIFT | Qt::Key_Escape) << "" << "";
        QTest::newRow("Ctrl+Escape does nothing") << QKeySequence(Qt::CTRL | Qt::Key_Escape) << "" << "";
        QTest::newRow("Ctrl+F1 does nothing") << QKeySequence(Qt::CTRL | Qt::Key_F1) << "" << "";
        QTest::newRow("Alt+F1 does nothing") << QKeySequence(Qt::ALT | Qt::Key_F1) << "" << "";
        QTest::newRow("Ctrl+Shift+F1 does nothing") << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F1) << "" << "";
        QTest::newRow("F3 does nothing") << QKeySequence(Qt::Key_F3) << "" << "";
    }

    void keysAndCommands()
    {
        QFETCH(QKeySequence, keys);
        QFETCH(QString, command);
        QFETCH(QString, outcome);
        frmMain* window = StartWithReport(PlainFile());
        QVERIFY(window != nullptr);
        const QPointer<frmMain> guard(window);
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        UrlCatcher catcher;
        BoxSeen box;
        std::vector<Step> steps;
        if (outcome == u"about") steps.push_back(AnswerBox(QMessageBox::Ok, &box));
        QVERIFY(Answer(steps, [&] {
            const QStringList item = command.split(u' ');
            if (command == u"close")
                window->close();
            else if (item.size() == 2)
                (item[0] == u"Help" ? window->mnuHelp : window->mnuFile).at(item[1].toInt())->trigger();
            else
                QTest::keySequence(window->txtMain, keys);
        }));
        if (outcome == u"closed") {
            QTRY_VERIFY(guard.isNull());
            // Unloading stored the placement and both colours.
            QVERIFY(!settings_->Value(QStringLiteral("Window placement")).isEmpty());
            QCOMPARE(settings_->Value(QStringLiteral("Out Box/Back Color")), QStringLiteral("16384"));
            QCOMPARE(settings_->Value(QStringLiteral("Out Box/Fore Color")), QStringLiteral("65280"));
            return;
        }
        QVERIFY(guard && guard->isVisible());
        QCOMPARE(catcher.opened.size(), outcome == u"read-me" ? 1 : 0);
        if (outcome == u"read-me") {
            const QFileInfo opened(catcher.opened.first().toLocalFile());
            QCOMPARE(opened.fileName(), QStringLiteral("README.md"));
            QVERIFY(opened.isFile());
        }
        if (outcome == u"about") {
            QCOMPARE(box.title, QStringLiteral("About Tag Scope"));
            for (const char* part : {"Quovix - Tag Scope", "1.00.0019", "v.1.0.19",
                                     "Orla Venn 2025-2026. Dedicated to Dovra", "\xD0\x94\xD0\xBE\xD0\xB2\xD1\x80\xD0\xB0"})
                QVERIFY2(box.text.contains(QString::fromUtf8(part)), part);
        }
    }

    void captionAndIcon_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("expected");
        QTest::newRow("path") << "/mnt/ntfs/Links/data.lnk" << QString::fromUtf8("data.lnk \u2013 Tag Scope");
        QTest::newRow("empty argument") << "" << QString::fromUtf8("Untitled \u2013 Tag Scope");
    }

    void captionAndIcon()
    {
        QFETCH(QString, argument);
        QFETCH(QString, expected);
        frmMain* window = StartProgram({argument});
        QVERIFY(window != nullptr);
        QCOMPARE(window->windowTitle(), expected);
        QCOMPARE(ToQString(modMain::CommandLineFile), argument);
        // The program icon, also the default of every other window of the program.
        for (const QSize size : {QSize(16, 16), QSize(32, 32), QSize(48, 48)}) {
            QVERIFY(window->windowIcon().availableSizes().contains(size));
            QVERIFY(QApplication::windowIcon().availableSizes().contains(size));
        }
        QVERIFY(window->windowIcon().pixmap(QSize(16, 16)).toImage().pixelColor(8, 8).alpha() > 0);
    }

    void resizeKeepsOutputBoxCovering()
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

    // Centred without a stored placement; the placement at exit restored on the next start.
    void placement()
    {
        frmMain* first = StartWithReport(PlainFile());
        QVERIFY(first != nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(first));
        const QPoint offset = first->frameGeometry().center() - first->screen()->availableGeometry().center();
        QVERIFY2(std::abs(offset.x()) <= 2 && std::abs(offset.y()) <= 2,
                 qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
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

    void showMessageReplacesTextCaretAtStart()
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
};

QTEST_MAIN(MainWindowTest)
#include "tst_frmMain.moc"
