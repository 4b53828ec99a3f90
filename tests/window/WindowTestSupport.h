// Shared pieces of the window program's tests: settings, answers to dialogs, start-up.
#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <functional>
#include <optional>
#include <vector>

#include "tests/fixtures/NtfsVolume.h"
#include "tests/fixtures/Shell.h"
#include "window/frmMain.h"

// The main window's controls, commands and report, which are private to it.
class frmMainTestAccess {
public:
    explicit frmMainTestAccess(frmMain& window)
        : txtMain(window.txtMain), mnuMain(window.mnuMain), mnuFile(window.mnuFile), mnuEdit(window.mnuEdit),
          mnuTools(window.mnuTools),
          IsLoading(window.IsLoading), ReportText(window.ReportText), ReportData(window.ReportData),
          browse(window.browse_), splitter(window.splitter_), window_(window)
    {
    }
    // The save command itself, also where its menu item is disabled.
    void SaveReparseData() { window_.SaveReparseData(); }

    QPlainTextEdit* const& txtMain;
    const MainMenuItems& mnuMain;
    const FileMenuItems& mnuFile;
    const EditMenuItems& mnuEdit;
    const ToolsMenuItems& mnuTools;
    bool& IsLoading;
    std::u16string& ReportText;
    std::vector<std::uint8_t>& ReportData;
    BrowsePanel* const& browse;  // the list beside the output box
    QSplitter* const& splitter;

private:
    frmMain& window_;
};

namespace wintest {

// Points QSettings (INI, user scope) at a fresh temporary folder while it lives.
class PrivateSettings {
public:
    PrivateSettings() { QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.path()); }
    QString IniFile() const { return dir_.path() + QStringLiteral("/Quovix/Tag Scope.ini"); }
    void WriteIni(const QByteArray& text) const;  // as a user would edit the file
    QString Value(const QString& key) const;      // "Section/Key"; "" when missing

private:
    QTemporaryDir dir_;
};

// Test classes that start the program: a scratch folder with a plain file, fresh settings
// and no entry for each test function, no main window left behind.
class WindowTest : public QObject {
    Q_OBJECT

protected:
    WindowTest() { QStandardPaths::setTestModeEnabled(true); }
    QString Scratch(const QString& name) const { return scratch_.filePath(name); }
    QString PlainFile() const { return Scratch(QStringLiteral("plain.txt")); }  // no reparse point

    QTemporaryDir scratch_;
    std::optional<PrivateSettings> settings_;

protected slots:
    void init();
    void cleanup();
};

// One answer to a modal dialog or box; it gets the modal widget.
using Step = std::function<void(QWidget*)>;

// Runs `action` with the modal widgets it opens answered by `steps` in order; true when
// every step was used and no other modal widget appeared (such a widget, or one a step
// leaves open, is rejected, so a test fails instead of hanging).
bool Answer(std::vector<Step> steps, const std::function<void()>& action);

struct BoxSeen {
    QString title, text, details;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};
// Notes what a message box shows and clicks `button`.
Step AnswerBox(QMessageBox::StandardButton button, BoxSeen* seen = nullptr);

struct DialogSeen {
    QString directory;
    QString fileName;  // the name in the file name box
};
// Notes what a save or open dialog shows, types `path` and presses Save or Open; cancels
// when `path` is empty.
Step AnswerFileDialog(const QString& path, DialogSeen* seen = nullptr);

inline frmMainTestAccess Controls(frmMain* window) { return frmMainTestAccess(*window); }

// Starts the program as Tagscope with `args`; the main window when one opened.
frmMain* StartProgram(const QStringList& args);
// Starts the program on `path` and waits until the report is shown.
frmMain* StartWithReport(const QString& path);
void DisposeMainWindow();

QByteArray ReadAll(const QString& path);  // "<missing>" when it cannot be read
bool WriteAll(const QString& path, const QByteArray& bytes);

}  // namespace wintest

// Skips the test when `why` says why the NTFS volume is missing; fails it under CI.
#define WINTEST_SKIP_WITHOUT_VOLUME(why)                                                         \
    do {                                                                                         \
        const QString why_ = (why);                                                              \
        if (!why_.isEmpty()) {                                                                   \
            if (testfs::UnderCI())                                                               \
                QFAIL(qPrintable(QStringLiteral("NTFS volume unavailable under CI: ") + why_));  \
            QSKIP(qPrintable(QStringLiteral("NTFS volume unavailable: ") + why_));              \
        }                                                                                        \
    } while (0)
