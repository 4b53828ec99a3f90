// Ordered strings with case-insensitive keys.
#include <Hollin0106/Collection.h>

#include <unicode/unistr.h>

#include <Hollin0106/AutomationError.h>

namespace Hollin0106 {

namespace {

constexpr std::int32_t kDuplicateKey = 457;

std::u16string Fold(std::u16string_view key)
{
    icu::UnicodeString s(false, key.data(), static_cast<std::int32_t>(key.size()));
    s.foldCase();
    return std::u16string(s.getBuffer(), static_cast<std::size_t>(s.length()));
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

}  // namespace Hollin0106
