// The entries, images and folders the window program showed last: at most eight, newest
// first, kept in the settings store under "Recent entries" as "1" to "8".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace modRecentEntries {

inline constexpr std::size_t kMaxEntries = 8;

enum class RecentKind { Entry, Image, Folder };

// What one place of the list opens.
struct RecentItem {
    RecentKind Kind = RecentKind::Entry;
    std::u16string Path;
    std::int32_t Partition = 0;  // of an image: 0 for its own volume or its first NTFS partition
    bool operator==(const RecentItem&) const = default;
};

// The text an item is stored as: an entry's path alone, as stored since the list began;
// "image:N:" and the path for an image (N its partition); "folder:" and the path for a
// folder. The paths are full, so an entry's never starts like the prefixes.
std::u16string StoredText(const RecentItem& item);
// The item a stored text names; a text without one of the prefixes is an entry.
RecentItem ItemOf(const std::u16string& text);
// The item as the menu shows it (without its number): the path, followed by " (image)",
// " (image, partition N)" or " (folder)".
std::u16string Caption(const RecentItem& item);

// `list` with `text` in front: an earlier place of the same text goes, and the list ends
// after kMaxEntries places.
std::vector<std::u16string> WithEntry(std::vector<std::u16string> list, const std::u16string& text);

// The stored list; empty values are skipped.
std::vector<std::u16string> Load();
// Stores `list` (the first kMaxEntries), clearing the places after it. Raises the settings
// store's error 75 when it cannot be written.
void Store(const std::vector<std::u16string>& list);

}  // namespace modRecentEntries
