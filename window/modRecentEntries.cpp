// The entries the window program showed last.
#include "window/modRecentEntries.h"

#include <algorithm>

#include "window/SettingsStore.h"

using namespace Hollin0106;

namespace modRecentEntries {

namespace {

constexpr char16_t kSection[] = u"Recent entries";

std::u16string KeyOf(std::size_t place)
{
    return std::u16string(1, static_cast<char16_t>(u'1' + place));
}

}  // namespace

std::vector<std::u16string> WithEntry(std::vector<std::u16string> list, const std::u16string& path)
{
    std::erase(list, path);
    list.insert(list.begin(), path);
    if (list.size() > kMaxEntries) list.resize(kMaxEntries);
    return list;
}

std::vector<std::u16string> Load()
{
    const SettingsStore store;
    std::vector<std::u16string> list;
    for (std::size_t place = 0; place < kMaxEntries; ++place) {
        std::u16string path = store.ReadValue(kSection, KeyOf(place), SettingsStore::vkText, Variant(u"")).toString();
        if (!path.empty()) list.push_back(std::move(path));
    }
    return list;
}

void Store(const std::vector<std::u16string>& list)
{
    SettingsStore store;
    for (std::size_t place = 0; place < kMaxEntries; ++place)
        store.WriteValue(kSection, KeyOf(place), SettingsStore::vkText,
                         Variant(place < list.size() ? list[place] : std::u16string()));
}

}  // namespace modRecentEntries
