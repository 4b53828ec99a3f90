// The main window: the read-only output box with the report, the menus and the saving
// of the report text and the raw reparse data.
#pragma once

#include <QMainWindow>
#include <QTimer>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "window/csTBSelectAllHook.h"

class QAction;
class QMenu;
class QPlainTextEdit;

class frmMain : public QMainWindow {
    Q_OBJECT

public:
    // The one main window, created (and loaded) on first use.
    static frmMain& Instance();
    // The main window when it exists, else null.
    static frmMain* Existing();

    ~frmMain() override;

    // Asks for the target of a save command in a save dialog that starts in the folder
    // last saved to; on confirmation remembers the chosen file's folder at once. Returns
    // the full path, or "" when the user cancelled. Errors of the dialog or the settings
    // store reach the caller.
    std::u16string GetSaveFileName(bool textFile);

    // Replaces the output box's text (CR LF line breaks become the box's own) and puts
    // the caret at the start. The report module's output hook.
    void ShowMessage(const std::u16string& text);

    void SaveOutputText();
    void SaveReparseData();
    void tmrLoad_Timer();
    void mnuFile_Click(int index);
    void mnuTools_Click(int index);
    void mnuHelp_Click(int index);
    void ApplySettings(bool colorsOnly);
    void Form_Load();
    void Form_Unload();
    void Form_QueryUnload(bool& cancel, int unloadMode);
    void RestoreFormPlacement();
    void SaveFormPlacement();
    void Form_Resize();
    // Classic key code and shift state (1 Shift, 2 Ctrl, 4 Alt); the state must match
    // exactly. Sets `keyCode` to 0 when it acted on the key.
    void Form_KeyDown(int& keyCode, int& shift);

    // Controls and state.
    QPlainTextEdit* txtMain = nullptr;
    QTimer tmrLoad;
    std::map<int, QAction*> mnuMain;
    std::map<int, QAction*> mnuFile;
    std::map<int, QAction*> mnuTools;
    std::map<int, QAction*> mnuHelp;
    bool IsLoading = false;
    std::unique_ptr<csTBSelectAllHook> SelectAllHook;
    std::u16string ReportText;
    std::vector<std::uint8_t> ReportData;

    // Unload modes of Form_QueryUnload.
    static constexpr int kUnloadByUser = 0;  // the window's close box, Alt+F4
    static constexpr int kUnloadByCode = 1;  // "Exit", Escape

signals:
    // After ShowMessage has shown a text.
    void messageShown(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmMain();
    void CreateMenus();
    QAction* AddItem(QMenu& menu, std::map<int, QAction*>& items, int index, const QString& caption,
                     const QKeySequence& shortcut, bool enabled, void (frmMain::*handler)(int));
    void UnloadByCode();

    QWidget* client_ = nullptr;  // the client area below the menu bar
    bool loadTimerStarted_ = false;
    int unloadMode_ = kUnloadByUser;
};
