// The main window: the read-only output box with the report, the menus, opening other
// entries, and the saving of the report text and the raw reparse data.
#pragma once

#include <QMainWindow>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "window/MainMenus.h"
#include "window/OutputZoom.h"
#include "window/csTBSelectAllHook.h"

class QPlainTextEdit;
class RecentEntriesMenu;

class frmMain : public QMainWindow {
    Q_OBJECT

public:
    // The one main window, created (and loaded) on first use.
    static frmMain& Instance();
    // The main window when it exists, else null.
    static frmMain* Existing();

    ~frmMain() override;

    // Asks for the target of a save command in a save dialog that suggests the entry's
    // name with ".txt" or ".bin" in the folder last saved to (the home folder at first);
    // on confirmation remembers the chosen file's folder at once, as far as the settings
    // can be written. Returns the full path, or "" when the user cancelled.
    std::u16string GetSaveFileName(bool textFile);

    // Replaces the output box's text (CR LF line breaks become the box's own) and puts
    // the caret at the start. The report module's output hook.
    void ShowMessage(const std::u16string& text);

    // Shows the report of `path` in place of the current one, as a start with that name
    // would: caption, menus, report. Nothing happens while a report is being built.
    void OpenEntry(const std::u16string& path);

signals:
    // After ShowMessage has shown a text.
    void messageShown(const QString& text);
    // A report is complete and its commands are enabled.
    void reportShown();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The GUI tests reach the controls and the report through it.
    friend class frmMainTestAccess;

    frmMain();
    // Connects `item` to `command`; an error that escapes the command is shown in a box
    // that names the item.
    void Handle(QAction* item, void (frmMain::*command)());

    // The commands, one per menu item.
    void OpenEntryDialog();
    void SaveOutputText();
    void SaveReparseData();
    void Exit();
    void CopyText();
    void SelectAllText();
    void Reload();
    void ZoomIn();
    void ZoomOut();
    void ZoomNormal();
    void ShowSettings();
    void ShowContents();
    void ShowAboutBox();
    // A recent entry chosen: opened, or when it no longer exists removed from the list
    // with a message.
    void OpenRecentEntry(const std::u16string& path);

    void tmrLoad_Timer();
    void LoadReport();
    void ApplySettings(bool colorsOnly);
    void ApplyCaption();
    void Form_Load();
    void Form_Unload();
    void Form_QueryUnload(bool& cancel);
    void RestoreFormPlacement();
    void SaveFormPlacement();
    void Form_Resize();
    // Classic key code and shift state (1 Shift, 2 Ctrl, 4 Alt); the state must match
    // exactly. Sets `keyCode` to 0 when it acted on the key.
    void Form_KeyDown(int& keyCode, int& shift);

    static constexpr int kKeyEscape = 27;
    static constexpr int kKeyF1 = 112;
    static constexpr int kShiftMask = 1;

    // Controls and state.
    QPlainTextEdit* txtMain = nullptr;
    QTimer tmrLoad;
    MainMenuItems mnuMain;
    FileMenuItems mnuFile;
    EditMenuItems mnuEdit;
    ViewMenuItems mnuView;
    ToolsMenuItems mnuTools;
    HelpMenuItems mnuHelp;
    bool IsLoading = false;
    std::unique_ptr<csTBSelectAllHook> SelectAllHook;
    std::u16string ReportText;
    std::vector<std::uint8_t> ReportData;

    QWidget* client_ = nullptr;  // the client area below the menu bar
    RecentEntriesMenu* recent_ = nullptr;
    std::unique_ptr<OutputZoom> zoom_;
    bool loadTimerStarted_ = false;
};
