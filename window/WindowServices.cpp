// Application services of the window program, built on Qt.
#include "window/WindowServices.h"

#include <QApplication>
#include <QColorDialog>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QLinearGradient>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProxyStyle>
#include <QScreen>
#include <QSettings>
#include <QTextCursor>
#include <QUrl>

#include <algorithm>
#include <utility>

#include "AppIdentity.h"
#include "common/Utf16.h"
#include "console/modAppInfo.h"
#include "console/modFormatVersion.h"
#include "window/modAppWindowTitle.h"

using namespace Hollin0106;

// ---- Texts and colours -----------------------------------------------------------------

QString ToQString(const std::u16string& text)
{
    return QString::fromStdU16String(text);
}

std::u16string FromQString(const QString& text)
{
    return text.toStdU16String();
}

QString ToDisplayText(const std::u16string& text)
{
    QString out;
    out.reserve(static_cast<qsizetype>(text.size()));
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r') {
            out.append(QChar(u'\n'));
            if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        } else {
            out.append(QChar(text[i]));
        }
    }
    return out;
}

std::u16string FromDisplayText(const QString& text)
{
    std::u16string out;
    out.reserve(static_cast<std::size_t>(text.size()) + 16);
    for (const QChar c : text) {
        if (c == u'\n') out.push_back(u'\r');
        out.push_back(c.unicode());
    }
    return out;
}

QColor ColorFromColorRef(std::int32_t colorRef)
{
    const auto v = static_cast<std::uint32_t>(colorRef);
    return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>((v >> 16) & 0xFF));
}

std::int32_t ColorRefFromColor(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(rgb.red()) |
                                     (static_cast<std::uint32_t>(rgb.green()) << 8) |
                                     (static_cast<std::uint32_t>(rgb.blue()) << 16));
}

// ---- Keys ------------------------------------------------------------------------------

int KeyCodeOf(int qtKey)
{
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) return qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return kKeyF1 + (qtKey - Qt::Key_F1);
    static constexpr std::pair<int, int> kKeys[] = {
        {Qt::Key_Escape, kKeyEscape}, {Qt::Key_Tab, 9},      {Qt::Key_Backtab, 9},    {Qt::Key_Backspace, 8},
        {Qt::Key_Return, 13},         {Qt::Key_Enter, 13},   {Qt::Key_Insert, 45},    {Qt::Key_Delete, 46},
        {Qt::Key_Pause, 19},          {Qt::Key_Home, 36},    {Qt::Key_End, 35},       {Qt::Key_Left, 37},
        {Qt::Key_Up, 38},             {Qt::Key_Right, 39},   {Qt::Key_Down, 40},      {Qt::Key_PageUp, 33},
        {Qt::Key_PageDown, 34},       {Qt::Key_Shift, 16},   {Qt::Key_Control, 17},   {Qt::Key_Alt, 18},
        {Qt::Key_Space, 32},          {Qt::Key_Menu, 93},    {Qt::Key_CapsLock, 20},  {Qt::Key_NumLock, 144},
    };
    for (const auto& [qt, code] : kKeys)
        if (qt == qtKey) return code;
    return 0;
}

int ShiftStateOf(Qt::KeyboardModifiers modifiers)
{
    int shift = 0;
    if (modifiers & Qt::ShiftModifier) shift |= kShiftMask;
    if (modifiers & Qt::ControlModifier) shift |= kCtrlMask;
    if (modifiers & Qt::AltModifier) shift |= kAltMask;
    if (modifiers & Qt::MetaModifier) shift |= kMetaMask;
    return shift;
}

// ---- Settings store --------------------------------------------------------------------

namespace {

QSettings OpenSettings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Quovix"), QStringLiteral("Tag Scope"));
}

QString SettingsKey(const std::u16string& section, const std::u16string& key)
{
    if (section.empty()) return ToQString(key);
    return ToQString(section) + u'/' + ToQString(key);
}

// A stored value as text. An INI value with unquoted commas reads back as a list; its
// parts are joined again so that such a text survives being edited by hand.
QString StoredText(const QVariant& value)
{
    if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(u',');
    return value.toString();
}

void SyncOrRaise(QSettings& settings)
{
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw AutomationError(errnum::PathFileAccessError, u"SettingsStore",
                              u"Can't write the settings file " + FromQString(settings.fileName()));
}

}  // namespace

Variant SettingsStore::ReadValue(const std::u16string& section, const std::u16string& key, ValueKind kind,
                                 const Variant& defaultValue) const
{
    const QSettings settings = OpenSettings();
    const QString name = SettingsKey(section, key);
    if (!settings.contains(name)) return defaultValue;
    const std::u16string text = FromQString(StoredText(settings.value(name)));
    if (kind == vkNumber) {
        try {
            return Variant(Variant(text).toLong());
        } catch (const AutomationError&) {
            return Variant(text);
        }
    }
    return Variant(text);
}

void SettingsStore::WriteValue(const std::u16string& section, const std::u16string& key, ValueKind kind,
                               const Variant& value)
{
    QSettings settings = OpenSettings();
    if (kind == vkNumber)
        settings.setValue(SettingsKey(section, key), value.toLong());
    else
        settings.setValue(SettingsKey(section, key), ToQString(value.toString()));
    SyncOrRaise(settings);
}

bool SettingsStore::RestoreWindowPlacement(const std::u16string& section, const std::u16string& key,
                                           QWidget& window) const
{
    const QSettings settings = OpenSettings();
    const QByteArray geometry = settings.value(SettingsKey(section, key)).toByteArray();
    if (geometry.isEmpty()) return false;
    return window.restoreGeometry(geometry);
}

void SettingsStore::SaveWindowPlacement(const std::u16string& section, const std::u16string& key,
                                        const QWidget& window)
{
    QSettings settings = OpenSettings();
    settings.setValue(SettingsKey(section, key), window.saveGeometry());
    SyncOrRaise(settings);
}

// ---- Colour dialog ---------------------------------------------------------------------

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

// ---- File dialog -----------------------------------------------------------------------

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

bool FileDialog::ShowSave()
{
    const QStringList filters = QtNameFilters(Filter);
    QFileDialog dialog(Owner);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty()) dialog.selectNameFilter(filters.first());

    // The extension of the first filter's first pattern ("*.TXT" gives "txt").
    const QStringList parts = ToQString(Filter).split(u'|');
    if (parts.size() >= 2) {
        const QString pattern = parts[1].split(u';').first().trimmed();
        if (pattern.startsWith(QStringLiteral("*.")) && pattern.size() > 2 && pattern.indexOf(u'*', 2) < 0)
            dialog.setDefaultSuffix(pattern.mid(2).toLower());
    }
    dialog.setDirectory(InitDir.empty() ? QDir::currentPath() : ToQString(InitDir));

    if (dialog.exec() != QDialog::Accepted) return false;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty()) return false;
    FileName = FromQString(QDir::toNativeSeparators(QFileInfo(chosen.first()).absoluteFilePath()));
    return true;
}

// ---- Boxes -----------------------------------------------------------------------------

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
    box.setText(ToDisplayText(message) + QStringLiteral("\n\n") + ToDisplayText(error.Description));
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

void ShowAbout(QWidget* owner, const std::u16string& extra, const QPixmap* picture, const std::u16string& dedication)
{
    QMessageBox box(owner);
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowTitle(QStringLiteral("About ") + AppName());
    box.setIconPixmap(picture != nullptr && !picture->isNull() ? *picture : ResIcon(u"A_MAIN").pixmap(48, 48));
    box.setTextFormat(Qt::RichText);

    const QString title = ToQString(AppIdentity::Title);
    const QString copyright = ToQString(modAppInfo::GetCopyrightText(AppIdentity::LegalCopyright, true));
    QString html = QStringLiteral("<p><b>%1</b></p>").arg(title.toHtmlEscaped());
    if (!extra.empty()) html += QStringLiteral("<p>%1</p>").arg(ToQString(extra).toHtmlEscaped());
    html += QStringLiteral("<p>Version %1 (%2)</p>")
                .arg(ToQString(modFormatVersion::GetAppVersion()).toHtmlEscaped(),
                     ToQString(modFormatVersion::GetAppVersionTag()).toHtmlEscaped());
    html += QStringLiteral("<p>%1</p>").arg(copyright.toHtmlEscaped());
    if (!dedication.empty()) html += QStringLiteral("<p><i>%1</i></p>").arg(ToQString(dedication).toHtmlEscaped());
    box.setText(html);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

// ---- Read-me file ----------------------------------------------------------------------

QString ReadMeFilePath()
{
    const QString appDir = QCoreApplication::applicationDirPath();
    const QString candidates[] = {
        QDir::cleanPath(appDir + QStringLiteral("/../share/doc/tagscope/README.md")),
        QDir::cleanPath(appDir + QStringLiteral("/README.md")),
    };
    for (const QString& path : candidates)
        if (QFileInfo(path).isFile()) return path;
    return {};
}

bool esOpenReadMeFile(int /*flags*/)
{
    const QString path = ReadMeFilePath();
    if (path.isEmpty()) {
        esMsgBoxEx(u"Can't find the read-me file README.md beside the program or in its documentation folder.",
                   kMsgExclamation, u"", u"A_MAIN", GetActiveWindow());
        return false;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        esMsgBoxEx(u"Can't open the read-me file\r\n" + FromQString(QDir::toNativeSeparators(path)), kMsgExclamation,
                   u"", u"A_MAIN", GetActiveWindow());
        return false;
    }
    return true;
}

// ---- Windows and controls --------------------------------------------------------------

void esTextBox_SelectStart(QPlainTextEdit& textBox)
{
    QTextCursor cursor = textBox.textCursor();
    cursor.movePosition(QTextCursor::Start);
    textBox.setTextCursor(cursor);
    textBox.ensureCursorVisible();
}

void esTextBox_SelectAll(QPlainTextEdit& textBox)
{
    textBox.selectAll();
}

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

namespace {

// Menu bars lay out the items after a separator at their right end when the style asks
// for drawn menu-bar separators; this style asks for it on one menu bar only.
class RightJustifiedMenuStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_DrawMenuBarSeparator) return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

void esSetMenuJustify(QMenuBar& menuBar, int position, bool justify)
{
    if (!justify || menuBar.property("tagscopeJustified").toBool()) return;
    const QList<QAction*> actions = menuBar.actions();
    if (position < 0 || position >= actions.size()) return;
    QAction* separator = new QAction(&menuBar);
    separator->setSeparator(true);
    menuBar.insertAction(actions[position], separator);
    auto* style = new RightJustifiedMenuStyle;
    style->setParent(&menuBar);
    menuBar.setStyle(style);
    menuBar.setProperty("tagscopeJustified", true);
}

QIcon ResIcon(const std::u16string& group)
{
    QIcon icon;
    const QString base = QStringLiteral(":/icons/") + ToQString(group) + u'/';
    for (const int size : {16, 32, 48}) {
        const QString file = base + QString::number(size) + QStringLiteral(".png");
        if (QFileInfo::exists(file)) icon.addFile(file, QSize(size, size));
    }
    return icon;
}

void asSetWindowResIconAll(QWidget* window, const std::u16string& group)
{
    const QIcon icon = ResIcon(group);
    if (window != nullptr)
        window->setWindowIcon(icon);
    else
        QApplication::setWindowIcon(icon);
}

void asPaintDesktop2(QWidget& form, QPainter& painter)
{
    const QColor base = form.palette().color(QPalette::Window);
    QLinearGradient shade(0, 0, 0, form.height());
    shade.setColorAt(0, base.lighter(104));
    shade.setColorAt(1, base.darker(106));
    painter.fillRect(form.rect(), shade);
}

QWidget* GetActiveWindow()
{
    return QApplication::activeWindow();
}

// ---- Errors that reach an event handler ---------------------------------------------------

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
