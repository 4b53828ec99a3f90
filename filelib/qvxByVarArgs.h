// How the ...ByVar methods of qvxFSO take their variant arguments: an omitted argument
// takes its default, any other is converted (error 13 when it cannot be).
#pragma once

#include <cstdint>
#include <string>

#include <Hollin0106/Variant.h>
#include <Hollin0106/qvxTypes.h>
#include "filelib/modTextEncoding.h"

namespace qvxByVarArgs {

inline bool BoolArg(const Hollin0106::Variant& v, bool omitted)
{
    return v.isMissing() ? omitted : v.toBool();
}

inline std::int32_t LongArg(const Hollin0106::Variant& v, std::int32_t omitted)
{
    return v.isMissing() ? omitted : v.toLong();
}

inline std::u16string StringArg(const Hollin0106::Variant& v, const std::u16string& omitted)
{
    return v.isMissing() ? omitted : v.toString();
}

// The current value of a by-reference argument; an omitted one counts as 0 / False.
inline std::int32_t RefLong(const Hollin0106::Variant* v)
{
    return v == nullptr || v->isMissing() ? 0 : v->toLong();
}

inline bool RefBool(const Hollin0106::Variant* v)
{
    return v != nullptr && !v->isMissing() && v->toBool();
}

// Writes a result back into a by-reference argument the caller passed.
inline void StoreLong(Hollin0106::Variant* v, std::int32_t value)
{
    if (v) *v = Hollin0106::Variant(value);
}

inline void StoreBool(Hollin0106::Variant* v, bool value)
{
    if (v) *v = Hollin0106::Variant(value);
}

// The format triple of the text methods; as arguments its values may still be Auto.
using FormatValues = modTextEncoding::FileFormat;
inline constexpr FormatValues kAllAuto{Hollin0106::feAuto, Hollin0106::fbAuto, Hollin0106::ibAuto};

// The Encoding, FileBOM and InvertBytes arguments; an omitted one takes its value from
// `omitted` (Auto unless given).
inline FormatValues FormatArgs(const Hollin0106::Variant& Encoding, const Hollin0106::Variant& FileBOM,
                               const Hollin0106::Variant& InvertBytes, const FormatValues& omitted = kAllAuto)
{
    return {static_cast<Hollin0106::FileEncoding_Const>(LongArg(Encoding, omitted.Encoding)),
            static_cast<Hollin0106::FileBOM_Const>(LongArg(FileBOM, omitted.FileBOM)),
            static_cast<Hollin0106::InvertBytes_Const>(LongArg(InvertBytes, omitted.InvertBytes))};
}

// The three by-reference format outputs: their current values (RefLong) to start from,
// written back as 32-bit integers by Store.
class FormatOutputs : public FormatValues {
public:
    FormatOutputs(Hollin0106::Variant* lpEncoding, Hollin0106::Variant* lpFileBOM, Hollin0106::Variant* lpInvertBytes)
        : FormatValues{static_cast<Hollin0106::FileEncoding_Const>(RefLong(lpEncoding)),
                       static_cast<Hollin0106::FileBOM_Const>(RefLong(lpFileBOM)),
                       static_cast<Hollin0106::InvertBytes_Const>(RefLong(lpInvertBytes))},
          refs_{lpEncoding, lpFileBOM, lpInvertBytes}
    {
    }

    void Store() const
    {
        StoreLong(refs_[0], Encoding);
        StoreLong(refs_[1], FileBOM);
        StoreLong(refs_[2], InvertBytes);
    }

private:
    Hollin0106::Variant* refs_[3];
};

}  // namespace qvxByVarArgs
