// Ordered strings with case-insensitive keys.
#include <Hollin0106/Collection.h>

#include <Hollin0106/AutomationError.h>
#include "common/text/TextCase.h"

namespace Hollin0106 {

namespace {

constexpr std::int32_t kDuplicateKey = 457;

std::u16string Fold(std::u16string_view key)
{
    return textcase::Map(key, textcase::Mode::FullFold);
}

}  // namespace

void Collection::Add(std::u16string Item, const std::u16string& Key)
{
    if (!Key.empty()) {
        const auto [it, inserted] = keys_.emplace(Fold(Key), items_.size());
        if (!inserted)
            throw AutomationError(kDuplicateKey, u"Collection",
                                  u"This key is already associated with an element of this collection");
        try {
            items_.push_back(std::move(Item));
        } catch (...) {
            keys_.erase(it);
            throw;
        }
        return;
    }
    items_.push_back(std::move(Item));
}

const std::u16string& Collection::Item(std::int32_t Index) const
{
    if (Index < 1 || Index > Count()) throw AutomationError(errnum::SubscriptOutOfRange, u"Collection");
    return items_[static_cast<std::size_t>(Index - 1)];
}

const std::u16string& Collection::Item(std::u16string_view Key) const
{
    const auto it = keys_.find(Fold(Key));
    if (it == keys_.end()) throw AutomationError(errnum::InvalidProcedureCall, u"Collection");
    return items_[it->second];
}

void Collection::Remove(std::int32_t Index)
{
    if (Index < 1 || Index > Count()) throw AutomationError(errnum::SubscriptOutOfRange, u"Collection");
    const std::size_t position = static_cast<std::size_t>(Index - 1);
    for (auto it = keys_.begin(); it != keys_.end();) {
        if (it->second == position) {
            it = keys_.erase(it);
            continue;
        }
        if (it->second > position) --it->second;
        ++it;
    }
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(position));
}

void Collection::Remove(std::u16string_view Key)
{
    const auto it = keys_.find(Fold(Key));
    if (it == keys_.end()) throw AutomationError(errnum::InvalidProcedureCall, u"Collection");
    Remove(static_cast<std::int32_t>(it->second + 1));
}

}  // namespace Hollin0106
