// The entries, images and folders the window program showed last.
#include "window/modRecentEntries.h"

#include <algorithm>
#include <string>

#include "common/Utf16.h"
#include "window/SettingsStore.h"

using namespace Hollin0106;

namespace modRecentEntries {

namespace {

constexpr char16_t kSection[] = u"Recent entries";
constexpr std::u16string_view kImagePrefix = u"image:";
constexpr std::u16string_view kFolderPrefix = u"folder:";

std::u16string KeyOf(std::size_t place)
{
    return std::u16string(1, static_cast<char16_t>(u'1' + place));
}

std::u16string Number(std::int32_t n)
{
    return FromUtf8(std::to_string(n));
}

}  // namespace

std::u16string StoredText(const RecentItem& item)
{
    switch (item.Kind) {
    case RecentKind::Image: return std::u16string(kImagePrefix) + Number(item.Partition) + u":" + item.Path;
    case RecentKind::Folder: return std::u16string(kFolderPrefix) + item.Path;
    case RecentKind::Entry: break;
    }
    return item.Path;
}

RecentItem ItemOf(const std::u16string& text)
{
    if (text.starts_with(kFolderPrefix)) return {RecentKind::Folder, text.substr(kFolderPrefix.size()), 0};
    if (text.starts_with(kImagePrefix)) {
        // "image:" digits ":" path; a partition number too long for 32 bits is no image.
        const std::size_t digits = kImagePrefix.size();
        const std::size_t colon = text.find(u':', digits);
        std::int64_t partition = 0;
        bool number = colon != std::u16string::npos && colon > digits && colon - digits <= 9;
        for (std::size_t i = digits; number && i < colon; ++i) {
            number = text[i] >= u'0' && text[i] <= u'9';
            partition = partition * 10 + (text[i] - u'0');
        }
        if (number) return {RecentKind::Image, text.substr(colon + 1), static_cast<std::int32_t>(partition)};
    }
    return {RecentKind::Entry, text, 0};
}

std::u16string Caption(const RecentItem& item)
{
    switch (item.Kind) {
    case RecentKind::Image:
        return item.Path + (item.Partition > 0 ? u" (image, partition " + Number(item.Partition) + u")" : u" (image)");
    case RecentKind::Folder: return item.Path + u" (folder)";
    case RecentKind::Entry: break;
    }
    return item.Path;
}

std::vector<std::u16string> WithEntry(std::vector<std::u16string> list, const std::u16string& text)
{
    std::erase(list, text);
    list.insert(list.begin(), text);
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
