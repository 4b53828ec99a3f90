// The save commands on a real junction: the text as UTF-8 with mark and CR LF, the raw
// bytes, the filters, and the remembered folder shared by both commands.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QPlainTextEdit>
#include <QTest>

#include <optional>

#include "tests/window/WindowTestSupport.h"
#include "window/frmMain.h"

using namespace wintest;

namespace {

// The report of the junction: the hand-written text of TagscopeC's end-to-end test, with
// the window's bullet and CR LF line breaks.
QByteArray ExpectedReport(const QString& path)
{
    QString text = QString::fromUtf8(ReadAll(QFINDTESTDATA("../e2e/expected/junction.txt"))).trimmed();
    text.replace(QStringLiteral("{MOUNT}/Users/Public/Common Files"), path);
    text.replace(QStringLiteral("             - "), QString::fromUtf8("             \u2022 "));
    return text.replace(u'\n', QStringLiteral("\r\n")).toUtf8();
}

const QString kDirectoryKey = QStringLiteral("OFN Paths/Last open TXT directory");

}  // namespace

class SaveTest : public WindowTest {
    Q_OBJECT

    QString JunctionPath() const { return wintest::JunctionPath(volume_); }

    testfs::NtfsVolume volume_;
    std::optional<QTemporaryDir> folderA_, folderB_;

private slots:
    void initTestCase()
    {
        WINTEST_MOUNT_OR_SKIP(volume_);
        QCOMPARE(MakeJunction(volume_), QString());
    }

    void init()
    {
        WindowTest::init();
        folderA_.emplace();
        folderB_.emplace();
    }

    void saveTextAndDataShareTheFolder()
    {
        frmMain* window = StartWithReport(JunctionPath());
        QVERIFY(window != nullptr);
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        const QString textFile = folderA_->filePath(QStringLiteral("report.txt"));
        const QString dataFile = folderB_->filePath(QStringLiteral("junction.bin"));

        // F2: save the text. Nothing is remembered yet, so the dialog starts in the current folder.
        DialogSeen first, second, third;
        QVERIFY(Answer({AnswerSaveDialog(textFile, &first)}, [&] { QTest::keyClick(window->txtMain, Qt::Key_F2); }));
        QCOMPARE(first.filters, (QStringList{"Text files (*.TXT)", "All files (*)"}));
        QCOMPARE(first.selectedFilter, first.filters.first());
        QCOMPARE(first.directory, QDir::currentPath());
        QCOMPARE(ReadAll(textFile), QByteArray("\xEF\xBB\xBF") + ExpectedReport(JunctionPath()));
        QCOMPARE(settings_->Value(kDirectoryKey), folderA_->path());

        // The data command starts where the text went, and is remembered in turn.
        QVERIFY(Answer({AnswerSaveDialog(dataFile, &second)}, [&] { window->mnuFile.at(2)->trigger(); }));
        QCOMPARE(second.filters, (QStringList{"Binary files (*.BIN)", "All files (*)"}));
        QCOMPARE(second.directory, folderA_->path());
        QCOMPARE(ReadAll(dataFile), JunctionData());
        QCOMPARE(settings_->Value(kDirectoryKey), folderB_->path());

        // The text command now starts there too; cancelling writes and remembers nothing.
        QVERIFY(Answer({AnswerSaveDialog(QString(), &third)}, [&] { window->mnuFile.at(1)->trigger(); }));
        QCOMPARE(third.directory, folderB_->path());
        QCOMPARE(settings_->Value(kDirectoryKey), folderB_->path());
        QCOMPARE(QDir(folderB_->path()).entryList(QDir::Files), QStringList{"junction.bin"});
    }

    void typedNameGetsExtension_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::newRow("text without extension") << 1 << "report" << "report.txt";
        QTest::newRow("text with its own extension") << 1 << "report.log" << "report.log";
        QTest::newRow("data without extension") << 2 << "raw" << "raw.bin";
    }

    void typedNameGetsExtension()
    {
        QFETCH(int, item);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        frmMain* window = StartWithReport(JunctionPath());
        QVERIFY(window != nullptr);
        QVERIFY(Answer({AnswerSaveDialog(folderA_->filePath(typed))}, [&] { window->mnuFile.at(item)->trigger(); }));
        QCOMPARE(QDir(folderA_->path()).entryList(QDir::Files), QStringList{written});
    }

    void replacingAskedFirst()
    {
        frmMain* window = StartWithReport(JunctionPath());
        QVERIFY(window != nullptr);
        const QString target = folderA_->filePath(QStringLiteral("old.bin"));
        QVERIFY(WriteAll(target, QByteArray(1000, 'x')));
        BoxSeen question;
        QVERIFY(Answer({AnswerSaveDialog(target), AnswerBox(QMessageBox::Yes, &question)},
                       [&] { window->mnuFile.at(2)->trigger(); }));
        QVERIFY2(question.text.contains(QStringLiteral("old.bin")), qPrintable(question.text));
        // Replaced, not overwritten in place: exactly the reparse bytes remain.
        QCOMPARE(ReadAll(target), JunctionData());
    }

    void savedTextAfterFailedRead()
    {
        const QString missing = folderB_->filePath(QStringLiteral("missing entry"));
        frmMain* window = StartWithReport(missing);
        QVERIFY(window != nullptr);
        QVERIFY(!window->mnuFile.at(2)->isEnabled());
        const QString target = folderA_->filePath(QStringLiteral("error.txt"));
        QVERIFY(Answer({AnswerSaveDialog(target)}, [&] { window->mnuFile.at(1)->trigger(); }));
        const QString text = missing + QStringLiteral("\r\n\r\nCan't read reparse point data: file or directory not found.");
        QCOMPARE(ReadAll(target), QByteArray("\xEF\xBB\xBF") + text.toUtf8());
    }
};

QTEST_MAIN(SaveTest)
#include "tst_save.moc"
