// Shared pieces of the window program's GUI tests: a private settings folder, an answerer
// for the modal dialogs the program opens, a start-up helper and a small ntfs-3g volume.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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

// A reparse buffer of a mount point (junction) with the given names.
QByteArray MountPointBuffer(const std::u16string& substituteName, const std::u16string& printName);

// A small NTFS image mounted with ntfs-3g in a temporary folder. Needs root and /dev/fuse.
class NtfsTestVolume {
public:
    NtfsTestVolume() = default;
    ~NtfsTestVolume();
    // "" on success, else why the volume is not there.
    QString Mount();
    QString Root() const { return mountPoint_; }
    // Makes the folder `relative` and writes `buffer` as its reparse data; remounts so
    // that ntfs-3g shows the entry as a reparse point.
    QString MakeReparseFolder(const QString& relative, const QByteArray& buffer);

private:
    void Unmount();
    std::unique_ptr<QTemporaryDir> dir_;
    QString image_;
    QString mountPoint_;
    bool mounted_ = false;
};

}  // namespace wintest

// Mounts the volume or skips the test; under CI (CI=true) a missing volume fails it.
#define WINTEST_MOUNT_OR_SKIP(volume)                                                        \
    do {                                                                                     \
        const QString why_ = (volume).Mount();                                               \
        if (!why_.isEmpty()) {                                                               \
            if (qEnvironmentVariable("CI") == QStringLiteral("true"))                        \
                QFAIL(qPrintable(QStringLiteral("NTFS volume unavailable under CI: ") + why_)); \
            QSKIP(qPrintable(QStringLiteral("NTFS volume unavailable: ") + why_));          \
        }                                                                                    \
    } while (0)
