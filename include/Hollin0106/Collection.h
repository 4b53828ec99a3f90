// An ordered collection of strings, reachable by 1-based index and by text key: what
// the list-file readers of qvxFSO hand to their caller, who owns it from then on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <Hollin0106/Export.h>

namespace Hollin0106 {

class HOLLIN0106_API Collection {
public:
    using const_iterator = std::vector<std::u16string>::const_iterator;

    // Appends `Item`, reachable under `Key` too unless the key is empty. Keys are
    // compared without regard to letter case; a key already in use raises error 457
    // and adds nothing.
    void Add(std::u16string Item, const std::u16string& Key = {});

    std::int32_t Count() const { return static_cast<std::int32_t>(items_.size()); }

    // The item at the 1-based `Index`; error 9 outside 1..Count.
    const std::u16string& Item(std::int32_t Index) const;
    // The item added under `Key` (letter case does not count); error 5 when no item
    // has that key.
    const std::u16string& Item(std::u16string_view Key) const;

    // Removes the item at the 1-based `Index` (error 9 outside 1..Count), or the item
    // added under `Key` (error 5 when no item has that key), with its key; the items
    // after it move up one place.
    void Remove(std::int32_t Index);
    void Remove(std::u16string_view Key);

    // The items in the order they were added.
    const_iterator begin() const { return items_.begin(); }
    const_iterator end() const { return items_.end(); }

private:
    std::vector<std::u16string> items_;
    std::unordered_map<std::u16string, std::size_t> keys_;  // folded key -> position
};

}  // namespace Hollin0106
