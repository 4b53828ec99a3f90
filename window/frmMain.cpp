// The main window: the read-only output box with the report, the menus, opening other
// entries, and the saving of the report text and the raw reparse data.
#include "window/frmMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QShowEvent>
#include <QUrl>

#include <algorithm>

#include "common/SkipOnError.h"
#include "common/modArraySize.h"
#include "console/modFormatVersion.h"
#include <Hollin0106/qvxFSO.h>
#include "report/modRPParse.h"
#include "support/quovixsupportfbe.h"
#include "window/AboutBox.h"
#include "window/Dialogs.h"
#include "window/Icons.h"
#include "window/MenuBar.h"
#include "window/QtText.h"
#include "window/SettingsStore.h"
#include "window/TextBoxHelpers.h"
#include "window/frmSettings.h"
#include "window/modAppWindowTitle.h"
#include "window/modMain.h"
#include "window/modRecentEntries.h"
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
constexpr char16_t kOutBoxSection[] = u"Out Box";
constexpr char16_t kZoomKey[] = u"Zoom";

// Zoom steps are points added to the font; the font never gets smaller than this.
constexpr int kMinZoom = -6;
constexpr int kMaxZoom = 30;
constexpr double kMinPoints = 4;

// The classic key codes of the keys the window handles itself.
int KeyCodeOf(int qtKey)
{
    if (qtKey == Qt::Key_Escape) return frmMain::kKeyEscape;
    if (qtKey == Qt::Key_F1) return frmMain::kKeyF1;
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
    setAcceptDrops(true);
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
                          const QList<QKeySequence>& shortcuts, bool enabled, void (frmMain::*handler)(int))
{
    QAction* action = menu.addAction(caption);
    action->setShortcuts(shortcuts);
    action->setEnabled(enabled);
    const std::u16string what = u"\"" + FromQString(QString(caption).remove(u'&')) + u"\" failed.";
    connect(action, &QAction::triggered, this,
            [this, handler, index, what] { RunReportingErrors(this, what, [&] { (this->*handler)(index); }); });
    items[index] = action;
    return action;
}

void frmMain::CreateMenus()
{
    QMenuBar* bar = menuBar();
    using Keys = QList<QKeySequence>;

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    mnuMain[1] = file->menuAction();
    AddItem(*file, mnuFile, 3, QStringLiteral("&Open..."), {QKeySequence(Qt::CTRL | Qt::Key_O)}, true,
            &frmMain::mnuFile_Click);
    mnuRecent = file->addMenu(QStringLiteral("Recent &entries"));
    mnuFile[4] = mnuRecent->menuAction();
    file->addSeparator();
    AddItem(*file, mnuFile, 1, QStringLiteral("&Save output text as..."), {QKeySequence(Qt::Key_F2)}, false,
            &frmMain::mnuFile_Click);
    AddItem(*file, mnuFile, 2, QStringLiteral("Save reparse point &data as..."), {}, false, &frmMain::mnuFile_Click);
    mnuFile[10] = file->addSeparator();
    AddItem(*file, mnuFile, 11, QStringLiteral("E&xit"), {QKeySequence(Qt::CTRL | Qt::Key_Q)}, true,
            &frmMain::mnuFile_Click);

    QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
    mnuMain[3] = edit->menuAction();
    AddItem(*edit, mnuEdit, 1, QStringLiteral("&Copy"), {QKeySequence(Qt::CTRL | Qt::Key_C)}, false,
            &frmMain::mnuEdit_Click);
    AddItem(*edit, mnuEdit, 2, QStringLiteral("Select &All"), {QKeySequence(Qt::CTRL | Qt::Key_A)}, true,
            &frmMain::mnuEdit_Click);
    connect(txtMain, &QPlainTextEdit::copyAvailable, mnuEdit[1], &QAction::setEnabled);
    // The output box's context menu holds the same two commands.
    txtMain->setContextMenuPolicy(Qt::ActionsContextMenu);
    txtMain->addActions({mnuEdit[1], mnuEdit[2]});

    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    mnuMain[4] = view->menuAction();
    AddItem(*view, mnuView, 1, QStringLiteral("&Reload"), {QKeySequence(Qt::Key_F5)}, false, &frmMain::mnuView_Click);
    view->addSeparator();
    AddItem(*view, mnuView, 2, QStringLiteral("Zoom &In"),
            Keys{QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)}, true,
            &frmMain::mnuView_Click);
    AddItem(*view, mnuView, 3, QStringLiteral("Zoom &Out"), {QKeySequence(Qt::CTRL | Qt::Key_Minus)}, true,
            &frmMain::mnuView_Click);
    AddItem(*view, mnuView, 4, QStringLiteral("&Normal Size"), {QKeySequence(Qt::CTRL | Qt::Key_0)}, true,
            &frmMain::mnuView_Click);

    QMenu* tools = bar->addMenu(QStringLiteral("&Tools"));
    mnuMain[2] = tools->menuAction();
    AddItem(*tools, mnuTools, 1, QStringLiteral("&Settings..."), {}, false, &frmMain::mnuTools_Click);

    QAction* version = bar->addAction(QStringLiteral("..."));
    version->setEnabled(false);
    mnuMain[98] = version;

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    mnuMain[99] = help->menuAction();
    AddItem(*help, mnuHelp, 1, QStringLiteral("&Contents..."), {QKeySequence(Qt::Key_F1)}, true,
            &frmMain::mnuHelp_Click);
    mnuHelp[10] = help->addSeparator();
    AddItem(*help, mnuHelp, 11, QStringLiteral("&About..."), {QKeySequence(Qt::SHIFT | Qt::Key_F1)}, true,
            &frmMain::mnuHelp_Click);

    // F10 opens the first menu, as on other desktops.
    auto* toMenuBar = new QAction(this);
    toMenuBar->setShortcut(QKeySequence(Qt::Key_F10));
    addAction(toMenuBar);
    connect(toMenuBar, &QAction::triggered, this, [this] { menuBar()->setActiveAction(mnuMain[1]); });
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
    dialog.FileName = SuggestedSaveName(modMain::CommandLineFile, textFile);
    if (!dialog.ShowSave()) return {};
    const std::u16string path = dialog.FileName;
    // Remembered at once, so the folder is kept even when the write that follows fails.
    StoreBestEffort([&] {
        store.WriteValue(kPathsSection, kLastDirectoryKey, SettingsStore::vkText, Variant(esGetFilePath(path)));
    });
    return path;
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
    for (QAction* item : {mnuFile[1], mnuFile[2], mnuView[1], mnuTools[1]}) item->setEnabled(false);
    IsLoading = true;
    modRPParse::BuildReparseReport(
        modRPParse::Frontend::Window, modMain::CommandLineFile,
        [this](const std::u16string& message) { ShowMessage(message); }, ReportText, ReportData);
    IsLoading = false;
    mnuFile[1]->setEnabled(true);
    if (modArraySize::GetArraySize(ReportData) > 0) mnuFile[2]->setEnabled(true);
    mnuView[1]->setEnabled(true);
    mnuTools[1]->setEnabled(true);

    const std::u16string& entry = modMain::CommandLineFile;
    if (!entry.empty() && EntryExists(entry)) {
        const auto list = modRecentEntries::WithEntry(modRecentEntries::Load(), esGetFullFileName(entry));
        FillRecentMenu(list);
        StoreBestEffort([&] { modRecentEntries::Store(list); });
    }
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

void frmMain::OpenRecentEntry(const std::u16string& path)
{
    if (EntryExists(path)) {
        OpenEntry(path);
        return;
    }
    auto list = modRecentEntries::Load();
    std::erase(list, path);
    FillRecentMenu(list);
    StoreBestEffort([&] { modRecentEntries::Store(list); });
    esMsgBoxEx(path + u"\r\n\r\nThis entry no longer exists; it has been removed from the recent entries.",
               kMsgExclamation, u"", u"A_MAIN", this);
}

void frmMain::FillRecentMenu(const std::vector<std::u16string>& list)
{
    mnuRecent->clear();
    int number = 0;
    for (const std::u16string& path : list) {
        ++number;
        QString caption = ToQString(path).replace(u'&', QStringLiteral("&&"));
        if (number < 10) caption = QStringLiteral("&%1 ").arg(number) + caption;
        QAction* item = mnuRecent->addAction(caption);
        connect(item, &QAction::triggered, this, [this, path] {
            RunReportingErrors(this, u"Can't open the entry.", [&] { OpenRecentEntry(path); });
        });
    }
    mnuRecent->menuAction()->setEnabled(!list.empty());
}

// ---- Drag and drop -------------------------------------------------------------------------

void frmMain::dragEnterEvent(QDragEnterEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!IsLoading && !urls.isEmpty() && urls.first().isLocalFile()) event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (IsLoading || urls.isEmpty() || !urls.first().isLocalFile()) return;
    event->acceptProposedAction();
    const std::u16string path = FromQString(urls.first().toLocalFile());
    RunReportingErrors(this, u"Can't open the entry.", [&] { OpenEntry(path); });
}

// ---- Menus and keys -------------------------------------------------------------------------

void frmMain::mnuFile_Click(int index)
{
    switch (index) {
    case 1: SaveOutputText(); break;
    case 2: SaveReparseData(); break;
    case 3: {
        FileDialog dialog;
        dialog.Owner = this;
        if (!modMain::CommandLineFile.empty()) dialog.InitDir = esGetFilePath(esGetFullFileName(modMain::CommandLineFile));
        if (dialog.ShowOpen()) OpenEntry(dialog.FileName);
        break;
    }
    case 11: close(); break;
    default: break;
    }
}

void frmMain::mnuEdit_Click(int index)
{
    if (index == 1) txtMain->copy();
    if (index == 2) esTextBox_SelectAll(*txtMain);
}

void frmMain::mnuView_Click(int index)
{
    switch (index) {
    case 1: OpenEntry(modMain::CommandLineFile); break;
    case 2: Zoom(ZoomSteps + 1); break;
    case 3: Zoom(ZoomSteps - 1); break;
    case 4: Zoom(0); break;
    default: break;
    }
}

void frmMain::Zoom(int steps)
{
    ZoomSteps = std::clamp(steps, kMinZoom, kMaxZoom);
    ApplyZoom();
    StoreBestEffort([this] {
        SettingsStore().WriteValue(kOutBoxSection, kZoomKey, SettingsStore::vkNumber, Variant(ZoomSteps));
    });
}

void frmMain::ApplyZoom()
{
    if (fontPoints_ <= 0) return;
    QFont font = txtMain->font();
    font.setPointSizeF(std::max(kMinPoints, fontPoints_ + ZoomSteps));
    txtMain->setFont(font);
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
        close();
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
    SkipOnError([this] {
        modTextBoxFonts::SetOutBoxFont(*txtMain, false);
        fontPoints_ = txtMain->font().pointSizeF();
        ApplyZoom();
    });
    SkipOnError([this] { ApplyCaption(); });
    SkipOnError([this] { mnuMain[98]->setText(ToQString(modFormatVersion::GetAppVersionTag())); });
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
    SkipOnError([this] {
        const Variant zoom = SettingsStore().ReadValue(kOutBoxSection, kZoomKey, SettingsStore::vkNumber, Variant(0));
        ZoomSteps = std::clamp(static_cast<int>(zoom.toLong()), kMinZoom, kMaxZoom);
    });
    ApplySettings(false);
    SkipOnError([this] { FillRecentMenu(modRecentEntries::Load()); });
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
