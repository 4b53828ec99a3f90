// The main window: the read-only output box with the report, the menus and the saving
// of the report text and the raw reparse data.
#include "window/frmMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QShowEvent>

#include "common/SkipOnError.h"
#include "common/Utf16.h"
#include "common/modArraySize.h"
#include "console/modFormatVersion.h"
#include <Hollin0106/qvxFSO.h>
#include "report/modRPParse.h"
#include "support/quovixsupportfbe.h"
#include "window/WindowServices.h"
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
constexpr char16_t kPathsSection[] = u"OFN Paths";
constexpr char16_t kLastDirectoryKey[] = u"Last open TXT directory";

// A save command's write: any failure becomes the error that the error box shows.
template <typename Write>
void SaveReportingErrors(frmMain& window, const std::u16string& path, const char16_t* message, Write&& write)
{
    try {
        write();
    } catch (const AutomationError& e) {
        ErrorBox::ShowError(e, kMsgCritical, 0, path + u"\r\n\r\n" + message, &window);
    } catch (const std::exception& e) {
        constexpr std::int32_t kInternalError = 51;
        ErrorBox::ShowError(AutomationError(kInternalError, u"Tagscope", FromUtf8(e.what())),
                            kMsgCritical, 0, path + u"\r\n\r\n" + message, &window);
    }
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
    client_->installEventFilter(this);

    CreateMenus();
    resize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());

    tmrLoad.setSingleShot(true);
    tmrLoad.setInterval(1);
    connect(&tmrLoad, &QTimer::timeout, this, [this] { tmrLoad_Timer(); });

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

QAction* frmMain::AddItem(QMenu& menu, std::map<int, QAction*>& items, int index, const QString& caption,
                          const QKeySequence& shortcut, bool enabled, void (frmMain::*handler)(int))
{
    QAction* action = menu.addAction(caption);
    action->setShortcut(shortcut);
    action->setEnabled(enabled);
    connect(action, &QAction::triggered, this, [this, handler, index, caption] {
        RunReportingErrors(this, u"\"" + FromQString(caption) + u"\" failed.", [&] { (this->*handler)(index); });
    });
    items[index] = action;
    return action;
}

void frmMain::CreateMenus()
{
    QMenuBar* bar = menuBar();

    QMenu* file = bar->addMenu(QStringLiteral("File"));
    mnuMain[1] = file->menuAction();
    AddItem(*file, mnuFile, 1, QStringLiteral("Save output text as..."), QKeySequence(Qt::Key_F2), false,
            &frmMain::mnuFile_Click);
    AddItem(*file, mnuFile, 2, QStringLiteral("Save reparse point data as..."), QKeySequence(), false,
            &frmMain::mnuFile_Click);
    mnuFile[10] = file->addSeparator();
    AddItem(*file, mnuFile, 11, QStringLiteral("Exit"), QKeySequence(Qt::CTRL | Qt::Key_Q), true,
            &frmMain::mnuFile_Click);

    QMenu* tools = bar->addMenu(QStringLiteral("Tools"));
    mnuMain[2] = tools->menuAction();
    AddItem(*tools, mnuTools, 1, QStringLiteral("Settings..."), QKeySequence(), false, &frmMain::mnuTools_Click);

    QAction* version = bar->addAction(QStringLiteral("..."));
    version->setEnabled(false);
    mnuMain[98] = version;

    QMenu* help = bar->addMenu(QStringLiteral("Help"));
    mnuMain[99] = help->menuAction();
    AddItem(*help, mnuHelp, 1, QStringLiteral("Contents..."), QKeySequence(Qt::Key_F1), true,
            &frmMain::mnuHelp_Click);
    mnuHelp[10] = help->addSeparator();
    AddItem(*help, mnuHelp, 11, QStringLiteral("About..."), QKeySequence(Qt::SHIFT | Qt::Key_F1), true,
            &frmMain::mnuHelp_Click);
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

// ---- Saving ------------------------------------------------------------------------------

std::u16string frmMain::GetSaveFileName(bool textFile)
{
    FileDialog dialog;
    dialog.Filter = textFile ? u"Text files|*.TXT|All files|*.*" : u"Binary files|*.BIN|All files|*.*";
    dialog.Options = 0;
    dialog.Owner = GetActiveWindow();
    if (dialog.Owner == nullptr) dialog.Owner = this;
    SettingsStore store;
    dialog.InitDir = store.ReadValue(kPathsSection, kLastDirectoryKey, SettingsStore::vkText, Variant(u"")).toString();
    if (!dialog.ShowSave()) return {};
    const std::u16string path = dialog.FileName;
    // Remembered at once, so the folder is kept even when the write that follows fails.
    store.WriteValue(kPathsSection, kLastDirectoryKey, SettingsStore::vkText, Variant(esGetFilePath(path)));
    return path;
}

void frmMain::SaveOutputText()
{
    const std::u16string path = GetSaveFileName(true);
    if (path.empty()) return;
    SaveReportingErrors(*this, path, u"Can't save output text.", [&] {
        const std::u16string text = !ReportText.empty() ? ReportText : FromDisplayText(txtMain->toPlainText());
        modRPParse::FileSystemObject().PutFile2(path, text, true, feUTF8, fbBOM, ibDontInvertBytes);
    });
}

void frmMain::SaveReparseData()
{
    const std::u16string path = GetSaveFileName(false);
    if (path.empty()) return;
    SaveReportingErrors(*this, path, u"Can't save reparse point data.",
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
    IsLoading = true;
    modRPParse::BuildReparseReport(
        modRPParse::Frontend::Window, modMain::CommandLineFile,
        [this](const std::u16string& message) { ShowMessage(message); }, ReportText, ReportData);
    IsLoading = false;
    mnuFile[1]->setEnabled(true);
    if (modArraySize::GetArraySize(ReportData) > 0) mnuFile[2]->setEnabled(true);
    mnuTools[1]->setEnabled(true);
}

// ---- Menus and keys -------------------------------------------------------------------------

void frmMain::mnuFile_Click(int index)
{
    switch (index) {
    case 1: SaveOutputText(); break;
    case 2: SaveReparseData(); break;
    case 11: UnloadByCode(); break;
    default: break;
    }
}

void frmMain::mnuTools_Click(int index)
{
    if (index != 1) return;
    {
        frmSettings dialog(this);
        dialog.exec();
    }
    ApplySettings(true);
}

void frmMain::mnuHelp_Click(int index)
{
    int keyCode = kKeyF1;
    int shift = 0;
    if (index == 1) {
        Form_KeyDown(keyCode, shift);
    } else if (index == 11) {
        shift = kShiftMask;
        Form_KeyDown(keyCode, shift);
    }
}

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
        UnloadByCode();
    }
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtMain && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        int keyCode = KeyCodeOf(key->key());
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
    SkipOnError([this] { modTextBoxFonts::SetOutBoxFont(*txtMain, false); });
    SkipOnError([this] {
        setWindowTitle(ToQString(
            modAppWindowTitle::GetWindowTitle(u"", u"", modMain::CommandLineFile, u"Untitled", true, true)));
    });
    SkipOnError([this] { mnuMain[98]->setText(ToQString(modFormatVersion::GetAppVersionTag())); });
    SkipOnError([this] { esSetMenuJustify(*menuBar(), 2, true); });
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
    ApplySettings(false);
    RestoreFormPlacement();
}

void frmMain::Form_QueryUnload(bool& cancel, int /*unloadMode*/)
{
    if (IsLoading) cancel = true;
}

void frmMain::Form_Unload()
{
    SaveFormPlacement();
    modSettings::SaveSettings();
    SelectAllHook.reset();
}

void frmMain::UnloadByCode()
{
    unloadMode_ = kUnloadByCode;
    close();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    bool cancel = false;
    const int mode = unloadMode_;
    unloadMode_ = kUnloadByUser;
    Form_QueryUnload(cancel, mode);
    if (cancel) {
        event->ignore();
        return;
    }
    RunReportingErrors(this, u"Can't store the window placement and colours.", [this] { Form_Unload(); });
    // The hook goes in any case: the window is going.
    SelectAllHook.reset();
    event->accept();
}
