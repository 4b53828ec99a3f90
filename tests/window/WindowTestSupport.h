// Shared pieces of the window program's GUI tests: the set-up every test class shares, a
// private settings folder, answers to the modal dialogs the program opens, start-up
// helpers and a junction on the NTFS test volume (tests/fixtures/NtfsVolume.h).
#pragma once

#include <QByteArray>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include <functional>
#include <optional>
#include <vector>

#include "tests/fixtures/NtfsVolume.h"
#include "tests/fixtures/Shell.h"

class QWidget;
class frmMain;

namespace wintest {

// Points QSettings (INI, user scope) at a fresh temporary folder for the life of the
// object, so tests never see the user's settings or each other's.
class PrivateSettings {
public:
    PrivateSettings();
    // The INI file the program's settings store writes.
    QString IniFile() const;
    // Replaces the INI file with `text` (as a user would edit it).
    void WriteIni(const QByteArray& text) const;
    // A value as the program stored it ("" when missing); `key` as "Section/Key".
    QString Value(const QString& key) const;

private:
    QTemporaryDir dir_;
};

// The base of the test classes that start the program: standard paths in test mode, a
// scratch folder, fresh private settings and no command-line file for each test
// function, and no main window left behind.
class WindowTest : public QObject {
    Q_OBJECT

protected:
    WindowTest();
    QString Scratch(const QString& name) const { return scratch_.filePath(name); }

    QTemporaryDir scratch_;
    std::optional<PrivateSettings> settings_;

protected slots:
    // Run before and after each test function; a test class with its own init or cleanup
    // calls these.
    void init();
    void cleanup();
};

// One answer to a modal dialog or box: it gets the modal widget.
using Step = std::function<void(QWidget*)>;

// Runs `action` with the modal dialogs it opens answered by `steps` in order; true when
// every step was used and no other modal widget appeared. A modal widget that appears
// when no step is left, or that a step leaves open, is rejected (and its title logged),
// so a test fails instead of hanging.
bool Answer(std::vector<Step> steps, const std::function<void()>& action);

// Runs `work` from the event loop once the current step has returned (for clicks that
// open further modal dialogs).
void Later(QObject* context, std::function<void()> work);

// What a message box showed.
struct BoxSeen {
    QString title, text, details;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};
// Notes what a message box shows into `seen` (when given) and clicks `button`.
Step AnswerBox(QMessageBox::StandardButton button, BoxSeen* seen = nullptr);

// What a save dialog showed.
struct DialogSeen {
    QStringList filters;
    QString selectedFilter;
    QString directory;
};
// Notes what a save dialog shows into `seen` (when given), then types `path` into its
// file name box and presses Save, or cancels it when `path` is empty.
Step AnswerSaveDialog(const QString& path, DialogSeen* seen = nullptr);

// Starts the program as Tagscope with `args`; the main window when one opened.
frmMain* StartProgram(const QStringList& args);
// Starts the program on `path` and waits until the report is shown.
frmMain* StartWithReport(const QString& path);
// Closes and deletes the main window if there is one.
void DisposeMainWindow();

// A file's bytes, or "<missing>" when it cannot be read.
QByteArray ReadAll(const QString& path);
// Replaces a file's content; false when it cannot be written.
bool WriteAll(const QString& path, const QByteArray& bytes);

// Records the local files handed to the desktop's viewer (QDesktopServices).
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    UrlCatcher();
    ~UrlCatcher() override;
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url);
};

// The junction the tests read: the folder "Users/Public/Common Files" of an NTFS test
// volume, a mount point to C:\Program Files\Common Files.
QByteArray JunctionData();
QString JunctionPath(const testfs::NtfsVolume& volume);
// Makes the junction on a mounted volume; "" on success, else why not.
QString MakeJunction(testfs::NtfsVolume& volume);

}  // namespace wintest

// Skips the test when `why` says why the NTFS volume is not there; under CI (CI=true),
// where it must be, fails it.
#define WINTEST_SKIP_WITHOUT_VOLUME(why)                                                         \
    do {                                                                                         \
        const QString why_ = (why);                                                              \
        if (!why_.isEmpty()) {                                                                   \
            if (testfs::UnderCI())                                                               \
                QFAIL(qPrintable(QStringLiteral("NTFS volume unavailable under CI: ") + why_));  \
            QSKIP(qPrintable(QStringLiteral("NTFS volume unavailable: ") + why_));              \
        }                                                                                        \
    } while (0)

// Mounts a testfs::NtfsVolume or skips the test (fails it under CI).
#define WINTEST_MOUNT_OR_SKIP(volume) WINTEST_SKIP_WITHOUT_VOLUME(QString::fromStdString((volume).Mount()))
