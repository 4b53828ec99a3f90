// The save commands on a real junction: the text as UTF-8 with mark and CR LF, the raw
// bytes, the filters, and the remembered folder shared by both commands.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include "tests/window/WindowTestSupport.h"
#include "window/frmMain.h"

using namespace wintest;

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

struct DialogSeen {
    QStringList filters;
    QString selectedFilter;
    QString directory;
};

// Answers a save dialog: notes what it showed, then types `path` and confirms, or
// cancels when `path` is empty.
ModalAnswerer::Step AnswerSaveDialog(DialogSeen& seen, const QString& path)
{
    return [&seen, path](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (dialog == nullptr) return;
        seen.filters = dialog->nameFilters();
        seen.selectedFilter = dialog->selectedNameFilter();
        seen.directory = dialog->directory().absolutePath();
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        // The user types the full name into the file name box and presses Save.
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        QAbstractButton* save = buttons != nullptr ? buttons->button(QDialogButtonBox::Save) : nullptr;
        if (name == nullptr || save == nullptr) {
            dialog->reject();
            return;
        }
        name->setText(path);
        Later(dialog, [save] { save->click(); });
    };
}

// The report of the junction, as the rules of the report build it.
QByteArray ExpectedReport(const QString& path)
{
    const QString text = QStringLiteral("File name: ") + path + QString::fromUtf8(
        "\r\n\r\n"
        "Reparse tag: IO_REPARSE_TAG_MOUNT_POINT (0xA0000003)\r\n"
        "             \u2022 Value: 0x0003\r\n"
        "             \u2022 Microsoft bit\r\n"
        "             \u2022 Name surrogare bit\r\n"
        "\r\n"
        "Data length: 136 bytes\r\n"
        "Reserved:    0x0000\r\n"
        "\r\n"
        "Substitute name:\r\n"
        "\\??\\C:\\Program Files\\Common Files\r\n"
        "\r\n"
        "Print name:\r\n"
        "C:\\Program Files\\Common Files\r\n"
        "\r\n"
        "0000: 03 00 00 A0 88 00 00 00 00 00 42 00 44 00 3A 00  ..........B.D.:.\r\n"
        "0010: 5C 00 3F 00 3F 00 5C 00 43 00 3A 00 5C 00 50 00  \\.?.?.\\.C.:.\\.P.\r\n"
        "0020: 72 00 6F 00 67 00 72 00 61 00 6D 00 20 00 46 00  r.o.g.r.a.m. .F.\r\n"
        "0030: 69 00 6C 00 65 00 73 00 5C 00 43 00 6F 00 6D 00  i.l.e.s.\\.C.o.m.\r\n"
        "0040: 6D 00 6F 00 6E 00 20 00 46 00 69 00 6C 00 65 00  m.o.n. .F.i.l.e.\r\n"
        "0050: 73 00 00 00 43 00 3A 00 5C 00 50 00 72 00 6F 00  s...C.:.\\.P.r.o.\r\n"
        "0060: 67 00 72 00 61 00 6D 00 20 00 46 00 69 00 6C 00  g.r.a.m. .F.i.l.\r\n"
        "0070: 65 00 73 00 5C 00 43 00 6F 00 6D 00 6D 00 6F 00  e.s.\\.C.o.m.m.o.\r\n"
        "0080: 6E 00 20 00 46 00 69 00 6C 00 65 00 73 00 00 00  n. .F.i.l.e.s...\r\n"
        "\r\n"
        "Total reparse data size: 144 bytes");
    return text.toUtf8();
}

const QString kDirectoryKey = QStringLiteral("OFN Paths/Last open TXT directory");

}  // namespace

class SaveTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void saveTextAndDataShareTheFolder();
    void typedNameGetsExtension_data();
    void typedNameGetsExtension();
    void replacingAskedFirst();
    void savedTextAfterFailedRead();

private:
    QString JunctionPath() const { return wintest::JunctionPath(volume_); }

    testfs::NtfsVolume volume_;
    QByteArray buffer_;
    QTemporaryDir scratch_;
    std::optional<PrivateSettings> settings_;
    std::optional<QTemporaryDir> folderA_, folderB_;
};

void SaveTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    WINTEST_MOUNT_OR_SKIP(volume_);
    buffer_ = JunctionData();
    QCOMPARE(MakeJunction(volume_), QString());
}

void SaveTest::init()
{
    settings_.emplace();
    folderA_.emplace();
    folderB_.emplace();
}

void SaveTest::cleanup()
{
    DisposeMainWindow();
    settings_.reset();
}

void SaveTest::saveTextAndDataShareTheFolder()
{
    frmMain* window = StartWithReport(JunctionPath());
    QVERIFY(window != nullptr);
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
    const QString textFile = folderA_->filePath(QStringLiteral("report.txt"));
    const QString dataFile = folderB_->filePath(QStringLiteral("junction.bin"));

    // F2: save the text. Nothing is remembered yet, so the dialog starts in the current folder.
    DialogSeen first, second, third;
    {
        ModalAnswerer answerer;
        answerer.Then(AnswerSaveDialog(first, textFile));
        QTest::keyClick(window->txtMain, Qt::Key_F2);
        QVERIFY(answerer.AllAnswered());
        QCOMPARE(answerer.Unexpected(), 0);
    }
    QCOMPARE(first.filters, (QStringList{"Text files (*.TXT)", "All files (*)"}));
    QCOMPARE(first.selectedFilter, first.filters.first());
    QCOMPARE(first.directory, QDir::currentPath());
    QCOMPARE(ReadAll(textFile), QByteArray("\xEF\xBB\xBF") + ExpectedReport(JunctionPath()));
    QCOMPARE(settings_->Value(kDirectoryKey), folderA_->path());

    // The data command starts where the text went, and is remembered in turn.
    {
        ModalAnswerer answerer;
        answerer.Then(AnswerSaveDialog(second, dataFile));
        window->mnuFile.at(2)->trigger();
        QVERIFY(answerer.AllAnswered());
        QCOMPARE(answerer.Unexpected(), 0);
    }
    QCOMPARE(second.filters, (QStringList{"Binary files (*.BIN)", "All files (*)"}));
    QCOMPARE(second.directory, folderA_->path());
    QCOMPARE(ReadAll(dataFile), buffer_);
    QCOMPARE(settings_->Value(kDirectoryKey), folderB_->path());

    // The text command now starts there too; cancelling writes and remembers nothing.
    {
        ModalAnswerer answerer;
        answerer.Then(AnswerSaveDialog(third, QString()));
        window->mnuFile.at(1)->trigger();
        QVERIFY(answerer.AllAnswered());
        QCOMPARE(answerer.Unexpected(), 0);
    }
    QCOMPARE(third.directory, folderB_->path());
    QCOMPARE(settings_->Value(kDirectoryKey), folderB_->path());
    QCOMPARE(QDir(folderB_->path()).entryList(QDir::Files), QStringList{"junction.bin"});
}

void SaveTest::typedNameGetsExtension_data()
{
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::newRow("text without extension") << 1 << "report" << "report.txt";
    QTest::newRow("text with its own extension") << 1 << "report.log" << "report.log";
    QTest::newRow("data without extension") << 2 << "raw" << "raw.bin";
}

void SaveTest::typedNameGetsExtension()
{
    QFETCH(int, item);
    QFETCH(QString, typed);
    QFETCH(QString, written);
    frmMain* window = StartWithReport(JunctionPath());
    QVERIFY(window != nullptr);
    DialogSeen seen;
    ModalAnswerer answerer;
    answerer.Then(AnswerSaveDialog(seen, folderA_->filePath(typed)));
    window->mnuFile.at(item)->trigger();
    QVERIFY(answerer.AllAnswered());
    QCOMPARE(QDir(folderA_->path()).entryList(QDir::Files), QStringList{written});
}

void SaveTest::replacingAskedFirst()
{
    frmMain* window = StartWithReport(JunctionPath());
    QVERIFY(window != nullptr);
    const QString target = folderA_->filePath(QStringLiteral("old.bin"));
    QFile old(target);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(1000, 'x'));
    old.close();

    DialogSeen seen;
    QString question;
    ModalAnswerer answerer;
    answerer.Then(AnswerSaveDialog(seen, target));
    answerer.Then([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (box == nullptr) return;
        question = box->text();
        box->button(QMessageBox::Yes)->click();
    });
    window->mnuFile.at(2)->trigger();
    QVERIFY(answerer.AllAnswered());
    QVERIFY2(question.contains(QStringLiteral("old.bin")), qPrintable(question));
    // Replaced, not overwritten in place: exactly the reparse bytes remain.
    QCOMPARE(ReadAll(target), buffer_);
}

void SaveTest::savedTextAfterFailedRead()
{
    const QString missing = folderB_->filePath(QStringLiteral("missing entry"));
    frmMain* window = StartWithReport(missing);
    QVERIFY(window != nullptr);
    QVERIFY(!window->mnuFile.at(2)->isEnabled());
    DialogSeen seen;
    ModalAnswerer answerer;
    const QString target = folderA_->filePath(QStringLiteral("error.txt"));
    answerer.Then(AnswerSaveDialog(seen, target));
    window->mnuFile.at(1)->trigger();
    QVERIFY(answerer.AllAnswered());
    QCOMPARE(ReadAll(target),
             QByteArray("\xEF\xBB\xBF") +
                 (missing + QStringLiteral("\r\n\r\nCan't read reparse point data: file or directory not found.")).toUtf8());
}

QTEST_MAIN(SaveTest)
#include "tst_save.moc"
