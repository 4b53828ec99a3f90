// Dialogs and message boxes of the window program: the colour dialog with its custom
// colours, the open and save dialogs, the message and error boxes, and the error box for
// a failure that no procedure handled.
#pragma once

#include <QStringList>

#include <array>
#include <cstdint>
#include <exception>
#include <string>

#include <Hollin0106/AutomationError.h>

class QWidget;

// ---- Colour dialog -----------------------------------------------------------------------

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

// ---- File dialogs ----------------------------------------------------------------------

class FileDialog {
public:
    // Description and pattern pairs separated by "|": "Text files|*.TXT|All files|*.*".
    // The first pair is selected at the start.
    std::u16string Filter;
    std::int32_t Options = 0;  // 0 is the only form: the dialog described below
    QWidget* Owner = nullptr;
    std::u16string InitDir;   // "" (or a folder that is gone) starts in the home folder
    std::u16string FileName;  // in: the name suggested; out: the chosen full path

    // The save dialog, modal to `Owner`: the desktop's own where the platform has one. It
    // asks before replacing an existing file and appends the extension of the selected
    // filter's pattern (at first the first filter's; a filter without one keeps the
    // extension before it) to a name typed without one. True when the user confirmed a name.
    bool ShowSave();

    // The open dialog for any existing entry, file or folder, link or not, chosen as
    // itself: links and junctions are neither resolved nor followed when chosen (double
    // clicking a folder still opens it for browsing). Qt's own dialog, since the desktop's
    // dialogs choose either files or folders. True when the user confirmed an entry.
    bool ShowOpen();

    // The open dialog for a disk image or block device: any file, devices included;
    // links are followed, as opening an image does. True when the user confirmed a file.
    bool ShowOpenImage();

    // The dialog that chooses a folder. True when the user confirmed one.
    bool ShowOpenFolder();

    // The filter in Qt's form: "Text files (*.TXT)", "All files (*)". "*.*" means every
    // file, as it does on Windows. A trailing description without a pattern is dropped.
    static QStringList QtNameFilters(const std::u16string& filter);
};

// ---- Boxes -------------------------------------------------------------------------------

// Message box styles in their classic values.
inline constexpr int kMsgCritical = 16;
inline constexpr int kMsgQuestion = 32;
inline constexpr int kMsgExclamation = 48;
inline constexpr int kMsgInformation = 64;

class ErrorBox {
public:
    // A modal error box: the message, a blank line and the error's description with the
    // operating system's own reason under it when the error carries one; the error's
    // number and source below. `style` carries the icon (16 = error icon).
    static void ShowError(const Hollin0106::AutomationError& error, int style, int flags, const std::u16string& message,
                          QWidget* owner);
};

// A modal message box with the OK button; `title` "" gives the application name and
// `iconResource` the icon group of its window. Returns 1 (OK).
int esMsgBoxEx(const std::u16string& text, int style, const std::u16string& title,
               const std::u16string& iconResource, QWidget* owner);

// ---- Windows -----------------------------------------------------------------------------

// Centres the window on the available area of its screen (the owner's, else the primary).
void esCenterFormEx(QWidget& window, int flags);
// The active window of the program, or null.
QWidget* GetActiveWindow();

// ---- Errors that reach an event handler --------------------------------------------------

// The error box for a failure: `what` (the failed action, or the save command's message),
// then the error. An AutomationError shows its own number and description; any other
// exception shows as error 51 "Internal error" with its message; null means an unknown
// failure.
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
