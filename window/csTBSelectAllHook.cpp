// Ctrl+A selects the whole text of a text box: a hook that listens to the box's keys.
#include "window/csTBSelectAllHook.h"

#include <QKeyEvent>
#include <QPlainTextEdit>

#include "window/WindowServices.h"

csTBSelectAllHook::~csTBSelectAllHook()
{
    if (textBox_) textBox_->removeEventFilter(this);
    textBox_ = nullptr;
    active_ = false;
}

bool csTBSelectAllHook::Init(QPlainTextEdit* textBox)
{
    if (textBox == nullptr) return false;
    if (textBox_) textBox_->removeEventFilter(this);
    textBox_ = textBox;
    textBox->installEventFilter(this);
    active_ = true;
    swallowNextKeyPress_ = false;
    return true;
}

void csTBSelectAllHook::KeyDown(int& keyCode, int& shift)
{
    if (!active_ || !textBox_ || keyCode != kKeyA || shift != kCtrlMask) return;
    esTextBox_SelectAll(*textBox_);
    keyCode = 0;
    shift = 0;
    swallowNextKeyPress_ = true;
}

void csTBSelectAllHook::KeyPress(int& charCode)
{
    if (!active_ || !swallowNextKeyPress_) return;
    charCode = 0;
    swallowNextKeyPress_ = false;
}

bool csTBSelectAllHook::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != textBox_.data() || event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    // Qt delivers key-down and the character in one event: the key part first, then the
    // character, and the event stops here when either part was taken.
    auto* key = static_cast<QKeyEvent*>(event);
    const int code = KeyCodeOf(key->key());
    const int modifiers = ShiftStateOf(key->modifiers());
    int keyCode = code;
    int shift = modifiers;
    KeyDown(keyCode, shift);
    bool taken = keyCode != code || shift != modifiers;
    int charCode = key->text().isEmpty() ? 0 : key->text().at(0).unicode();
    if (taken || charCode != 0) {
        const int before = charCode;
        KeyPress(charCode);
        if (charCode != before) taken = true;
    }
    return taken;
}
