// The entries the window program showed last: at most eight, newest first, kept in the
// settings store under "Recent entries" as "1" to "8".
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace modRecentEntries {

inline constexpr std::size_t kMaxEntries = 8;

// `list` with `path` in front: an earlier place of the same path goes, and the list ends
// after kMaxEntries entries.
std::vector<std::u16string> WithEntry(std::vector<std::u16string> list, const std::u16string& path);

// The stored list; empty values are skipped.
std::vector<std::u16string> Load();
// Stores `list` (the first kMaxEntries), clearing the places after it. Raises the settings
// store's error 75 when it cannot be written.
void Store(const std::vector<std::u16string>& list);

}  // namespace modRecentEntries
