// Ctrl+A selects the whole text of a text box: a hook that listens to the box's keys.
#pragma once

#include <QObject>
#include <QPointer>

#include <QPlainTextEdit>

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

    // The box's key-down: Ctrl alone with A selects all, clears `keyCode` and `shift` so
    // the box does not see the key, and drops the character that comes with it. Other
    // keys and modifier combinations pass unchanged.
    void KeyDown(int& keyCode, int& shift);
    // The box's key-press: drops the character of a Ctrl+A handled in KeyDown (sets
    // `charCode` to 0), once.
    void KeyPress(int& charCode);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QPlainTextEdit> textBox_;
    bool active_ = false;
    bool swallowNextKeyPress_ = false;
};
