// Ctrl+A selects the whole text of a text box: a hook that listens to the box's keys.
#pragma once

#include <QObject>
#include <QPlainTextEdit>
#include <QPointer>

class csTBSelectAllHook : public QObject {
public:
    csTBSelectAllHook() = default;
    // Detaches from the box: from here on it handles its keys on its own again.
    ~csTBSelectAllHook() override;
    csTBSelectAllHook(const csTBSelectAllHook&) = delete;
    csTBSelectAllHook& operator=(const csTBSelectAllHook&) = delete;

    // The hooked text box, or null.
    QPlainTextEdit* TextBox() const { return textBox_.data(); }

    // Attaches to `textBox` (detaching from a box hooked before). False for null, and
    // then nothing changes.
    bool Init(QPlainTextEdit* textBox);

protected:
    // Ctrl alone with the A key (IsSelectAllKey) selects all; the key and its control
    // character stop here. Other keys and modifier combinations pass unchanged.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QPlainTextEdit> textBox_;
};
