// The main window: the read-only output box with the report, the menus, opening other
// entries, images and folders, the list of a volume's reparse points beside the report,
// and the saving of the report text, the raw reparse data and the list.
#include "window/frmMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSplitter>
#include <QTableView>

#include <Hollin0106/NtfsImage.h>
#include <Hollin0106/qvxFSO.h>

#include "common/SkipOnError.h"
#include "common/modArraySize.h"
#include "console/modFormatVersion.h"
#include "platform/Files.h"
#include "report/ListingSources.h"
#include "report/modRPParse.h"
#include "support/quovixsupportfbe.h"
#include "window/AboutBox.h"
#include "window/BrowsePanel.h"
#include "window/Dialogs.h"
#include "window/EntryDropFilter.h"
#include "window/Icons.h"
#include "window/ListExport.h"
#include "window/MenuBar.h"
#include "window/PartitionChoice.h"
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
using modRecentEntries::RecentItem;
using modRecentEntries::RecentKind;
using modReparseListing::ListingEntry;

namespace {

frmMain* g_instance = nullptr;

// Layout measures in twips; 15 twips make one pixel at the usual screen setting.
constexpr int kTwipsPerPixel = 15;
constexpr int kClientWidth = 10155 / kTwipsPerPixel;
constexpr int kClientHeight = 6885 / kTwipsPerPixel;

constexpr char16_t kPlacementKey[] = u"Window placement";
constexpr char16_t kListSection[] = u"List";
constexpr char16_t kSplitterKey[] = u"Splitter sizes";
constexpr char16_t kColumnsKey[] = u"Column widths";
// The width the window takes when it first shows a list beside the report.
constexpr int kListWindowWidth = 1200;

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
std::u16string SuggestedSaveName(const std::u16string& entry, const std::u16string& extension)
{
    std::u16string name = entry.empty() ? std::u16string() : modAppWindowTitle::GetDocumentName(entry);
    if (name.empty() || name.find_first_of(u"/\\") != std::u16string::npos) name = u"Untitled";
    return name + extension;
}

// Numbers stored as "1,2,3"; empty when any of them is not a number.
std::vector<int> NumbersOf(const std::u16string& text)
{
    std::vector<int> numbers;
    for (const QString& part : ToQString(text).split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        numbers.push_back(part.trimmed().toInt(&ok));
        if (!ok) return {};
    }
    return numbers;
}

std::u16string TextOf(const QList<int>& numbers)
{
    QStringList parts;
    for (const int n : numbers) parts.append(QString::number(n));
    return FromQString(parts.join(u','));
}

// A local file that holds an NTFS volume, alone or in a partition, and is neither a
// folder nor a link (a junction or link is reported, never followed).
bool IsNtfsImage(const std::u16string& path)
{
    const QFileInfo info(ToQString(path));
    if (info.isSymLink() || info.isDir() || !info.exists()) return false;
    NtfsImage probe;
    return probe.Open(path);
}

std::u16string WithStop(std::u16string text)
{
    if (!text.empty() && text.back() != u'.') text += u'.';
    return text;
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

    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setChildrenCollapsible(false);
    setCentralWidget(splitter_);
    browse_ = new BrowsePanel(splitter_);
    browse_->hide();
    txtMain = new QPlainTextEdit(splitter_);
    txtMain->setObjectName(QStringLiteral("txtMain"));
    txtMain->setReadOnly(true);
    txtMain->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    txtMain->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    txtMain->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtMain->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    txtMain->setUndoRedoEnabled(false);
    // Drops go to the window, which opens the entry, not into the text.
    txtMain->setAcceptDrops(false);
    // Tab goes on from the report to the list's controls.
    txtMain->setTabChangesFocus(true);
    splitter_->setStretchFactor(1, 1);
    setTabOrder(browse_->Table(), txtMain);
    setTabOrder(txtMain, browse_->CancelButton());
    zoom_ = std::make_unique<OutputZoom>(*txtMain);

    const MainMenus menus = CreateMainMenus(*menuBar(), *this);
    mnuMain = menus.Main;
    mnuFile = menus.File;
    mnuEdit = menus.Edit;
    mnuView = menus.View;
    mnuTools = menus.Tools;
    mnuHelp = menus.Help;
    Handle(mnuFile.Open, &frmMain::OpenEntryDialog);
    Handle(mnuFile.OpenImage, &frmMain::OpenImageDialog);
    Handle(mnuFile.OpenFolder, &frmMain::OpenFolderDialog);
    Handle(mnuFile.SaveOutputText, &frmMain::SaveOutputText);
    Handle(mnuFile.SaveReparseData, &frmMain::SaveReparseData);
    Handle(mnuFile.ExportList, &frmMain::ExportList);
    Handle(mnuFile.ExportShown, &frmMain::ExportShown);
    Handle(mnuFile.Exit, &frmMain::Exit);
    Handle(mnuEdit.Copy, &frmMain::CopyText);
    Handle(mnuEdit.SelectAll, &frmMain::SelectAllText);
    Handle(mnuEdit.Filter, &frmMain::FocusFilter);
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
    connect(recent_, &RecentEntriesMenu::itemChosen, this, [this](const RecentItem& item) {
        RunReportingErrors(this, u"Can't open the entry.", [&] { OpenRecentEntry(item); });
    });
    auto* drops = new EntryDropFilter(*this, [this] { return !IsLoading; });
    connect(drops, &EntryDropFilter::dropped, this, [this](const std::u16string& path) {
        RunReportingErrors(this, u"Can't open the entry.", [&] { OpenDropped(path); });
    });
    connect(browse_, &BrowsePanel::currentEntryChanged, this, [this] {
        RunReportingErrors(this, u"Can't show the report.", [this] { ShowCurrentEntryReport(); });
    });
    connect(browse_, &BrowsePanel::listingFinished, this, [this](bool cancelled) {
        mnuFile.ExportList->setEnabled(true);
        mnuFile.ExportShown->setEnabled(true);
        emit listingFinished(cancelled);
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

void frmMain::FocusFilter()
{
    if (browse_->isHidden()) return;
    browse_->FilterField()->setFocus(Qt::ShortcutFocusReason);
    browse_->FilterField()->selectAll();
}

// ---- Saving ------------------------------------------------------------------------------

std::u16string frmMain::GetSaveFileName(bool textFile)
{
    return AskSaveFileName(this, textFile ? u"Text files|*.TXT|All files|*.*" : u"Binary files|*.BIN|All files|*.*",
                           SuggestedSaveName(reportName_, textFile ? u".txt" : u".bin"));
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

void frmMain::ExportList()
{
    Export(false);
}

void frmMain::ExportShown()
{
    Export(true);
}

void frmMain::Export(bool shownOnly)
{
    if (!source_) return;
    const std::vector<const ListRow*> rows = browse_->Rows(shownOnly);
    const std::u16string path = AskSaveFileName(this, u"JSON Lines|*.JSONL|CSV files|*.CSV|All files|*.*",
                                                SuggestedSaveName(source_->Item.Path, u".jsonl"));
    if (path.empty()) return;
    const std::string text = ListExport::FormatOf(ToQString(path)) == ListExport::Format::Csv ? ListExport::Csv(rows)
                                                                                               : ListExport::JsonLines(rows);
    const std::vector<std::uint8_t> bytes(text.begin(), text.end());
    RunReportingErrors(this, path + u"\r\n\r\nCan't export the list.",
                       [&] { modRPParse::FileSystemObject().PutFileB(path, bytes, true); });
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
    if (!modMain::CommandLineBrowse) {
        LoadReport();
        return;
    }
    const modMain::BrowseRequest request = *modMain::CommandLineBrowse;
    modMain::CommandLineBrowse.reset();
    SetCommandsReady();
    RunReportingErrors(this, u"Can't open the listing.", [&] {
        if (!request.List || !esIsDirectory(request.Path)) {
            OpenImage(request.Path, request.Partition, request.VolumePath);
        } else if (request.Partition) {
            esMsgBoxEx(request.Path + u"\r\n\r\n--partition names a partition of an image, and this is a folder.",
                       kMsgCritical, u"", u"A_MAIN", this);
        } else {
            OpenFolder(request.Path);
        }
    });
}

void frmMain::SetCommandsReady()
{
    mnuView.Reload->setEnabled(true);
    mnuTools.Settings->setEnabled(true);
}

void frmMain::LoadReport()
{
    for (QAction* item : {mnuFile.SaveOutputText, mnuFile.SaveReparseData, mnuView.Reload, mnuTools.Settings})
        item->setEnabled(false);
    IsLoading = true;
    reportName_ = modMain::CommandLineFile;
    modRPParse::BuildReparseReport(
        modRPParse::Frontend::Window, modMain::CommandLineFile,
        [this](const std::u16string& message) { ShowMessage(message); }, ReportText, ReportData);
    IsLoading = false;
    mnuFile.SaveOutputText->setEnabled(true);
    if (modArraySize::GetArraySize(ReportData) > 0) mnuFile.SaveReparseData->setEnabled(true);
    SetCommandsReady();

    const std::u16string& entry = modMain::CommandLineFile;
    if (!entry.empty() && EntryExists(entry)) recent_->Add({RecentKind::Entry, esGetFullFileName(entry), 0});
    emit reportShown();
}

void frmMain::OpenEntry(const std::u16string& path)
{
    if (IsLoading) return;
    tmrLoad.stop();
    loadTimerStarted_ = true;
    HideList();
    modMain::CommandLineFile = path;
    ReportText.clear();
    ReportData.clear();
    ApplyCaption();
    LoadReport();
}

void frmMain::OpenImage(const std::u16string& image, std::optional<std::int32_t> partition,
                        const std::u16string& volumePath)
{
    if (IsLoading) return;
    std::int32_t asked = partition.value_or(0);
    if (!partition) {
        const std::vector<NtfsPartition> partitions = NtfsPartitions(image);
        if (partitions.size() > 1) {
            asked = AskPartition(this, image, partitions);
            if (asked == 0) return;
        }
    }
    NtfsImage volume;
    if (!volume.Open(image, asked)) {
        esMsgBoxEx(image + u"\r\n\r\nCan't open the image: " + WithStop(volume.ErrorDescription()), kMsgCritical, u"",
                   u"A_MAIN", this);
        return;
    }
    std::u16string full = image;
    SkipOnError([&] { full = esGetFullFileName(image, true); });
    source_ = ListSource{{RecentKind::Image, full, asked}, volume.Volume().Partition};
    ShowList();
    browse_->ListImage(volume.ScanReparsePoints());
    if (!volumePath.empty()) {
        const ListingEntry entry = ListingSources::FromImageEntry(volume.ReadEntry(volumePath));
        browse_->SelectWhenListed(entry.Path);
        ShowReport(ListingSources::ImageEntryName(full, source_->VolumePartition, entry.Path), entry);
    }
    recent_->Add(source_->Item);
}

void frmMain::OpenFolder(const std::u16string& folder)
{
    if (IsLoading) return;
    std::u16string full = folder;
    SkipOnError([&] { full = esGetFullFileName(folder, true); });
    const platform::TargetInfo target = platform::QueryTarget(full);
    if (!target.isDirectory || !target.readable) {
        esMsgBoxEx(folder + u"\r\n\r\nCan't list this folder: it is no folder, or it cannot be read.", kMsgCritical, u"",
                   u"A_MAIN", this);
        return;
    }
    source_ = ListSource{{RecentKind::Folder, full, 0}, 0};
    ShowList();
    browse_->ListFolder(full);
    recent_->Add(source_->Item);
}

void frmMain::ShowList()
{
    ReportText.clear();
    ReportData.clear();
    reportName_.clear();
    ShowMessage(u"");
    for (QAction* item : {mnuFile.SaveOutputText, mnuFile.SaveReparseData, mnuFile.ExportList, mnuFile.ExportShown})
        item->setEnabled(false);
    mnuEdit.Filter->setEnabled(true);
    if (browse_->isHidden()) {
        browse_->show();
        if (!listShownThisRun_) SkipOnError([this] { RestoreListLayout(); });
        listShownThisRun_ = true;
    }
    ApplyCaption();
    SetCommandsReady();
}

void frmMain::HideList()
{
    if (!source_) return;
    browse_->Clear();
    browse_->hide();
    source_.reset();
    for (QAction* item : {mnuFile.ExportList, mnuFile.ExportShown, mnuEdit.Filter}) item->setEnabled(false);
}

void frmMain::ShowCurrentEntryReport()
{
    const ListingEntry* entry = browse_->CurrentEntry();
    if (entry == nullptr || !source_) return;
    const std::u16string name = source_->Item.Kind == RecentKind::Image
                                    ? ListingSources::ImageEntryName(source_->Item.Path, source_->VolumePartition, entry->Path)
                                    : entry->Path;
    ShowReport(name, *entry);
}

void frmMain::ShowReport(const std::u16string& name, const ListingEntry& entry)
{
    ReportText = modRPParse::FormatReparseReport(modRPParse::Frontend::Window, name, ListingSources::ReadOf(entry));
    ReportData = entry.Data;
    reportName_ = entry.Path;
    ShowMessage(ReportText);
    mnuFile.SaveOutputText->setEnabled(true);
    mnuFile.SaveReparseData->setEnabled(!ReportData.empty());
    emit reportShown();
}

void frmMain::OpenEntryDialog()
{
    FileDialog dialog;
    dialog.Owner = this;
    if (!modMain::CommandLineFile.empty()) dialog.InitDir = esGetFilePath(esGetFullFileName(modMain::CommandLineFile));
    if (dialog.ShowOpen()) OpenEntry(dialog.FileName);
}

void frmMain::OpenImageDialog()
{
    FileDialog dialog;
    dialog.Owner = this;
    dialog.Filter = u"All files|*.*|Disk images|*.img;*.raw;*.dd;*.bin;*.vhd";
    if (source_) dialog.InitDir = esGetFilePath(source_->Item.Path);
    if (dialog.ShowOpenImage()) OpenImage(dialog.FileName);
}

void frmMain::OpenFolderDialog()
{
    FileDialog dialog;
    dialog.Owner = this;
    if (source_ && source_->Item.Kind == RecentKind::Folder) dialog.InitDir = source_->Item.Path;
    if (dialog.ShowOpenFolder()) OpenFolder(dialog.FileName);
}

void frmMain::OpenRecentEntry(const RecentItem& item)
{
    if (EntryExists(item.Path)) {
        switch (item.Kind) {
        case RecentKind::Entry: OpenEntry(item.Path); break;
        case RecentKind::Image:
            OpenImage(item.Path, item.Partition > 0 ? std::optional(item.Partition) : std::nullopt);
            break;
        case RecentKind::Folder: OpenFolder(item.Path); break;
        }
        return;
    }
    recent_->Remove(item);
    esMsgBoxEx(item.Path + u"\r\n\r\nThis entry no longer exists; it has been removed from the recent entries.",
               kMsgExclamation, u"", u"A_MAIN", this);
}

void frmMain::OpenDropped(const std::u16string& path)
{
    if (IsNtfsImage(path)) OpenImage(path);
    else OpenEntry(path);
}

void frmMain::Reload()
{
    if (!source_) {
        OpenEntry(modMain::CommandLineFile);
        return;
    }
    // The same volume again, with the entry shown before.
    const ListSource source = *source_;
    const std::u16string shown = reportName_;
    if (source.Item.Kind == RecentKind::Image) {
        // The partition asked for, not the one found: 0 lists the same volume again.
        OpenImage(source.Item.Path, source.Item.Partition, shown);
    } else {
        OpenFolder(source.Item.Path);
        browse_->SelectWhenListed(shown);
    }
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
    const std::u16string& document = source_ ? source_->Item.Path : modMain::CommandLineFile;
    setWindowTitle(ToQString(modAppWindowTitle::GetWindowTitle(u"", u"", document, u"Untitled", true, true)));
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

// The list's layout is remembered with the other settings: the splitter's sizes while the
// list is shown, and the columns' widths.
void frmMain::RestoreListLayout()
{
    const SettingsStore store;
    browse_->SetColumnWidths(
        NumbersOf(store.ReadValue(kListSection, kColumnsKey, SettingsStore::vkText, Variant(u"")).toString()));
    const std::vector<int> sizes =
        NumbersOf(store.ReadValue(kListSection, kSplitterKey, SettingsStore::vkText, Variant(u"")).toString());
    if (sizes.size() == 2 && sizes[0] > 0 && sizes[1] > 0) {
        splitter_->setSizes({sizes[0], sizes[1]});
        return;
    }
    // The first list ever: room for the list and the report side by side.
    if (width() < kListWindowWidth && screen() != nullptr) {
        resize(std::min(kListWindowWidth, screen()->availableGeometry().width() - 40), height());
        esCenterFormEx(*this, 0);
    }
    const int width = splitter_->width() > 0 ? splitter_->width() : this->width();
    splitter_->setSizes({width * 47 / 100, width - width * 47 / 100});
}

void frmMain::SaveListLayout()
{
    SettingsStore store;
    const std::vector<int> widths = browse_->ColumnWidths();
    store.WriteValue(kListSection, kColumnsKey, SettingsStore::vkText, Variant(TextOf(QList<int>(widths.begin(), widths.end()))));
    if (!browse_->isHidden())
        store.WriteValue(kListSection, kSplitterKey, SettingsStore::vkText, Variant(TextOf(splitter_->sizes())));
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
    if (listShownThisRun_) StoreBestEffort([this] { SaveListLayout(); });
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
