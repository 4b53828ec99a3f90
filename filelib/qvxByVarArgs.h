// How the ...ByVar methods of qvxFSO take their variant arguments: an omitted argument
// takes its default, any other is converted (error 13 when it cannot be).
#pragma once

#include <cstdint>
#include <string>

#include "common/Variant.h"

namespace qvxByVarArgs {

inline bool BoolArg(const Variant& v, bool omitted)
{
    return v.isMissing() ? omitted : v.toBool();
}

inline std::int32_t LongArg(const Variant& v, std::int32_t omitted)
{
    return v.isMissing() ? omitted : v.toLong();
}

inline std::u16string StringArg(const Variant& v, const std::u16string& omitted)
{
    return v.isMissing() ? omitted : v.toString();
}

// The current value of a by-reference argument; an omitted one counts as 0 / False.
inline std::int32_t RefLong(const Variant* v)
{
    return v == nullptr || v->isMissing() ? 0 : v->toLong();
}

inline bool RefBool(const Variant* v)
{
    return v != nullptr && !v->isMissing() && v->toBool();
}

// Writes a result back into a by-reference argument the caller passed.
inline void StoreLong(Variant* v, std::int32_t value)
{
    if (v) *v = Variant(value);
}

inline void StoreBool(Variant* v, bool value)
{
    if (v) *v = Variant(value);
}

}  // namespace qvxByVarArgs
