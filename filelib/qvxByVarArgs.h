// How the ...ByVar methods of qvxFSO take their variant arguments: an omitted argument
// takes its default, any other is converted (error 13 when it cannot be).
#pragma once

#include <cstdint>
#include <string>

#include <Hollin0106/Variant.h>
#include <Hollin0106/qvxTypes.h>
#include "filelib/modTextEncoding.h"

namespace qvxByVarArgs {

using namespace Hollin0106;

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

// The format triple of the text methods; as arguments its values may still be Auto.
using FormatValues = modTextEncoding::FileFormat;
inline constexpr FormatValues kAllAuto{feAuto, fbAuto, ibAuto};

// The Encoding, FileBOM and InvertBytes arguments; an omitted one takes its value from
// `omitted` (Auto unless given).
inline FormatValues FormatArgs(const Variant& Encoding, const Variant& FileBOM, const Variant& InvertBytes,
                               const FormatValues& omitted = kAllAuto)
{
    return {static_cast<FileEncoding_Const>(LongArg(Encoding, omitted.Encoding)),
            static_cast<FileBOM_Const>(LongArg(FileBOM, omitted.FileBOM)),
            static_cast<InvertBytes_Const>(LongArg(InvertBytes, omitted.InvertBytes))};
}

// The three by-reference format outputs: their current values (RefLong) to start from,
// written back as 32-bit integers by Store.
class FormatOutputs : public FormatValues {
public:
    FormatOutputs(Variant* lpEncoding, Variant* lpFileBOM, Variant* lpInvertBytes)
        : FormatValues{static_cast<FileEncoding_Const>(RefLong(lpEncoding)),
                       static_cast<FileBOM_Const>(RefLong(lpFileBOM)),
                       static_cast<InvertBytes_Const>(RefLong(lpInvertBytes))},
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
    Variant* refs_[3];
};

}  // namespace qvxByVarArgs
