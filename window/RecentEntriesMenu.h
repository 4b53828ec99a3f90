// File > Recent entries: the entries, images and folders shown last, newest first, kept
// in the settings.
#pragma once

#include <QObject>

#include <string>
#include <vector>

#include "window/modRecentEntries.h"

class QMenu;

class RecentEntriesMenu : public QObject {
    Q_OBJECT

public:
    // Fills `menu` (which stays the caller's) from now on; disabled while the list is empty.
    RecentEntriesMenu(QMenu& menu, QObject* parent);

    // Shows the stored list. Errors of the settings store reach the caller.
    void Load();
    // Puts `item` in front, in the menu and in the settings (as far as they can be written).
    void Add(const modRecentEntries::RecentItem& item);
    // Takes `item` out of the menu and the settings (as far as they can be written).
    void Remove(const modRecentEntries::RecentItem& item);

signals:
    // An item was chosen; the receiver opens it.
    void itemChosen(const modRecentEntries::RecentItem& item);

private:
    void Show(const std::vector<std::u16string>& list);
    void Keep(const std::vector<std::u16string>& list);

    QMenu& menu_;
};
