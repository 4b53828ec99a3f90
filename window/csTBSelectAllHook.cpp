// Ctrl+A selects the whole text of a text box: a hook that listens to the box's keys.
#include "window/csTBSelectAllHook.h"

#include <QGuiApplication>
#include <QKeyEvent>

#include "window/TextBoxHelpers.h"

csTBSelectAllHook::~csTBSelectAllHook()
{
    if (textBox_) textBox_->removeEventFilter(this);
}

bool csTBSelectAllHook::Init(QPlainTextEdit* textBox)
{
    if (textBox == nullptr) return false;
    if (textBox_) textBox_->removeEventFilter(this);
    textBox_ = textBox;
    textBox->installEventFilter(this);
    return true;
}

bool csTBSelectAllHook::eventFilter(QObject* watched, QEvent* event)
{
    if (textBox_ && watched == textBox_.data() && event->type() == QEvent::KeyPress &&
        IsSelectAllKey(*static_cast<QKeyEvent*>(event), QGuiApplication::platformName())) {
        esTextBox_SelectAll(*textBox_);
        return true;
    }
    return QObject::eventFilter(watched, event);
}
