// Saving onto a read-only file: the error box, the file unchanged, the folder remembered.
// ctest runs it as a user who is not root (run-unprivileged), for whom the system refuses
// the write as well as the file library's own read-only check.
#include <QAction>
#include <QFile>
#include <QTest>

#include "tests/window/WindowTestSupport.h"
#include "window/frmMain.h"

using namespace wintest;

class ReadOnlyTargetTest : public WindowTest {
    Q_OBJECT

private slots:
    void readOnlyTarget_data()
    {
        QTest::addColumn<bool>("textCommand");
        QTest::addColumn<QString>("message");
        QTest::newRow("Save output text as...") << true << "Can't save output text.";
        QTest::newRow("Save reparse point data as...") << false << "Can't save reparse point data.";
    }

    void readOnlyTarget()
    {
        QFETCH(bool, textCommand);
        QFETCH(QString, message);
        QTemporaryDir folder;
        const QString target = folder.filePath(QStringLiteral("locked.txt"));
        QVERIFY(WriteAll(target, "keep me"));
        QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));

        frmMain* window = StartWithReport(Scratch(QStringLiteral("missing")));
        QVERIFY(window != nullptr);
        // No reparse point can be made here without root; the data command is given bytes of
        // its own, as a report would have left them.
        if (!textCommand) Controls(window).ReportData = {0x03, 0x00, 0x00, 0xA0, 0x00, 0x00, 0x00, 0x00};

        // The save dialog, "replace?" answered Yes, then the error box.
        BoxSeen error;
        QVERIFY(Answer({AnswerFileDialog(target), AnswerBox(QMessageBox::Yes), AnswerBox(QMessageBox::Ok, &error)}, [&] {
            if (textCommand)
                Controls(window).mnuFile.SaveOutputText->trigger();
            else
                Controls(window).SaveReparseData();
        }));
        QCOMPARE(error.icon, QMessageBox::Critical);
        QCOMPARE(error.text, target + QStringLiteral("\n\n") + message +
                                 QStringLiteral("\n\nPath/File access error\nPermission denied"));
        QCOMPARE(error.details, QStringLiteral("Error 75 (qvxFSO)"));
        QCOMPARE(ReadAll(target), QByteArray("keep me"));
        // The folder was remembered when the dialog was confirmed, before the write failed.
        QCOMPARE(settings_->Value(QStringLiteral("OFN Paths/Last open TXT directory")), folder.path());
    }
};

QTEST_MAIN(ReadOnlyTargetTest)
#include "tst_save_readonly.moc"
