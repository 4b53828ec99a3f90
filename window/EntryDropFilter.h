// Entries dropped on a window from a file manager.
#pragma once

#include <QObject>

#include <functional>
#include <string>

class QWidget;

class EntryDropFilter : public QObject {
    Q_OBJECT

public:
    // Takes the drops on `window` (which it enables): a drag whose first item is a local
    // entry is accepted while `accepting` says yes, and dropping it tells its path.
    EntryDropFilter(QWidget& window, std::function<bool()> accepting);

signals:
    void dropped(const std::u16string& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<bool()> accepting_;
};
