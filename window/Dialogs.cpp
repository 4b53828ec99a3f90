// Dialogs and message boxes of the window program.
#include "window/Dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

#include "common/Utf16.h"
#include "support/quovixsupportfbe.h"
#include "window/Icons.h"
#include "window/QtText.h"
#include "window/modAppWindowTitle.h"

using namespace Hollin0106;

// ---- Colour dialog -----------------------------------------------------------------------

CustomColors::CustomColors()
{
    colors_.fill(kEmptySlot);
}

void CustomColors::LoadFromText(const std::u16string& text)
{
    colors_.fill(kEmptySlot);
    const QStringList parts = ToQString(text).split(u',');
    for (int i = 0; i < kCount && i < parts.size(); ++i) {
        bool ok = false;
        const qlonglong v = parts[i].trimmed().toLongLong(&ok);
        if (ok && v >= 0 && v <= 0xFFFFFF) colors_[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(v);
    }
}

std::u16string CustomColors::ToText() const
{
    QStringList parts;
    for (const std::int32_t c : colors_) parts.append(QString::number(c));
    return FromQString(parts.join(u','));
}

std::int32_t CustomColors::Item(int index) const
{
    if (index < 0 || index >= kCount) throw AutomationError(errnum::SubscriptOutOfRange, u"CustomColors");
    return colors_[static_cast<std::size_t>(index)];
}

void CustomColors::SetItem(int index, std::int32_t colorRef)
{
    if (index < 0 || index >= kCount) throw AutomationError(errnum::SubscriptOutOfRange, u"CustomColors");
    colors_[static_cast<std::size_t>(index)] = colorRef & 0xFFFFFF;
}

bool ColorDialog::Show()
{
    // Qt keeps one custom-colour set for the whole process; it is loaded from this
    // dialog's set before showing and read back afterwards.
    const int slotCount = std::min(CustomColors::kCount, QColorDialog::customCount());
    for (int i = 0; i < slotCount; ++i) QColorDialog::setCustomColor(i, ColorFromColorRef(Custom.Item(i)));

    QColorDialog dialog(ColorFromColorRef(Color), Owner);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    dialog.setWindowModality(Qt::ApplicationModal);
    const bool confirmed = dialog.exec() == QDialog::Accepted;

    for (int i = 0; i < slotCount; ++i) Custom.SetItem(i, ColorRefFromColor(QColorDialog::customColor(i)));
    if (confirmed) Color = ColorRefFromColor(dialog.selectedColor());
    return confirmed;
}

// ---- File dialogs ----------------------------------------------------------------------

QStringList FileDialog::QtNameFilters(const std::u16string& filter)
{
    const QStringList parts = ToQString(filter).split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            p = p.trimmed();
            if (p == u"*.*") p = QStringLiteral("*");
        }
        filters.append(parts[i] + QStringLiteral(" (") + patterns.join(u' ') + u')');
    }
    return filters;
}

namespace {

QString StartFolder(const std::u16string& initDir)
{
    const QString dir = ToQString(initDir);
    if (!dir.isEmpty() && QFileInfo(dir).isDir()) return dir;
    return QDir::homePath();
}

// Runs the dialog; on OK puts the first chosen name, absolute and in native form, into
// `name`. False when it was cancelled or nothing was chosen (`name` unchanged).
bool RunForOneName(QFileDialog& dialog, std::u16string& name)
{
    if (dialog.exec() != QDialog::Accepted) return false;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty()) return false;
    name = FromQString(QDir::toNativeSeparators(QFileInfo(chosen.first()).absoluteFilePath()));
    return true;
}

// Qt's file dialog tests a chosen name with the link followed, so a junction whose
// target is not on this volume counts as "not found" and a link to a folder is browsed
// instead of chosen. This dialog takes any entry that exists as itself.
class EntryDialog : public QFileDialog {
public:
    explicit EntryDialog(QWidget* owner) : QFileDialog(owner)
    {
        setOption(QFileDialog::DontUseNativeDialog);
        // Qt enables the Open button only for names its model has listed; these slots run
        // after Qt's own and enable it for every entry that exists.
        if (auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            connect(name, &QLineEdit::textChanged, this, &EntryDialog::EnableOpen);
        connect(this, &QFileDialog::currentChanged, this, &EntryDialog::EnableOpen);
    }

    void accept() override
    {
        if (ChosenExists()) {
            // Past QFileDialog's own check, which knows only the names its model listed.
            QDialog::accept();  // NOLINT(bugprone-parent-virtual-call)
            return;
        }
        QFileDialog::accept();  // Qt's own message for a name that does not exist
    }

private:
    bool ChosenExists() const
    {
        const QStringList files = selectedFiles();
        if (files.isEmpty()) return false;
        const std::u16string path = FromQString(files.first());
        return esIsFileExist(path) || esIsDirectory(path);
    }

    void EnableOpen()
    {
        auto* buttons = findChild<QDialogButtonBox*>();
        QPushButton* open = buttons != nullptr ? buttons->button(QDialogButtonBox::Open) : nullptr;
        if (open != nullptr && ChosenExists()) open->setEnabled(true);
    }
};

}  // namespace

bool FileDialog::ShowSave()
{
    const QStringList filters = QtNameFilters(Filter);
    QFileDialog dialog(Owner);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty()) dialog.selectNameFilter(filters.first());

    // The extension of the selected filter's first pattern ("*.TXT" gives "txt").
    const QStringList parts = ToQString(Filter).split(u'|');
    const auto takeSuffix = [&dialog, &parts](qsizetype filter) {
        if (filter < 0 || 2 * filter + 1 >= parts.size()) return;
        const QString pattern = parts[2 * filter + 1].split(u';').first().trimmed();
        if (pattern.startsWith(QStringLiteral("*.")) && pattern.size() > 2 && pattern.indexOf(u'*', 2) < 0)
            dialog.setDefaultSuffix(pattern.mid(2).toLower());
    };
    takeSuffix(0);
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&takeSuffix, &filters](const QString& filter) { takeSuffix(filters.indexOf(filter)); });
    dialog.setDirectory(StartFolder(InitDir));
    if (!FileName.empty()) dialog.selectFile(ToQString(FileName));

    return RunForOneName(dialog, FileName);
}

bool FileDialog::ShowOpen()
{
    EntryDialog dialog(Owner);
    dialog.setOption(QFileDialog::DontResolveSymlinks);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // System entries too: ntfs-3g shows a junction whose target is elsewhere as a link
    // that leads nowhere, which Qt lists only among them.
    dialog.setFilter(dialog.filter() | QDir::System);
    dialog.setDirectory(StartFolder(InitDir));
    return RunForOneName(dialog, FileName);
}

bool FileDialog::ShowOpenImage()
{
    QFileDialog dialog(Owner);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setWindowTitle(QStringLiteral("Open Image"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(QtNameFilters(Filter));
    // Block devices are system entries to Qt.
    dialog.setFilter(dialog.filter() | QDir::System);
    dialog.setDirectory(StartFolder(InitDir));
    return RunForOneName(dialog, FileName);
}

bool FileDialog::ShowOpenFolder()
{
    QFileDialog dialog(Owner);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setWindowTitle(QStringLiteral("Open Folder"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setDirectory(StartFolder(InitDir));
    return RunForOneName(dialog, FileName);
}

// ---- Boxes -------------------------------------------------------------------------------

namespace {

QMessageBox::Icon IconOfStyle(int style)
{
    switch (style & 0x70) {
    case kMsgCritical: return QMessageBox::Critical;
    case kMsgQuestion: return QMessageBox::Question;
    case kMsgExclamation: return QMessageBox::Warning;
    case kMsgInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

QString AppName()
{
    return ToQString(modAppWindowTitle::GetAppName(u"", u""));
}

}  // namespace

void ErrorBox::ShowError(const AutomationError& error, int style, int /*flags*/, const std::u16string& message,
                         QWidget* owner)
{
    QMessageBox box(owner);
    box.setWindowModality(Qt::ApplicationModal);
    box.setIcon(IconOfStyle(style));
    box.setWindowTitle(AppName());
    box.setTextFormat(Qt::PlainText);
    QString text = ToDisplayText(message) + QStringLiteral("\n\n") + ToDisplayText(error.Description);
    if (error.SystemError) text += u'\n' + QString::fromStdString(error.SystemError.message());
    box.setText(text);
    QString details = QStringLiteral("Error %1").arg(error.Number);
    if (!error.Source.empty()) details += QStringLiteral(" (%1)").arg(ToQString(error.Source));
    box.setInformativeText(details);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

int esMsgBoxEx(const std::u16string& text, int style, const std::u16string& title,
               const std::u16string& iconResource, QWidget* owner)
{
    QMessageBox box(owner);
    box.setWindowModality(Qt::ApplicationModal);
    box.setIcon(IconOfStyle(style));
    box.setWindowTitle(title.empty() ? AppName() : ToQString(title));
    if (!iconResource.empty()) box.setWindowIcon(ResIcon(iconResource));
    box.setTextFormat(Qt::PlainText);
    box.setText(ToDisplayText(text));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return 1;
}

// ---- Windows -----------------------------------------------------------------------------

void esCenterFormEx(QWidget& window, int /*flags*/)
{
    QScreen* screen = nullptr;
    if (QWidget* owner = window.parentWidget()) screen = owner->window()->screen();
    if (screen == nullptr) screen = window.screen();
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    const QSize size = window.frameGeometry().size();
    window.move(area.x() + (area.width() - size.width()) / 2, area.y() + (area.height() - size.height()) / 2);
}

QWidget* GetActiveWindow()
{
    return QApplication::activeWindow();
}

// ---- Errors that reach an event handler --------------------------------------------------

void ShowUnhandledError(QWidget* owner, const std::u16string& what, const std::exception* error)
{
    if (const auto* automation = dynamic_cast<const AutomationError*>(error)) {
        ErrorBox::ShowError(*automation, kMsgCritical, 0, what, owner);
        return;
    }
    constexpr std::int32_t kInternalError = 51;
    const std::u16string description = error != nullptr ? FromUtf8(error->what()) : u"Unknown failure";
    ErrorBox::ShowError(AutomationError(kInternalError, u"Tagscope", description), kMsgCritical, 0, what, owner);
}
