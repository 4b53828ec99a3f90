// File > Recent entries.
#include "window/RecentEntriesMenu.h"

#include <QAction>
#include <QMenu>

#include <algorithm>

#include "window/QtText.h"
#include "window/SettingsStore.h"
#include "window/modRecentEntries.h"

RecentEntriesMenu::RecentEntriesMenu(QMenu& menu, QObject* parent) : QObject(parent), menu_(menu)
{
    menu_.menuAction()->setEnabled(false);
}

void RecentEntriesMenu::Load()
{
    Show(modRecentEntries::Load());
}

void RecentEntriesMenu::Add(const std::u16string& path)
{
    Keep(modRecentEntries::WithEntry(modRecentEntries::Load(), path));
}

void RecentEntriesMenu::Remove(const std::u16string& path)
{
    auto list = modRecentEntries::Load();
    std::erase(list, path);
    Keep(list);
}

void RecentEntriesMenu::Keep(const std::vector<std::u16string>& list)
{
    Show(list);
    StoreBestEffort([&] { modRecentEntries::Store(list); });
}

void RecentEntriesMenu::Show(const std::vector<std::u16string>& list)
{
    menu_.clear();
    int number = 0;
    for (const std::u16string& path : list) {
        ++number;
        QString caption = ToQString(path).replace(u'&', QStringLiteral("&&"));
        if (number < 10) caption = QStringLiteral("&%1 ").arg(number) + caption;
        QAction* item = menu_.addAction(caption);
        connect(item, &QAction::triggered, this, [this, path] { emit entryChosen(path); });
    }
    menu_.menuAction()->setEnabled(!list.empty());
}
