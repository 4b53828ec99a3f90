// Helpers for the output box.
#include "window/TextBoxHelpers.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextCursor>

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

bool IsSelectAllKey(const QKeyEvent& key, const QString& platform)
{
    if (key.modifiers() != Qt::ControlModifier) return false;
    if (key.key() == Qt::Key_A) return true;
    // With Ctrl held Qt already reports the Latin letter when the user has a Latin layout
    // besides the active one; with none, only the key's place tells. X11 and Wayland give
    // the xkb key code (the A key is 38, its evdev code 30 plus 8); Windows gives the
    // virtual key, which is 'A' on every layout.
    if (platform == u"xcb" || platform.startsWith(u"wayland")) return key.nativeScanCode() == 38;
    if (platform == u"windows") return key.nativeVirtualKey() == 'A';
    return false;
}
