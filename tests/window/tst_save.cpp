// The save commands on a real junction: the text as UTF-8 with mark and CR LF, the raw
// bytes, the suggested names, the remembered folder shared by both commands, and saving
// when the settings cannot be written.
#include <QAction>
#include <QApplication>
#include <QDir>
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
        WINTEST_SKIP_WITHOUT_VOLUME(QString::fromStdString(volume_.Mount()));
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
        const QString dataFile = folderB_->filePath(QStringLiteral("junction"));  // ".bin" is added

        // F2: save the text. Nothing is remembered yet: the home folder and the entry's name.
        DialogSeen first, second, third;
        QVERIFY(Answer({AnswerFileDialog(textFile, &first)}, [&] { QTest::keyClick(window->txtMain, Qt::Key_F2); }));
        QCOMPARE(first.filters, (QStringList{"Text files (*.TXT)", "All files (*)"}));
        QCOMPARE(first.directory, QDir::homePath());
        QCOMPARE(first.fileName, QStringLiteral("Common Files.txt"));
        QCOMPARE(ReadAll(textFile), QByteArray("\xEF\xBB\xBF") + ExpectedReport(JunctionPath()));
        QCOMPARE(settings_->Value(kDirectoryKey), folderA_->path());

        // The data command starts where the text went, and is remembered in turn.
        QVERIFY(Answer({AnswerFileDialog(dataFile, &second)}, [&] { window->mnuFile.at(2)->trigger(); }));
        QCOMPARE(second.filters, (QStringList{"Binary files (*.BIN)", "All files (*)"}));
        QCOMPARE(second.directory, folderA_->path());
        QCOMPARE(second.fileName, QStringLiteral("Common Files.bin"));
        QCOMPARE(ReadAll(dataFile + ".bin"), JunctionData());
        QCOMPARE(settings_->Value(kDirectoryKey), folderB_->path());

        // The text command now starts there too; cancelling writes and remembers nothing.
        QVERIFY(Answer({AnswerFileDialog(QString(), &third)}, [&] { window->mnuFile.at(1)->trigger(); }));
        QCOMPARE(third.directory, folderB_->path());
        QCOMPARE(settings_->Value(kDirectoryKey), folderB_->path());
        QCOMPARE(QDir(folderB_->path()).entryList(QDir::Files), QStringList{"junction.bin"});
    }

    // The folder is only remembered for convenience: the file is written all the same.
    void savesWhenSettingsCannotBeWritten()
    {
        frmMain* window = StartWithReport(JunctionPath());
        QVERIFY(window != nullptr);
        settings_->MakeUnwritable();
        const QString target = folderA_->filePath(QStringLiteral("raw.bin"));
        QVERIFY(Answer({AnswerFileDialog(target)}, [&] { window->mnuFile.at(2)->trigger(); }));
        QCOMPARE(ReadAll(target), JunctionData());
    }

    void savedTextAfterFailedRead()
    {
        const QString missing = folderB_->filePath(QStringLiteral("missing entry"));
        frmMain* window = StartWithReport(missing);
        QVERIFY(window != nullptr);
        QVERIFY(!window->mnuFile.at(2)->isEnabled());
        const QString target = folderA_->filePath(QStringLiteral("error.txt"));
        QVERIFY(Answer({AnswerFileDialog(target)}, [&] { window->mnuFile.at(1)->trigger(); }));
        const QString text = missing + QStringLiteral("\r\n\r\nCan't read reparse point data: file or directory not found.");
        QCOMPARE(ReadAll(target), QByteArray("\xEF\xBB\xBF") + text.toUtf8());
    }
};

QTEST_MAIN(SaveTest)
#include "tst_save.moc"
