// Conversions between the library's C++ values and automation values.
#include "bindings/automation/VariantMapping.h"

#include <limits>
#include <new>

#include <Hollin0106/AutomationError.h>

namespace automation {

namespace {

constexpr std::int32_t kInvalidUseOfNull = 94;
constexpr std::int32_t kOverflow = 6;

[[noreturn]] void TypeMismatch()
{
    throw Hollin0106::AutomationError(Hollin0106::errnum::TypeMismatch, u"Hollin0106");
}

// The VARIANT that a by-reference VARIANT finally points to.
const VARIANT& Deref(const VARIANT& value)
{
    const VARIANT* v = &value;
    while (V_VT(v) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(v) != nullptr) v = V_VARIANTREF(v);
    return *v;
}

// Copies a by-reference value into a plain VARIANT (the caller clears it).
void CopyPlain(const VARIANT& value, VARIANT* out)
{
    VariantInit(out);
    if (FAILED(VariantCopyInd(out, const_cast<VARIANT*>(&value)))) TypeMismatch();
}

// One element of a numeric array as a byte: a number outside 0-255 is an overflow, as
// CByte says, anything that is no number a type mismatch.
std::uint8_t ByteOf(VARIANT element)
{
    VARIANT number;
    VariantInit(&number);
    const HRESULT hr = VariantChangeType(&number, &element, 0, VT_I4);
    VariantClear(&element);
    if (hr == DISP_E_OVERFLOW || (SUCCEEDED(hr) && (V_I4(&number) < 0 || V_I4(&number) > 255)))
        throw Hollin0106::AutomationError(kOverflow, u"Hollin0106");
    if (FAILED(hr)) TypeMismatch();
    return static_cast<std::uint8_t>(V_I4(&number));
}

}  // namespace

std::u16string FromBstr(BSTR text)
{
    if (text == nullptr) return {};
    return std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
}

BSTR ToBstr(const std::u16string& text)
{
    BSTR out = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
    if (out == nullptr) throw std::bad_alloc();
    return out;
}

void AssignBstr(BSTR* target, const std::u16string& text)
{
    if (target == nullptr) return;
    BSTR fresh = ToBstr(text);
    SysFreeString(*target);
    *target = fresh;
}

Hollin0106::ByteArray FromByteSafeArray(SAFEARRAY* array)
{
    if (array == nullptr) return {};
    VARTYPE type = VT_EMPTY;
    if (SafeArrayGetDim(array) != 1 || FAILED(SafeArrayGetVartype(array, &type)) || type != VT_UI1)
        TypeMismatch();
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(array, 1, &lower);
    SafeArrayGetUBound(array, 1, &upper);
    if (upper < lower) return {};
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data))) TypeMismatch();
    const auto* first = static_cast<const std::uint8_t*>(data);
    Hollin0106::ByteArray bytes(first, first + (static_cast<std::size_t>(upper) - lower + 1));
    SafeArrayUnaccessData(array);
    return bytes;
}

SAFEARRAY* ToByteSafeArray(const Hollin0106::ByteArray& bytes)
{
    if (bytes.size() > std::numeric_limits<ULONG>::max()) throw std::bad_alloc();
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    if (array == nullptr) throw std::bad_alloc();
    if (!bytes.empty()) {
        void* data = nullptr;
        if (FAILED(SafeArrayAccessData(array, &data))) {
            SafeArrayDestroy(array);
            throw std::bad_alloc();
        }
        std::copy(bytes.begin(), bytes.end(), static_cast<std::uint8_t*>(data));
        SafeArrayUnaccessData(array);
    }
    return array;
}

Hollin0106::ByteArray ByteArrayFromVariant(const VARIANT& value)
{
    const VARIANT& v = Deref(value);
    if (!(V_VT(&v) & VT_ARRAY)) TypeMismatch();
    SAFEARRAY* array = (V_VT(&v) & VT_BYREF) ? (V_ARRAYREF(&v) ? *V_ARRAYREF(&v) : nullptr) : V_ARRAY(&v);
    const VARTYPE element = V_VT(&v) & VT_TYPEMASK;
    if (element == VT_UI1) return FromByteSafeArray(array);
    if (array == nullptr) return {};
    if (SafeArrayGetDim(array) != 1) TypeMismatch();
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(array, 1, &lower);
    SafeArrayGetUBound(array, 1, &upper);
    Hollin0106::ByteArray bytes;
    for (LONG i = lower; i <= upper; ++i) {
        VARIANT item;
        VariantInit(&item);
        if (element == VT_VARIANT) {
            if (FAILED(SafeArrayGetElement(array, &i, &item))) TypeMismatch();
        } else {
            switch (element) {
            case VT_I1: case VT_I2: case VT_I4: case VT_UI2: case VT_UI4: case VT_INT: case VT_UINT:
            case VT_R4: case VT_R8: case VT_CY: case VT_DECIMAL: case VT_I8: case VT_UI8:
                break;
            default:
                TypeMismatch();
            }
            // A number fits in a VARIANT's value union, but for a DECIMAL, which fills the
            // whole VARIANT and takes its type field as a reserved word.
            void* slot = element == VT_DECIMAL ? static_cast<void*>(&V_DECIMAL(&item)) : &V_I4(&item);
            if (FAILED(SafeArrayGetElement(array, &i, slot))) TypeMismatch();
            V_VT(&item) = element;
        }
        bytes.push_back(ByteOf(item));
    }
    return bytes;
}

bool IsMissing(const VARIANT& value)
{
    const VARIANT& v = Deref(value);
    return V_VT(&v) == VT_ERROR && V_ERROR(&v) == DISP_E_PARAMNOTFOUND;
}

Hollin0106::Variant FromVariant(const VARIANT& value)
{
    using Hollin0106::Variant;
    VARIANT v;
    CopyPlain(Deref(value), &v);
    struct Clear {
        VARIANT* v;
        ~Clear() { VariantClear(v); }
    } clear{&v};
    if (V_VT(&v) & VT_ARRAY) {
        if ((V_VT(&v) & VT_TYPEMASK) == VT_UI1) return Variant(FromByteSafeArray(V_ARRAY(&v)));
        TypeMismatch();
    }
    switch (V_VT(&v)) {
    case VT_EMPTY: return Variant();
    case VT_NULL:
        throw Hollin0106::AutomationError(kInvalidUseOfNull, u"Hollin0106", u"Invalid use of Null");
    case VT_ERROR:
        if (V_ERROR(&v) == DISP_E_PARAMNOTFOUND) return Variant::Missing();
        TypeMismatch();
    case VT_BOOL: return Variant(V_BOOL(&v) != VARIANT_FALSE);
    case VT_I1: return Variant(static_cast<std::int32_t>(V_I1(&v)));
    case VT_UI1: return Variant(static_cast<std::int32_t>(V_UI1(&v)));
    case VT_I2: return Variant(static_cast<std::int32_t>(V_I2(&v)));
    case VT_UI2: return Variant(static_cast<std::int32_t>(V_UI2(&v)));
    case VT_I4: return Variant(static_cast<std::int32_t>(V_I4(&v)));
    case VT_INT: return Variant(static_cast<std::int32_t>(V_INT(&v)));
    case VT_UI4:
    case VT_UINT:
        if (V_UI4(&v) <= static_cast<ULONG>(std::numeric_limits<std::int32_t>::max()))
            return Variant(static_cast<std::int32_t>(V_UI4(&v)));
        return Variant(static_cast<double>(V_UI4(&v)));
    case VT_I8:
        if (V_I8(&v) >= std::numeric_limits<std::int32_t>::min() && V_I8(&v) <= std::numeric_limits<std::int32_t>::max())
            return Variant(static_cast<std::int32_t>(V_I8(&v)));
        return Variant(static_cast<double>(V_I8(&v)));
    case VT_R4: case VT_R8: case VT_CY: case VT_DATE: case VT_DECIMAL: case VT_UI8: {
        VARIANT d;
        VariantInit(&d);
        if (FAILED(VariantChangeType(&d, &v, 0, VT_R8))) TypeMismatch();
        return Variant(V_R8(&d));
    }
    case VT_BSTR: return Variant(FromBstr(V_BSTR(&v)));
    case VT_DISPATCH:
    case VT_UNKNOWN: {
        IUnknown* object = V_UNKNOWN(&v);
        if (object == nullptr) return Variant(std::shared_ptr<void>());
        object->AddRef();
        return Variant(std::shared_ptr<void>(object, [](void* p) { static_cast<IUnknown*>(p)->Release(); }));
    }
    default: TypeMismatch();
    }
}

void ToVariant(const Hollin0106::Variant& value, VARIANT* out)
{
    using Type = Hollin0106::Variant::Type;
    if (out == nullptr) return;
    VARIANT v;
    VariantInit(&v);
    switch (value.type()) {
    case Type::Empty: break;
    case Type::Missing:
        V_VT(&v) = VT_ERROR;
        V_ERROR(&v) = DISP_E_PARAMNOTFOUND;
        break;
    case Type::Boolean:
        V_VT(&v) = VT_BOOL;
        V_BOOL(&v) = ToVariantBool(value.toBool());
        break;
    case Type::Long:
        V_VT(&v) = VT_I4;
        V_I4(&v) = value.toLong();
        break;
    case Type::Double:
        V_VT(&v) = VT_R8;
        V_R8(&v) = value.toDouble();
        break;
    case Type::String:
        V_BSTR(&v) = ToBstr(value.toString());
        V_VT(&v) = VT_BSTR;
        break;
    case Type::ByteArray:
        V_ARRAY(&v) = ToByteSafeArray(value.bytes());
        V_VT(&v) = VT_ARRAY | VT_UI1;
        break;
    case Type::Object: TypeMismatch();
    }
    VariantClear(out);
    *out = v;
}

}  // namespace automation
