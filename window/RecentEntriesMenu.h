// File > Recent entries: the entries shown last, newest first, kept in the settings.
#pragma once

#include <QObject>

#include <string>
#include <vector>

class QMenu;

class RecentEntriesMenu : public QObject {
    Q_OBJECT

public:
    // Fills `menu` (which stays the caller's) from now on; disabled while the list is empty.
    RecentEntriesMenu(QMenu& menu, QObject* parent);

    // Shows the stored list. Errors of the settings store reach the caller.
    void Load();
    // Puts `path` in front, in the menu and in the settings (as far as they can be written).
    void Add(const std::u16string& path);
    // Takes `path` out of the menu and the settings (as far as they can be written).
    void Remove(const std::u16string& path);

signals:
    // An item was chosen; the receiver opens it.
    void entryChosen(const std::u16string& path);

private:
    void Show(const std::vector<std::u16string>& list);
    void Keep(const std::vector<std::u16string>& list);

    QMenu& menu_;
};
