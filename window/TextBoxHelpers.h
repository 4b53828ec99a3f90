// Helpers for the output box: the caret, the selection and the select-all key.
#pragma once

#include <QString>

class QKeyEvent;
class QPlainTextEdit;

// The caret to the start of the text, scrolled into view; nothing selected.
void esTextBox_SelectStart(QPlainTextEdit& textBox);
// The whole text selected.
void esTextBox_SelectAll(QPlainTextEdit& textBox);

// True for Ctrl alone with the A key. The key counts by its letter and by its place on
// the keyboard, so a layout without Latin letters (Russian alone, say) selects all too.
// `platform` is the Qt platform plugin that made the event ("xcb", "wayland", "windows").
bool IsSelectAllKey(const QKeyEvent& key, const QString& platform);
