// Ordered strings with case-insensitive keys.
#include <Hollin0106/Collection.h>

#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <Hollin0106/AutomationError.h>
#include "platform/Icu.h"

namespace Hollin0106 {

namespace {

constexpr std::int32_t kDuplicateKey = 457;

std::u16string Fold(std::u16string_view key)
{
    // Keys are mostly numbers and plain words: ASCII folds to lower case without ICU.
    std::u16string out(key);
    bool ascii = true;
    for (char16_t& c : out) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        ascii = ascii && c < 0x80;
    }
    if (ascii) return out;
    // Full case folding lengthens a character to at most three units.
    out.assign(key.size() * 3, u'\0');
    UErrorCode status = U_ZERO_ERROR;
    const std::int32_t length = ICU_CALL(u_strFoldCase)(out.data(), static_cast<std::int32_t>(out.size()), key.data(),
                                                        static_cast<std::int32_t>(key.size()), U_FOLD_CASE_DEFAULT, &status);
    if (U_FAILURE(status)) throw AutomationError(errnum::InvalidProcedureCall, u"Collection");
    out.resize(static_cast<std::size_t>(length));
    return out;
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
