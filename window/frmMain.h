// The main window: the read-only output box with the report, the menus, opening other
// entries, and the saving of the report text and the raw reparse data.
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

    // Asks for the target of a save command in a save dialog that suggests the entry's
    // name with ".txt" or ".bin" in the folder last saved to (the home folder at first);
    // on confirmation remembers the chosen file's folder at once, as far as the settings
    // can be written. Returns the full path, or "" when the user cancelled.
    std::u16string GetSaveFileName(bool textFile);

    // Replaces the output box's text (CR LF line breaks become the box's own) and puts
    // the caret at the start. The report module's output hook.
    void ShowMessage(const std::u16string& text);

    void SaveOutputText();
    void SaveReparseData();
    void tmrLoad_Timer();
    void mnuFile_Click(int index);
    void mnuEdit_Click(int index);
    void mnuView_Click(int index);
    void mnuTools_Click(int index);
    void mnuHelp_Click(int index);
    void ApplySettings(bool colorsOnly);
    void Form_Load();
    void Form_Unload();
    void Form_QueryUnload(bool& cancel);
    void RestoreFormPlacement();
    void SaveFormPlacement();
    void Form_Resize();
    // Classic key code and shift state (1 Shift, 2 Ctrl, 4 Alt); the state must match
    // exactly. Sets `keyCode` to 0 when it acted on the key.
    void Form_KeyDown(int& keyCode, int& shift);

    // Shows the report of `path` in place of the current one, as a start with that name
    // would: caption, menus, report. Nothing happens while a report is being built.
    void OpenEntry(const std::u16string& path);
    // A recent entry chosen: opened, or when it no longer exists removed from the list
    // with a message.
    void OpenRecentEntry(const std::u16string& path);
    // Changes the output box's font size by `steps` points (0: back to the font's own
    // size) and remembers it.
    void Zoom(int steps);

    static constexpr int kKeyEscape = 27;
    static constexpr int kKeyF1 = 112;
    static constexpr int kShiftMask = 1;

    // Controls and state.
    QPlainTextEdit* txtMain = nullptr;
    QTimer tmrLoad;
    std::map<int, QAction*> mnuMain;
    std::map<int, QAction*> mnuFile;
    std::map<int, QAction*> mnuEdit;
    std::map<int, QAction*> mnuView;
    std::map<int, QAction*> mnuTools;
    std::map<int, QAction*> mnuHelp;
    QMenu* mnuRecent = nullptr;  // File > Recent entries
    bool IsLoading = false;
    std::unique_ptr<csTBSelectAllHook> SelectAllHook;
    std::u16string ReportText;
    std::vector<std::uint8_t> ReportData;
    int ZoomSteps = 0;  // points added to the output box's font

signals:
    // After ShowMessage has shown a text.
    void messageShown(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmMain();
    void CreateMenus();
    QAction* AddItem(QMenu& menu, std::map<int, QAction*>& items, int index, const QString& caption,
                     const QList<QKeySequence>& shortcuts, bool enabled, void (frmMain::*handler)(int));
    void LoadReport();
    void ApplyCaption();
    void ApplyZoom();
    void FillRecentMenu(const std::vector<std::u16string>& list);

    QWidget* client_ = nullptr;  // the client area below the menu bar
    bool loadTimerStarted_ = false;
    double fontPoints_ = 0;  // the output box font's own size, before zooming
};
