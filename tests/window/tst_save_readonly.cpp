// Saving onto a read-only file: the error box with the path, the message and the error's
// description, the file unchanged, the folder remembered all the same. Must run as a user
// who is not root (ctest starts it through run-unprivileged).
#include <QAbstractButton>
#include <QAction>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include "tests/window/WindowTestSupport.h"
#include "window/frmMain.h"

using namespace wintest;

namespace {

struct ErrorSeen {
    QString text;
    QString details;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Types `path` into the save dialog and confirms, agrees to replace the file, then
// notes the error box and closes it.
void AnswerSaveOnto(ModalAnswerer& answerer, const QString& path, ErrorSeen& error)
{
    answerer.Then([path](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        auto* name = dialog != nullptr ? dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
        auto* buttons = dialog != nullptr ? dialog->findChild<QDialogButtonBox*>() : nullptr;
        QAbstractButton* save = buttons != nullptr ? buttons->button(QDialogButtonBox::Save) : nullptr;
        if (name == nullptr || save == nullptr) return;
        name->setText(path);
        Later(dialog, [save] { save->click(); });
    });
    answerer.Then([](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) box->button(QMessageBox::Yes)->click();
    });
    answerer.Then([&error](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (box == nullptr) return;
        error.text = box->text();
        error.details = box->informativeText();
        error.icon = box->icon();
        box->button(QMessageBox::Ok)->click();
    });
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

}  // namespace

class ReadOnlyTargetTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void readOnlyTarget_data();
    void readOnlyTarget();

private:
    QTemporaryDir scratch_;
    std::optional<PrivateSettings> settings_;
};

void ReadOnlyTargetTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    // A read-only file must stop this process; it does not stop root.
    const QString probe = scratch_.filePath(QStringLiteral("probe"));
    QFile file(probe);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(QFile::setPermissions(probe, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    if (file.open(QIODevice::WriteOnly | QIODevice::Append))
        QFAIL("a read-only file is writable here: run this test as a user who is not root (run-unprivileged)");
}

void ReadOnlyTargetTest::init()
{
    settings_.emplace();
}

void ReadOnlyTargetTest::cleanup()
{
    DisposeMainWindow();
    settings_.reset();
}

void ReadOnlyTargetTest::readOnlyTarget_data()
{
    QTest::addColumn<bool>("textCommand");
    QTest::addColumn<QString>("message");
    QTest::newRow("Save output text as...") << true << "Can't save output text.";
    QTest::newRow("Save reparse point data as...") << false << "Can't save reparse point data.";
}

void ReadOnlyTargetTest::readOnlyTarget()
{
    QFETCH(bool, textCommand);
    QFETCH(QString, message);
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("locked.txt"));
    {
        QFile file(target);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("keep me");
    }
    QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));

    frmMain* window = StartWithReport(scratch_.filePath(QStringLiteral("missing")));
    QVERIFY(window != nullptr);
    // No reparse point can be made here without root; the data command is given bytes of
    // its own, as a report would have left them.
    if (!textCommand) window->ReportData = {0x03, 0x00, 0x00, 0xA0, 0x00, 0x00, 0x00, 0x00};

    ErrorSeen error;
    ModalAnswerer answerer;
    AnswerSaveOnto(answerer, target, error);
    if (textCommand)
        window->mnuFile.at(1)->trigger();
    else
        window->SaveReparseData();
    QVERIFY(answerer.AllAnswered());
    QCOMPARE(answerer.Unexpected(), 0);

    QCOMPARE(error.icon, QMessageBox::Critical);
    QCOMPARE(error.text, target + QStringLiteral("\n\n") + message + QStringLiteral("\n\nPath/File access error"));
    QCOMPARE(error.details, QStringLiteral("Error 75 (qvxFSO)"));
    QCOMPARE(ReadAll(target), QByteArray("keep me"));
    // The folder was remembered when the dialog was confirmed, before the write failed.
    const QSettings stored(settings_->IniFile(), QSettings::IniFormat);
    QCOMPARE(stored.value(QStringLiteral("OFN Paths/Last open TXT directory")).toString(), folder.path());
    // The window goes on as before.
    QVERIFY(window->isVisible());
    QVERIFY(window->mnuFile.at(1)->isEnabled());
}

QTEST_MAIN(ReadOnlyTargetTest)
#include "tst_save_readonly.moc"
