// The main window: the read-only output box with the report, the menus, opening other
// entries, images and folders, the list of a volume's reparse points beside the report,
// and the saving of the report text, the raw reparse data and the list.
#pragma once

#include <QMainWindow>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "window/MainMenus.h"
#include "window/OutputZoom.h"
#include "window/csTBSelectAllHook.h"
#include "window/modRecentEntries.h"
#include "report/modReparseListing.h"

class BrowsePanel;
class QPlainTextEdit;
class QSplitter;
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
    // would: caption, menus, report; a list shown before goes. Nothing happens while a
    // report is being built.
    void OpenEntry(const std::u16string& path);
    // Lists the reparse points of the volume in the image file or block device `image`
    // beside the output box: of the partition given, else of the volume alone or the
    // partition the user chooses when the disk holds several NTFS volumes. With
    // `volumePath` the report of that entry is shown at once, and its row is chosen when
    // it is listed. An image that cannot be opened is told in a box; the window stays as
    // it was.
    void OpenImage(const std::u16string& image, std::optional<std::int32_t> partition = std::nullopt,
                   const std::u16string& volumePath = {});
    // Lists the reparse points below `folder` of a mounted volume beside the output box;
    // links are listed, never followed. A folder that cannot be read is told in a box.
    void OpenFolder(const std::u16string& folder);

signals:
    // After ShowMessage has shown a text.
    void messageShown(const QString& text);
    // A report is complete and its commands are enabled.
    void reportShown();
    // A listing has ended, complete or cancelled.
    void listingFinished(bool cancelled);

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
    void OpenImageDialog();
    void OpenFolderDialog();
    void SaveOutputText();
    void SaveReparseData();
    void ExportList();
    void ExportShown();
    void Exit();
    void CopyText();
    void SelectAllText();
    void FocusFilter();
    void Reload();
    void ZoomIn();
    void ZoomOut();
    void ZoomNormal();
    void ShowSettings();
    void ShowContents();
    void ShowAboutBox();
    // A recent entry, image or folder chosen: opened, or when it no longer exists removed
    // from the list with a message.
    void OpenRecentEntry(const modRecentEntries::RecentItem& item);
    // An entry dropped on the window: an image file is listed, anything else reported.
    void OpenDropped(const std::u16string& path);

    void tmrLoad_Timer();
    void LoadReport();
    void SetCommandsReady();
    // The list beside the output box, and the report of its current entry.
    void ShowList();
    void HideList();
    void ShowCurrentEntryReport();
    void ShowReport(const std::u16string& name, const modReparseListing::ListingEntry& entry);
    void Export(bool shownOnly);
    void RestoreListLayout();
    void SaveListLayout();
    void ApplySettings(bool colorsOnly);
    void ApplyCaption();
    void Form_Load();
    void Form_Unload();
    void Form_QueryUnload(bool& cancel);
    void RestoreFormPlacement();
    void SaveFormPlacement();
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

    // What the list shows: an image's volume or a folder's tree.
    struct ListSource {
        modRecentEntries::RecentItem Item;  // the full path and the partition asked for
        std::int32_t VolumePartition = 0;   // the partition that was opened (0: the image is the volume)
    };

    QSplitter* splitter_ = nullptr;  // the list and the output box, side by side
    BrowsePanel* browse_ = nullptr;
    std::optional<ListSource> source_;
    std::u16string reportName_;  // the entry whose report is shown, for the save dialogs
    bool listShownThisRun_ = false;
    RecentEntriesMenu* recent_ = nullptr;
    std::unique_ptr<OutputZoom> zoom_;
    bool loadTimerStarted_ = false;
};
