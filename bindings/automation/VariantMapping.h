// Conversions between the library's C++ values and the automation runtime's: BSTR,
// VARIANT_BOOL, SAFEARRAY of bytes and VARIANT. Every conversion that cannot be made
// raises AutomationError 13 (type mismatch), as the C++ API does.
#pragma once

#include <string>

#include <oaidl.h>

#include <Hollin0106/Variant.h>

namespace automation {

// The text of a BSTR (a null BSTR is the empty string).
std::u16string FromBstr(BSTR text);
// A new BSTR holding `text`; std::bad_alloc when the runtime has no memory.
BSTR ToBstr(const std::u16string& text);
// Replaces *target (freed first) by a copy of `text`.
void AssignBstr(BSTR* target, const std::u16string& text);

inline VARIANT_BOOL ToVariantBool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

// The bytes of a one-dimensional array of VT_UI1 (any lower bound); a null array is no
// bytes. Error 13 for an array of more dimensions or of other elements.
Hollin0106::ByteArray FromByteSafeArray(SAFEARRAY* array);
// A new zero-based SAFEARRAY of VT_UI1 holding `bytes` (no elements for no bytes).
SAFEARRAY* ToByteSafeArray(const Hollin0106::ByteArray& bytes);

// A byte array out of whatever a client can pass for one: a byte array, or (what a script
// can build) a one-dimensional array of numbers or of variants holding numbers 0 to 255.
// By-reference values are followed. Error 6 (overflow) for a number outside 0-255, error
// 13 for anything else.
Hollin0106::ByteArray ByteArrayFromVariant(const VARIANT& value);

// The library's variant for an automation VARIANT: missing (VT_ERROR
// DISP_E_PARAMNOTFOUND), Empty, Boolean, integers that fit in 32 bits (wider ones and the
// other number types become Double), strings, byte arrays and objects. Null and other
// types raise error 13 (Null: 94, "Invalid use of Null").
Hollin0106::Variant FromVariant(const VARIANT& value);
// The automation VARIANT for a library variant (into *out, which is cleared first). An
// object variant cannot be mapped without knowing its class: error 13.
void ToVariant(const Hollin0106::Variant& value, VARIANT* out);

// True for a VARIANT that stands for a left-out optional argument.
bool IsMissing(const VARIANT& value);

}  // namespace automation
