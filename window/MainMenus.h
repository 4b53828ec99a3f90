// The main window's menu bar: every command its own QAction, reached by name.
#pragma once

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

// The top-level items; `Version` shows the version tag and does nothing.
struct MainMenuItems {
    QAction* File = nullptr;
    QAction* Edit = nullptr;
    QAction* View = nullptr;
    QAction* Tools = nullptr;
    QAction* Version = nullptr;
    QAction* Help = nullptr;
};

struct FileMenuItems {
    QAction* Open = nullptr;            // Open... (Ctrl+O)
    QAction* OpenImage = nullptr;       // Open Image... (Ctrl+Shift+O)
    QAction* OpenFolder = nullptr;      // Open Folder...
    QMenu* Recent = nullptr;            // Recent entries, filled by RecentEntriesMenu
    QAction* SaveOutputText = nullptr;  // Save output text as... (F2)
    QAction* SaveReparseData = nullptr; // Save reparse point data as...
    QAction* ExportList = nullptr;      // Export list... (Ctrl+E)
    QAction* ExportShown = nullptr;     // Export filtered rows...
    QAction* Exit = nullptr;            // Exit (Ctrl+Q)
};

struct EditMenuItems {
    QAction* Copy = nullptr;       // Ctrl+C
    QAction* SelectAll = nullptr;  // Ctrl+A
    QAction* Filter = nullptr;     // Filter List (Ctrl+F): to the browser's filter field
};

struct ViewMenuItems {
    QAction* Reload = nullptr;      // F5
    QAction* ZoomIn = nullptr;      // Ctrl++ and Ctrl+=
    QAction* ZoomOut = nullptr;     // Ctrl+-
    QAction* NormalSize = nullptr;  // Ctrl+0
};

struct ToolsMenuItems {
    QAction* Settings = nullptr;
};

struct HelpMenuItems {
    QAction* Contents = nullptr;  // F1
    QAction* About = nullptr;     // Shift+F1
};

struct MainMenus {
    MainMenuItems Main;
    FileMenuItems File;
    EditMenuItems Edit;
    ViewMenuItems View;
    ToolsMenuItems Tools;
    HelpMenuItems Help;
};

// Fills `bar` with the menus, captions, mnemonics and shortcuts of the main window, each
// item in its state at start: the save commands, Reload and Settings... disabled until a
// report is shown, Copy until text is selected, the exports and Filter List until a
// listing is shown. F10, added to `window`, opens the first
// menu. Nothing is connected to the items' triggers.
MainMenus CreateMainMenus(QMenuBar& bar, QWidget& window);
