// File > Recent entries.
#include "window/RecentEntriesMenu.h"

#include <QAction>
#include <QMenu>

#include <algorithm>

#include "window/QtText.h"
#include "window/SettingsStore.h"

using namespace modRecentEntries;

RecentEntriesMenu::RecentEntriesMenu(QMenu& menu, QObject* parent) : QObject(parent), menu_(menu)
{
    menu_.menuAction()->setEnabled(false);
}

void RecentEntriesMenu::Load()
{
    Show(modRecentEntries::Load());
}

void RecentEntriesMenu::Add(const RecentItem& item)
{
    Keep(WithEntry(modRecentEntries::Load(), StoredText(item)));
}

void RecentEntriesMenu::Remove(const RecentItem& item)
{
    auto list = modRecentEntries::Load();
    std::erase(list, StoredText(item));
    Keep(list);
}

void RecentEntriesMenu::Keep(const std::vector<std::u16string>& list)
{
    Show(list);
    StoreBestEffort([&] { Store(list); });
}

void RecentEntriesMenu::Show(const std::vector<std::u16string>& list)
{
    menu_.clear();
    int number = 0;
    for (const std::u16string& text : list) {
        ++number;
        const RecentItem item = ItemOf(text);
        QString caption = ToQString(Caption(item)).replace(u'&', QStringLiteral("&&"));
        if (number < 10) caption = QStringLiteral("&%1 ").arg(number) + caption;
        QAction* action = menu_.addAction(caption);
        connect(action, &QAction::triggered, this, [this, item] { emit itemChosen(item); });
    }
    menu_.menuAction()->setEnabled(!list.empty());
}
