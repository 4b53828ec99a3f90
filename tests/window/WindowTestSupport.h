// Shared pieces of the window program's GUI tests: a private settings folder, an answerer
// for the modal dialogs the program opens, a start-up helper and a junction on the NTFS
// test volume (tests/fixtures/NtfsVolume.h).
#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <deque>
#include <functional>

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

// Answers the modal dialogs and boxes of the program one after the other: each step gets
// the next modal widget that becomes active. A modal widget that appears when no step is
// left, or that a step leaves open, is rejected and counted, so a test fails instead of
// hanging.
class ModalAnswerer : public QObject {
public:
    using Step = std::function<void(QWidget*)>;

    ModalAnswerer();
    ~ModalAnswerer() override;
    void Then(Step step) { steps_.push_back(std::move(step)); }
    bool AllAnswered() const { return steps_.empty(); }
    int Unexpected() const { return unexpected_; }
    QStringList UnexpectedTitles() const { return unexpectedTitles_; }

private:
    void Poll();
    QTimer timer_;
    std::deque<Step> steps_;
    QPointer<QWidget> last_;
    int pollsOnLast_ = 0;
    static constexpr int kGiveUpPolls = 3000;  // 30 s of 10 ms polls
    int unexpected_ = 0;
    QStringList unexpectedTitles_;
};

// Runs `work` from the event loop once the current step has returned (for clicks that
// open further modal dialogs).
void Later(QObject* context, std::function<void()> work);

// Starts the program as Tagscope with `args`; the main window when one opened.
frmMain* StartProgram(const QStringList& args);
// Starts the program on `path` and waits until the report is shown.
frmMain* StartWithReport(const QString& path);
// Closes and deletes the main window if there is one.
void DisposeMainWindow();

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
