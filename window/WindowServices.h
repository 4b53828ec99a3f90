// Application services of the window program, built on Qt: the settings store, the file
// and colour dialogs, the message, error and about boxes, the read-me file, and the small
// window helpers the forms call. Texts cross these interfaces as UTF-16 strings.
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <Qt>

#include <array>
#include <cstdint>
#include <exception>
#include <string>

#include <Hollin0106/AutomationError.h>
#include <Hollin0106/Variant.h>

class QIcon;
class QKeyEvent;
class QMenuBar;
class QPainter;
class QPixmap;
class QPlainTextEdit;
class QWidget;

// ---- Texts and colours at the Qt edge ------------------------------------------------

QString ToQString(const std::u16string& text);
std::u16string FromQString(const QString& text);

// The text as a Qt text box shows it: every CR LF, and a CR alone, becomes LF.
QString ToDisplayText(const std::u16string& text);
// Back from a Qt text box: every LF becomes CR LF.
std::u16string FromDisplayText(const QString& text);

// Windows colour values hold 0x00BBGGRR. Bits above the low 24 are ignored.
QColor ColorFromColorRef(std::int32_t colorRef);
std::int32_t ColorRefFromColor(const QColor& color);

// ---- Keys in their classic form ----------------------------------------------------

inline constexpr int kShiftMask = 1;
inline constexpr int kCtrlMask = 2;
inline constexpr int kAltMask = 4;
inline constexpr int kMetaMask = 8;  // no classic counterpart; never matches a handler

inline constexpr int kKeyEscape = 27;
inline constexpr int kKeyA = 65;
inline constexpr int kKeyF1 = 112;

// The classic virtual key code of a Qt key: letters and digits keep their ASCII codes,
// F1-F24 are 112-135, and the usual editing keys have their Windows codes; 0 for a key
// without one.
int KeyCodeOf(int qtKey);
// Shift 1, Ctrl 2, Alt 4 (Meta 8); the keypad flag is not a modifier here.
int ShiftStateOf(Qt::KeyboardModifiers modifiers);

// ---- Settings store ----------------------------------------------------------------

// QSettings in INI form in the user's configuration folder, organisation "Quovix",
// application "Tag Scope". Section "" addresses keys outside any section.
class SettingsStore {
public:
    enum ValueKind : std::int32_t { vkText = 0, vkNumber = 1 };

    // The stored value, or `defaultValue` when the key is missing. A number read as
    // vkNumber comes back as a 32-bit integer; stored text that is no such number comes
    // back as that text, so a caller's conversion decides. vkText gives text.
    Hollin0106::Variant ReadValue(const std::u16string& section, const std::u16string& key, ValueKind kind,
                      const Hollin0106::Variant& defaultValue) const;

    // Stores `value` (converted to a 32-bit integer for vkNumber, to text for vkText) and
    // writes it to disk. Raises error 13 for a value that does not convert and error 75
    // when the store cannot be written.
    void WriteValue(const std::u16string& section, const std::u16string& key, ValueKind kind,
                    const Hollin0106::Variant& value);

    // Applies the placement stored under the key (Qt's saved geometry); false when none
    // is stored or it cannot be applied.
    bool RestoreWindowPlacement(const std::u16string& section, const std::u16string& key, QWidget& window) const;
    // Stores the window's placement; error 75 when the store cannot be written.
    void SaveWindowPlacement(const std::u16string& section, const std::u16string& key, const QWidget& window);
};

// ---- Colour dialog -------------------------------------------------------------------

// The colour dialog's custom-colour set and its text form: the 16 colours as decimal
// 0x00BBGGRR values joined by ",", e.g. "255,65280,16777215,...".
class CustomColors {
public:
    static constexpr int kCount = 16;
    static constexpr std::int32_t kEmptySlot = 0xFFFFFF;  // white, as an unused slot shows

    CustomColors();
    // Reads the text form. Missing, empty or malformed entries, and values outside
    // 0..0xFFFFFF, become white; entries after the 16th are ignored. Never fails.
    void LoadFromText(const std::u16string& text);
    std::u16string ToText() const;

    std::int32_t Item(int index) const;  // error 9 outside 0..15
    void SetItem(int index, std::int32_t colorRef);

private:
    std::array<std::int32_t, kCount> colors_;
};

// Qt's own colour dialog, modal to `Owner`, with the custom colours of `Custom`.
class ColorDialog {
public:
    std::int32_t Color = 0;  // in: the initial colour; out: the chosen one
    QWidget* Owner = nullptr;
    CustomColors Custom;  // in: shown in the dialog; out: as the dialog left them

    // True when the user confirmed a colour.
    bool Show();
};

// ---- File dialog ---------------------------------------------------------------------

// Qt's own save dialog, modal to `Owner`. It asks before replacing an existing file and
// appends the extension of the first filter's pattern to a name typed without one.
class FileDialog {
public:
    // Description and pattern pairs separated by "|": "Text files|*.TXT|All files|*.*".
    // The first pair is selected at the start.
    std::u16string Filter;
    std::int32_t Options = 0;  // 0 is the only form: the dialog described above
    QWidget* Owner = nullptr;
    std::u16string InitDir;   // "" starts in the current folder
    std::u16string FileName;  // out: the chosen full path

    // True when the user confirmed a file name.
    bool ShowSave();

    // The filter in Qt's form: "Text files (*.TXT)", "All files (*)". "*.*" means every
    // file, as it does on Windows. A trailing description without a pattern is dropped.
    static QStringList QtNameFilters(const std::u16string& filter);
};

// ---- Boxes ----------------------------------------------------------------------------

// Message box styles in their classic values.
inline constexpr int kMsgCritical = 16;
inline constexpr int kMsgQuestion = 32;
inline constexpr int kMsgExclamation = 48;
inline constexpr int kMsgInformation = 64;

class ErrorBox {
public:
    // A modal error box: the message, a blank line and the error's description; the
    // error's number and source below. `style` carries the icon (16 = error icon).
    static void ShowError(const Hollin0106::AutomationError& error, int style, int flags, const std::u16string& message,
                          QWidget* owner);
};

// A modal message box with the OK button; `title` "" gives the application name and
// `iconResource` the icon group of its window. Returns 1 (OK).
int esMsgBoxEx(const std::u16string& text, int style, const std::u16string& title,
               const std::u16string& iconResource, QWidget* owner);

// The modal about box: the program's title, version and tag, the English copyright line
// and the dedication name; `picture` null gives the program's icon. `extra` is shown
// under the title when not "".
void ShowAbout(QWidget* owner, const std::u16string& extra, const QPixmap* picture, const std::u16string& dedication);

// ---- Read-me file ---------------------------------------------------------------------

// Where the read-me file of this program is: "README.md" in the installed documentation
// folder (<prefix>/share/doc/tagscope beside <prefix>/bin), else beside the executable (a
// build tree). "" when there is none.
QString ReadMeFilePath();
// Opens the read-me file with the desktop's viewer; when there is no read-me file or it
// cannot be opened, says so in a message box. True when it was handed to the viewer.
bool esOpenReadMeFile(int flags);

// ---- Windows and controls -------------------------------------------------------------

// The caret to the start of the text, scrolled into view; nothing selected.
void esTextBox_SelectStart(QPlainTextEdit& textBox);
// The whole text selected.
void esTextBox_SelectAll(QPlainTextEdit& textBox);
// Centres the window on the available area of its screen (the owner's, else the primary).
void esCenterFormEx(QWidget& window, int flags);
// From top-level `position` (counted from 0) on, the menu bar's items stand at its right
// end. Only the first call on a menu bar has an effect.
void esSetMenuJustify(QMenuBar& menuBar, int position, bool justify);

// The icon group of the program's resources ("A_MAIN": 48x48, 32x32 and 16x16); an
// empty icon for an unknown group.
QIcon ResIcon(const std::u16string& group);
// Sets the icon group on the window, or with no window as the default of every window.
void asSetWindowResIconAll(QWidget* window, const std::u16string& group);
// Paints the form's background: a soft shade of its window colour.
void asPaintDesktop2(QWidget& form, QPainter& painter);

// The active window of the program, or null.
QWidget* GetActiveWindow();

// ---- Errors that reach an event handler -------------------------------------------------

// The error box for a failure no procedure handled: `what` (the failed action), then the
// error. An AutomationError shows its own number and description; any other exception
// shows as error 51 "Internal error" with its message; null means an unknown failure.
void ShowUnhandledError(QWidget* owner, const std::u16string& what, const std::exception* error);

// Runs an event handler's work; an error that escapes it goes to ShowUnhandledError
// instead of unwinding through Qt's event loop.
template <typename Work>
void RunReportingErrors(QWidget* owner, const std::u16string& what, Work&& work)
{
    try {
        work();
    } catch (const std::exception& e) {
        ShowUnhandledError(owner, what, &e);
    } catch (...) {
        ShowUnhandledError(owner, what, nullptr);
    }
}
