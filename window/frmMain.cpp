// The main window: the read-only output box with the report, the menus, opening other
// entries, and the saving of the report text and the raw reparse data.
#include "window/frmMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QShowEvent>

#include "common/SkipOnError.h"
#include "common/modArraySize.h"
#include "console/modFormatVersion.h"
#include <Hollin0106/qvxFSO.h>
#include "report/modRPParse.h"
#include "support/quovixsupportfbe.h"
#include "window/AboutBox.h"
#include "window/Dialogs.h"
#include "window/EntryDropFilter.h"
#include "window/Icons.h"
#include "window/MenuBar.h"
#include "window/QtText.h"
#include "window/RecentEntriesMenu.h"
#include "window/SaveFileDialog.h"
#include "window/SettingsStore.h"
#include "window/TextBoxHelpers.h"
#include "window/frmSettings.h"
#include "window/modAppWindowTitle.h"
#include "window/modMain.h"
#include "window/modSettings.h"
#include "window/modTextBoxFonts.h"

using namespace Hollin0106;

namespace {

frmMain* g_instance = nullptr;

// Layout measures in twips; 15 twips make one pixel at the usual screen setting.
constexpr int kTwipsPerPixel = 15;
constexpr int kClientWidth = 10155 / kTwipsPerPixel;
constexpr int kClientHeight = 6885 / kTwipsPerPixel;

constexpr char16_t kPlacementKey[] = u"Window placement";

// The classic key codes of the keys the window handles itself.
int KeyCodeOf(int qtKey, int escape, int f1)
{
    if (qtKey == Qt::Key_Escape) return escape;
    if (qtKey == Qt::Key_F1) return f1;
    return 0;
}

// Shift 1, Ctrl 2, Alt 4, Meta 8 (Meta has no classic counterpart and never matches).
int ShiftStateOf(Qt::KeyboardModifiers modifiers)
{
    int shift = 0;
    if (modifiers & Qt::ShiftModifier) shift |= 1;
    if (modifiers & Qt::ControlModifier) shift |= 2;
    if (modifiers & Qt::AltModifier) shift |= 4;
    if (modifiers & Qt::MetaModifier) shift |= 8;
    return shift;
}

bool EntryExists(const std::u16string& path)
{
    return esIsFileExist(path) || esIsDirectory(path);
}

// The name a save dialog suggests: the entry's own name and the extension.
std::u16string SuggestedSaveName(const std::u16string& entry, bool textFile)
{
    std::u16string name = entry.empty() ? std::u16string() : modAppWindowTitle::GetDocumentName(entry);
    if (name.empty() || name.find_first_of(u"/\\") != std::u16string::npos) name = u"Untitled";
    return name + (textFile ? u".txt" : u".bin");
}

}  // namespace

frmMain& frmMain::Instance()
{
    if (g_instance == nullptr) new frmMain();
    return *g_instance;
}

frmMain* frmMain::Existing()
{
    return g_instance;
}

frmMain::frmMain()
{
    g_instance = this;
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(QFont(QStringLiteral("Tahoma"), 9));

    client_ = new QWidget(this);
    setCentralWidget(client_);
    txtMain = new QPlainTextEdit(client_);
    txtMain->setObjectName(QStringLiteral("txtMain"));
    txtMain->setReadOnly(true);
    txtMain->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    txtMain->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    txtMain->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtMain->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtMain->setUndoRedoEnabled(false);
    // Drops go to the window, which opens the entry, not into the text.
    txtMain->setAcceptDrops(false);
    client_->installEventFilter(this);
    zoom_ = std::make_unique<OutputZoom>(*txtMain);

    const MainMenus menus = CreateMainMenus(*menuBar(), *this);
    mnuMain = menus.Main;
    mnuFile = menus.File;
    mnuEdit = menus.Edit;
    mnuView = menus.View;
    mnuTools = menus.Tools;
    mnuHelp = menus.Help;
    Handle(mnuFile.Open, &frmMain::OpenEntryDialog);
    Handle(mnuFile.SaveOutputText, &frmMain::SaveOutputText);
    Handle(mnuFile.SaveReparseData, &frmMain::SaveReparseData);
    Handle(mnuFile.Exit, &frmMain::Exit);
    Handle(mnuEdit.Copy, &frmMain::CopyText);
    Handle(mnuEdit.SelectAll, &frmMain::SelectAllText);
    Handle(mnuView.Reload, &frmMain::Reload);
    Handle(mnuView.ZoomIn, &frmMain::ZoomIn);
    Handle(mnuView.ZoomOut, &frmMain::ZoomOut);
    Handle(mnuView.NormalSize, &frmMain::ZoomNormal);
    Handle(mnuTools.Settings, &frmMain::ShowSettings);
    Handle(mnuHelp.Contents, &frmMain::ShowContents);
    Handle(mnuHelp.About, &frmMain::ShowAboutBox);
    connect(txtMain, &QPlainTextEdit::copyAvailable, mnuEdit.Copy, &QAction::setEnabled);
    // The output box's context menu holds the same two commands.
    txtMain->setContextMenuPolicy(Qt::ActionsContextMenu);
    txtMain->addActions({mnuEdit.Copy, mnuEdit.SelectAll});

    recent_ = new RecentEntriesMenu(*mnuFile.Recent, this);
    connect(recent_, &RecentEntriesMenu::entryChosen, this, [this](const std::u16string& path) {
        RunReportingErrors(this, u"Can't open the entry.", [&] { OpenRecentEntry(path); });
    });
    auto* drops = new EntryDropFilter(*this, [this] { return !IsLoading; });
    connect(drops, &EntryDropFilter::dropped, this, [this](const std::u16string& path) {
        RunReportingErrors(this, u"Can't open the entry.", [&] { OpenEntry(path); });
    });

    resize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());

    tmrLoad.setSingleShot(true);
    tmrLoad.setInterval(1);
    connect(&tmrLoad, &QTimer::timeout, this, &frmMain::tmrLoad_Timer);

    RunReportingErrors(this, u"Can't load the main window.", [this] { Form_Load(); });
    // Key preview: this filter is installed after the select-all hook's, so the window
    // sees the output box's keys first.
    txtMain->installEventFilter(this);
    txtMain->setFocus();
}

frmMain::~frmMain()
{
    if (g_instance == this) g_instance = nullptr;
}

void frmMain::Handle(QAction* item, void (frmMain::*command)())
{
    const std::u16string what = u"\"" + FromQString(item->text().remove(u'&')) + u"\" failed.";
    connect(item, &QAction::triggered, this,
            [this, command, what] { RunReportingErrors(this, what, [&] { (this->*command)(); }); });
}

// ---- Output ------------------------------------------------------------------------------

void frmMain::ShowMessage(const std::u16string& text)
{
    const QString shown = ToDisplayText(text);
    txtMain->setPlainText(shown);
    esTextBox_SelectStart(*txtMain);
    // The report runs without returning to the event loop; paint now so that the
    // progress lines are seen while it works.
    if (txtMain->isVisible()) txtMain->viewport()->repaint();
    emit messageShown(shown);
}

void frmMain::Exit()
{
    close();
}

void frmMain::CopyText()
{
    txtMain->copy();
}

void frmMain::SelectAllText()
{
    esTextBox_SelectAll(*txtMain);
}

// ---- Saving ------------------------------------------------------------------------------

std::u16string frmMain::GetSaveFileName(bool textFile)
{
    return AskSaveFileName(this, textFile ? u"Text files|*.TXT|All files|*.*" : u"Binary files|*.BIN|All files|*.*",
                           SuggestedSaveName(modMain::CommandLineFile, textFile));
}

void frmMain::SaveOutputText()
{
    const std::u16string path = GetSaveFileName(true);
    if (path.empty()) return;
    RunReportingErrors(this, path + u"\r\n\r\nCan't save output text.", [&] {
        modRPParse::FileSystemObject().PutFile2(path, ReportText, true, feUTF8, fbBOM, ibDontInvertBytes);
    });
}

void frmMain::SaveReparseData()
{
    const std::u16string path = GetSaveFileName(false);
    if (path.empty()) return;
    RunReportingErrors(this, path + u"\r\n\r\nCan't save reparse point data.",
                       [&] { modRPParse::FileSystemObject().PutFileB(path, ReportData, true); });
}

// ---- The report ----------------------------------------------------------------------------

void frmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // The report waits until the window has been shown: the timer's first tick comes
    // once the event loop runs again.
    if (!loadTimerStarted_) {
        loadTimerStarted_ = true;
        tmrLoad.start();
    }
}

void frmMain::tmrLoad_Timer()
{
    tmrLoad.stop();
    LoadReport();
}

void frmMain::LoadReport()
{
    for (QAction* item : {mnuFile.SaveOutputText, mnuFile.SaveReparseData, mnuView.Reload, mnuTools.Settings})
        item->setEnabled(false);
    IsLoading = true;
    modRPParse::BuildReparseReport(
        modRPParse::Frontend::Window, modMain::CommandLineFile,
        [this](const std::u16string& message) { ShowMessage(message); }, ReportText, ReportData);
    IsLoading = false;
    mnuFile.SaveOutputText->setEnabled(true);
    if (modArraySize::GetArraySize(ReportData) > 0) mnuFile.SaveReparseData->setEnabled(true);
    mnuView.Reload->setEnabled(true);
    mnuTools.Settings->setEnabled(true);

    const std::u16string& entry = modMain::CommandLineFile;
    if (!entry.empty() && EntryExists(entry)) recent_->Add(esGetFullFileName(entry));
    emit reportShown();
}

void frmMain::OpenEntry(const std::u16string& path)
{
    if (IsLoading) return;
    tmrLoad.stop();
    loadTimerStarted_ = true;
    modMain::CommandLineFile = path;
    ReportText.clear();
    ReportData.clear();
    ApplyCaption();
    LoadReport();
}

void frmMain::OpenEntryDialog()
{
    FileDialog dialog;
    dialog.Owner = this;
    if (!modMain::CommandLineFile.empty()) dialog.InitDir = esGetFilePath(esGetFullFileName(modMain::CommandLineFile));
    if (dialog.ShowOpen()) OpenEntry(dialog.FileName);
}

void frmMain::OpenRecentEntry(const std::u16string& path)
{
    if (EntryExists(path)) {
        OpenEntry(path);
        return;
    }
    recent_->Remove(path);
    esMsgBoxEx(path + u"\r\n\r\nThis entry no longer exists; it has been removed from the recent entries.",
               kMsgExclamation, u"", u"A_MAIN", this);
}

void frmMain::Reload()
{
    OpenEntry(modMain::CommandLineFile);
}

// ---- Zoom, settings, help ---------------------------------------------------------------------

void frmMain::ZoomIn()
{
    zoom_->Zoom(zoom_->Steps() + 1);
}

void frmMain::ZoomOut()
{
    zoom_->Zoom(zoom_->Steps() - 1);
}

void frmMain::ZoomNormal()
{
    zoom_->Zoom(0);
}

void frmMain::ShowSettings()
{
    {
        frmSettings dialog(this);
        dialog.exec();
    }
    ApplySettings(true);
}

void frmMain::ShowContents()
{
    int keyCode = kKeyF1;
    int shift = 0;
    Form_KeyDown(keyCode, shift);
}

void frmMain::ShowAboutBox()
{
    int keyCode = kKeyF1;
    int shift = kShiftMask;
    Form_KeyDown(keyCode, shift);
}

// ---- Keys ------------------------------------------------------------------------------------

void frmMain::Form_KeyDown(int& keyCode, int& shift)
{
    if (keyCode == kKeyF1 && shift == kShiftMask) {
        keyCode = 0;
        ShowAbout(this, u"", nullptr, u"Довра");
    } else if (keyCode == kKeyF1 && shift == 0) {
        keyCode = 0;
        esOpenReadMeFile(0);
    } else if (keyCode == kKeyEscape && shift == 0) {
        keyCode = 0;
        close();
    }
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtMain && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        int keyCode = KeyCodeOf(key->key(), kKeyEscape, kKeyF1);
        int shift = ShiftStateOf(key->modifiers());
        if (keyCode != 0) {
            RunReportingErrors(this, u"The key could not be handled.", [&] { Form_KeyDown(keyCode, shift); });
            if (keyCode == 0) return true;
        }
    } else if (watched == client_ && event->type() == QEvent::Resize) {
        Form_Resize();
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- Settings, placement, size --------------------------------------------------------------

void frmMain::ApplySettings(bool colorsOnly)
{
    SkipOnError([this] {
        QPalette palette = txtMain->palette();
        palette.setColor(QPalette::Base, ColorFromColorRef(modSettings::OutBoxBackColor));
        palette.setColor(QPalette::Text, ColorFromColorRef(modSettings::OutBoxForeColor));
        txtMain->setPalette(palette);
    });
    if (colorsOnly) return;
    SkipOnError([this] {
        modTextBoxFonts::SetOutBoxFont(*txtMain, false);
        zoom_->TakeNormalFont();
    });
    SkipOnError([this] { ApplyCaption(); });
    SkipOnError([this] { mnuMain.Version->setText(ToQString(modFormatVersion::GetAppVersionTag())); });
    // The version tag and Help at the right end: from the fifth top-level item on.
    SkipOnError([this] { esSetMenuJustify(*menuBar(), 4, true); });
}

void frmMain::ApplyCaption()
{
    setWindowTitle(
        ToQString(modAppWindowTitle::GetWindowTitle(u"", u"", modMain::CommandLineFile, u"Untitled", true, true)));
}

void frmMain::RestoreFormPlacement()
{
    const SettingsStore store;
    if (!store.RestoreWindowPlacement(u"", kPlacementKey, *this)) esCenterFormEx(*this, 0);
}

void frmMain::SaveFormPlacement()
{
    SettingsStore store;
    store.SaveWindowPlacement(u"", kPlacementKey, *this);
}

void frmMain::Form_Resize()
{
    txtMain->setGeometry(0, 0, client_->width(), client_->height());
}

// ---- Load and unload ------------------------------------------------------------------------

void frmMain::Form_Load()
{
    asSetWindowResIconAll(this, u"A_MAIN");
    SelectAllHook = std::make_unique<csTBSelectAllHook>();
    SelectAllHook->Init(txtMain);
    modSettings::LoadSettings();
    SkipOnError([this] { zoom_->LoadSteps(); });
    ApplySettings(false);
    SkipOnError([this] { recent_->Load(); });
    RestoreFormPlacement();
}

void frmMain::Form_QueryUnload(bool& cancel)
{
    if (IsLoading) cancel = true;
}

void frmMain::Form_Unload()
{
    // What is stored here is only remembered for the next run: a settings file that
    // cannot be written must not keep the window open or show a box on every close.
    StoreBestEffort([this] { SaveFormPlacement(); });
    StoreBestEffort([] { modSettings::SaveSettings(); });
    SelectAllHook.reset();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    bool cancel = false;
    Form_QueryUnload(cancel);
    if (cancel) {
        event->ignore();
        return;
    }
    RunReportingErrors(this, u"Can't store the window placement and colours.", [this] { Form_Unload(); });
    // The hook goes in any case: the window is going.
    SelectAllHook.reset();
    event->accept();
}
