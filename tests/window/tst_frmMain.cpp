// The main window: start-up, report, keys, caption, placement, other entries, copy, zoom, saving.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>

#include "console/modFormatVersion.h"
#include "tests/filelib/ReparseBuffers.h"
#include "tests/window/WindowTestSupport.h"
#include "window/QtText.h"
#include "window/frmMain.h"
#include "window/modMain.h"

using namespace wintest;

namespace {

// The junction "Users/Public/Common Files" to C:\Program Files\Common Files on the test volume.
const char kJunctionFolder[] = "Users/Public/Common Files";
const testbuf::Bytes kJunction =
    testbuf::MountPoint(u"\\??\\C:\\Program Files\\Common Files", u"C:\\Program Files\\Common Files");
const QByteArray kJunctionData(reinterpret_cast<const char*>(kJunction.data()), qsizetype(kJunction.size()));

// Records the local files handed to the desktop's viewer.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    UrlCatcher() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~UrlCatcher() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

}  // namespace

class MainWindowTest : public WindowTest {
    Q_OBJECT

    QString Junction() const { return QString::fromStdString((volume_.Root() / kJunctionFolder).string()); }
    static QStringList RecentMenu(frmMain* window)
    {
        QStringList items;
        for (QAction* item : Controls(window).mnuFile.Recent->actions()) items.append(item->text());
        return items;
    }

    testfs::NtfsVolume volume_;
    QString volumeProblem_;

private slots:
    void initTestCase()
    {
        volumeProblem_ = QString::fromStdString(volume_.Mount());
        if (volumeProblem_.isEmpty())
            volumeProblem_ = QString::fromStdString(volume_.MakeReparseFolder(kJunctionFolder, kJunction));
    }

    // No argument and two arguments: the usage box; --open with the dialog cancelled.
    void noWindow()
    {
        for (const QStringList& args : {QStringList{}, QStringList{"a", "b"}, QStringList{"--open"}}) {
            BoxSeen box;
            const bool usage = args != QStringList{"--open"};
            QVERIFY(Answer({usage ? AnswerBox(QMessageBox::Ok, &box) : AnswerFileDialog({})}, [&] {
                QCOMPARE(StartProgram(args), nullptr);
            }));
            if (usage)
                QCOMPARE(box.text, "Quovix - Tag Scope " + ToQString(modFormatVersion::GetAppVersion()) +
                                       "\nOrla Venn 2025-2026. Dedicated to Dovra\n\nUsage: Tagscope[.EXE] FileName");
        }
    }

    // The progress texts in order, closing refused while they come, the commands enabled
    // once the report is done.
    void report_data()
    {
        QTest::addColumn<bool>("junction");
        QTest::newRow("not a reparse point: nothing read") << false;
        QTest::newRow("junction: data read") << true;
    }

    void report()
    {
        QFETCH(bool, junction);
        if (junction) WINTEST_SKIP_WITHOUT_VOLUME(volumeProblem_);
        const QString path = junction ? Junction() : PlainFile();
        modMain::CommandLineFile = path.toStdU16String();
        frmMain& window = frmMain::Instance();
        const QPointer<frmMain> guard(&window);
        QStringList shown;
        QList<bool> closed;
        connect(&window, &frmMain::messageShown, this, [&](const QString& text) {
            shown.append(text);
            closed.append(window.close());
        });
        QVERIFY(!Controls(&window).mnuFile.SaveOutputText->isEnabled() && !Controls(&window).mnuTools.Settings->isEnabled());
        window.show();
        QTRY_VERIFY(Controls(&window).mnuTools.Settings->isEnabled());
        QStringList expected{QStringLiteral("Reading reparse point...")};
        if (junction) expected << QStringLiteral("Parsing result data...");
        expected << ToDisplayText(Controls(&window).ReportText);
        QCOMPARE(shown, expected);
        QCOMPARE(closed, QList<bool>(expected.size(), false));
        QCOMPARE(Controls(&window).mnuFile.SaveReparseData->isEnabled(), junction);
        QVERIFY(Controls(&window).ReportText.starts_with((junction ? u"File name: " : u"") + path.toStdU16String() + u"\r\n\r\n"));
        QCOMPARE(Controls(&window).txtMain->textCursor().position(), 0);
        QVERIFY(window.close());
        QTRY_VERIFY(guard.isNull());
    }

    // Keys pressed in the output box.
    void keys_data()
    {
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("F1 opens the read-me") << QKeySequence(Qt::Key_F1) << "read-me";
        QTest::newRow("Shift+F1 shows the about box") << QKeySequence(Qt::SHIFT | Qt::Key_F1) << "about";
        QTest::newRow("Escape closes") << QKeySequence(Qt::Key_Escape) << "closed";
        QTest::newRow("F10 opens the File menu") << QKeySequence(Qt::Key_F10) << "menu";
        QTest::newRow("Ctrl+F1 does nothing") << QKeySequence(Qt::CTRL | Qt::Key_F1) << "";
    }

    void keys()
    {
        QFETCH(QKeySequence, keys);
        QFETCH(QString, outcome);
        frmMain* window = StartWithReport(PlainFile());
        QVERIFY(window != nullptr);
        const QPointer<frmMain> guard(window);
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        UrlCatcher catcher;
        BoxSeen box;
        QVERIFY(Answer(outcome == u"about" ? std::vector<Step>{AnswerBox(QMessageBox::Ok, &box)} : std::vector<Step>{},
                       [&] { QTest::keySequence(Controls(window).txtMain, keys); }));
        if (outcome == u"closed") {
            QTRY_VERIFY(guard.isNull());
            return;
        }
        QVERIFY(guard && guard->isVisible());
        QCOMPARE(window->menuBar()->activeAction(), outcome == u"menu" ? Controls(window).mnuMain.File : nullptr);
        QCOMPARE(catcher.opened.size(), outcome == u"read-me" ? 1 : 0);
        if (outcome == u"read-me") QVERIFY(QFileInfo(catcher.opened.first().toLocalFile()).isFile());
        if (outcome == u"about") {
            QCOMPARE(box.title, QStringLiteral("About Tag Scope"));
            QVERIFY2(box.text.contains(ToQString(modFormatVersion::GetAppVersion())) && box.text.contains(QString::fromUtf8("\u0414\u043E\u0432\u0440\u0430")),
                     qPrintable(box.text));
        }
    }

    // Open... shows the junction's report in the same window, and the junction joins the
    // recent entries in front. Saving its text and data: each dialog starts where the last
    // one went.
    void otherEntryThenSaves()
    {
        WINTEST_SKIP_WITHOUT_VOLUME(volumeProblem_);
        const QString junction = Junction();
        frmMain* window = StartWithReport(PlainFile());
        QVERIFY(window != nullptr);
        DialogSeen open, first, second, third;
        QVERIFY(Answer({AnswerFileDialog(junction, &open)}, [&] { Controls(window).mnuFile.Open->trigger(); }));
        QCOMPARE(open.directory, QDir(scratch_.path()).absolutePath());
        QTRY_VERIFY(Controls(window).ReportText.starts_with(u"File name: " + junction.toStdU16String()));
        QCOMPARE(window->windowTitle(), QString::fromUtf8("Common Files \u2013 Tag Scope"));
        QCOMPARE(RecentMenu(window), (QStringList{"&1 " + junction, "&2 " + PlainFile()}));
        QCOMPARE(settings_->Value(QStringLiteral("Recent entries/1")), junction);

        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTemporaryDir folderA, folderB;
        const QString textFile = folderA.filePath(QStringLiteral("report.txt"));
        const QString dataFile = folderB.filePath(QStringLiteral("junction"));  // ".bin" is added
        // F2: save the text. No save went anywhere yet: the home folder and the entry's name.
        QVERIFY(Answer({AnswerFileDialog(textFile, &first)}, [&] { QTest::keyClick(Controls(window).txtMain, Qt::Key_F2); }));
        QCOMPARE(first.directory, QDir::homePath());
        QCOMPARE(ReadAll(textFile), QByteArray("\xEF\xBB\xBF") + ToQString(Controls(window).ReportText).toUtf8());

        // The data command starts where the text went, and is remembered in turn.
        QVERIFY(Answer({AnswerFileDialog(dataFile, &second)}, [&] { Controls(window).mnuFile.SaveReparseData->trigger(); }));
        QCOMPARE(second.directory, folderA.path());
        QCOMPARE(second.fileName, QStringLiteral("Common Files.bin"));
        QCOMPARE(ReadAll(dataFile + ".bin"), kJunctionData);

        // The text command now starts there too; cancelling writes and remembers nothing.
        QVERIFY(Answer({AnswerFileDialog(QString(), &third)}, [&] { Controls(window).mnuFile.SaveOutputText->trigger(); }));
        QCOMPARE(third.directory, folderB.path());
        QCOMPARE(QDir(folderB.path()).entryList(QDir::Files), QStringList{"junction.bin"});
    }

    // The first client area (10155 x 6885 twips), covered by the box at every size; the
    // window centred at first. Edit > Select All and Copy; the zoom keys; F5 reads the entry
    // again; a recent entry that is gone: a box, and it leaves the menu and the store. The
    // next time: the window where it was left, the zoom kept; an empty name gives the caption
    // of an untitled document. Help stands at the right end of the menu bar.
    void placementCopyZoomAndReload()
    {
        const QString gone = Scratch(QStringLiteral("gone")), file = Scratch(QStringLiteral("going.txt"));
        QVERIFY(WriteAll(file, "x"));
        settings_->WriteIni(("[Recent%20entries]\n1=" + gone + "\n2=" + file + "\n").toUtf8());
        frmMain* first = StartWithReport(file);
        QVERIFY(first != nullptr && QTest::qWaitForWindowExposed(first));
        const frmMainTestAccess c = Controls(first);
        QCOMPARE(first->centralWidget()->size(), QSize(677, 459));
        QVERIFY((first->frameGeometry().center() - first->screen()->availableGeometry().center()).manhattanLength() <= 4);
        const QRect placed(37, 41, 520, 333);
        first->setGeometry(placed);
        QTRY_COMPARE(first->geometry(), placed);
        QTRY_COMPARE(c.txtMain->geometry(), QRect(QPoint(0, 0), first->centralWidget()->size()));

        c.mnuEdit.SelectAll->trigger();
        c.mnuEdit.Copy->trigger();
        QCOMPARE(QApplication::clipboard()->text(), ToDisplayText(c.ReportText));
        const double normal = c.txtMain->font().pointSizeF();
        for (const auto key : {Qt::Key_Plus, Qt::Key_Plus, Qt::Key_Plus, Qt::Key_Minus})
            QTest::keyClick(c.txtMain, key, Qt::ControlModifier);
        QCOMPARE(c.txtMain->font().pointSizeF(), normal + 2);
        QVERIFY(QFile::remove(file));
        QTest::keyClick(c.txtMain, Qt::Key_F5);
        QTRY_VERIFY(c.ReportText.ends_with(u"file or directory not found."));

        BoxSeen box;
        QVERIFY(Answer({AnswerBox(QMessageBox::Ok, &box)}, [&] { c.mnuFile.Recent->actions().at(1)->trigger(); }));
        QVERIFY2(box.text.startsWith(gone + QStringLiteral("\n\n")), qPrintable(box.text));
        QCOMPARE(RecentMenu(first), QStringList{"&1 " + file});
        QCOMPARE(settings_->Value(QStringLiteral("Recent entries/2")), QString());
        QVERIFY(c.ReportText.starts_with(file.toStdU16String()));

        c.mnuFile.Exit->trigger();
        QTRY_COMPARE(frmMain::Existing(), nullptr);
        frmMain* second = StartProgram({""});
        QVERIFY(second != nullptr && QTest::qWaitForWindowExposed(second));
        QTRY_COMPARE(second->geometry(), placed);
        QCOMPARE(Controls(second).txtMain->font().pointSizeF(), normal + 2);
        QTest::keyClick(Controls(second).txtMain, Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(Controls(second).txtMain->font().pointSizeF(), normal);
        QCOMPARE(second->windowTitle(), QString::fromUtf8("Untitled \u2013 Tag Scope"));
        QVERIFY(second->menuBar()->actionGeometry(Controls(second).mnuMain.Help).right() > second->menuBar()->width() - 20);
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_frmMain.moc"
