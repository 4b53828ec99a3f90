// The automation server's value mapping: byte arrays from what a client can pass for
// one, and the library's variants to and from VARIANT.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include <Hollin0106/AutomationError.h>
#include "bindings/automation/VariantMapping.h"

namespace {

using Hollin0106::AutomationError;
using Hollin0106::ByteArray;
using Hollin0106::Variant;

// A VARIANT that clears itself.
struct Var {
    VARIANT v;
    Var() { VariantInit(&v); }
    ~Var() { VariantClear(&v); }
    Var(const Var&) = delete;
    Var& operator=(const Var&) = delete;
};

// A one-dimensional array of `type` with lower bound 1 (as VBA's Option Base 1 makes
// it), filled with `values`.
SAFEARRAY* MakeArray(VARTYPE type, std::initializer_list<VARIANT> values)
{
    SAFEARRAY* array = SafeArrayCreateVectorEx(type, 1, static_cast<ULONG>(values.size()), nullptr);
    LONG i = 1;
    for (VARIANT value : values) {
        Var converted;
        EXPECT_EQ(VariantChangeType(&converted.v, &value, 0, type == VT_VARIANT ? V_VT(&value) : type), S_OK);
        EXPECT_EQ(SafeArrayPutElement(array, &i, type == VT_VARIANT ? static_cast<void*>(&converted.v)
                                                                    : static_cast<void*>(&V_I4(&converted.v))),
                  S_OK);
        ++i;
    }
    return array;
}

VARIANT I4(LONG value)
{
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_I4;
    V_I4(&v) = value;
    return v;
}

VARIANT Str(const wchar_t* text)
{
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = SysAllocString(text);  // owned by the array it is copied into; leaks in tests only
    return v;
}

// The number of the AutomationError that `body` raises, or nothing.
std::optional<std::int32_t> ErrorOf(const std::function<void()>& body)
{
    try {
        body();
    } catch (const AutomationError& e) {
        return e.Number;
    }
    return std::nullopt;
}

TEST(AutomationMapping, ByteArraysFromWhatAClientCanPass)
{
    const struct {
        const char* name;
        std::function<void(VARIANT*)> make;
        std::optional<ByteArray> expected;  // nothing: error `error`
        std::int32_t error = Hollin0106::errnum::TypeMismatch;
    } cases[] = {
        {"byte array", [](VARIANT* v) { V_VT(v) = VT_ARRAY | VT_UI1; V_ARRAY(v) = MakeArray(VT_UI1, {I4(1), I4(0), I4(255)}); },
         ByteArray{1, 0, 255}},
        {"script array of numbers", [](VARIANT* v) { V_VT(v) = VT_ARRAY | VT_VARIANT; V_ARRAY(v) = MakeArray(VT_VARIANT, {I4(72), I4(255), I4(0)}); },
         ByteArray{72, 255, 0}},
        {"256 does not fit: overflow", [](VARIANT* v) { V_VT(v) = VT_ARRAY | VT_VARIANT; V_ARRAY(v) = MakeArray(VT_VARIANT, {I4(1), I4(256)}); },
         std::nullopt, 6},
        {"a word in the array", [](VARIANT* v) { V_VT(v) = VT_ARRAY | VT_VARIANT; V_ARRAY(v) = MakeArray(VT_VARIANT, {Str(L"x")}); },
         std::nullopt},
        {"a string", [](VARIANT* v) { V_VT(v) = VT_BSTR; V_BSTR(v) = SysAllocString(L"abc"); }, std::nullopt},
        {"two dimensions", [](VARIANT* v) {
             SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
             V_VT(v) = VT_ARRAY | VT_UI1;
             V_ARRAY(v) = SafeArrayCreate(VT_UI1, 2, bounds);
         }, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Var value;
        c.make(&value.v);
        ByteArray got;
        const auto error = ErrorOf([&] { got = automation::ByteArrayFromVariant(value.v); });
        if (c.expected) {
            EXPECT_EQ(error, std::nullopt);
            EXPECT_EQ(got, *c.expected);
        } else {
            EXPECT_EQ(error, c.error);
        }
        // A script's variable arrives by reference.
        Var reference;
        V_VT(&reference.v) = VT_BYREF | VT_VARIANT;
        V_VARIANTREF(&reference.v) = &value.v;
        const auto viaReference = ErrorOf([&] { got = automation::ByteArrayFromVariant(reference.v); });
        EXPECT_EQ(viaReference, error);
        V_VT(&reference.v) = VT_EMPTY;
    }
}

TEST(AutomationMapping, VariantsBothWays)
{
    const struct {
        const char* name;
        std::function<void(VARIANT*)> make;
        Variant::Type type;
        std::u16string text;  // the value as the library's string conversion gives it
    } cases[] = {
        {"left out", [](VARIANT* v) { V_VT(v) = VT_ERROR; V_ERROR(v) = DISP_E_PARAMNOTFOUND; }, Variant::Type::Missing, u""},
        {"true", [](VARIANT* v) { V_VT(v) = VT_BOOL; V_BOOL(v) = VARIANT_TRUE; }, Variant::Type::Boolean, u"True"},
        {"unsigned beyond 32-bit signed", [](VARIANT* v) { V_VT(v) = VT_UI4; V_UI4(v) = 0xFFFFFFFFu; }, Variant::Type::Double, u"4294967295"},
        {"string", [](VARIANT* v) { V_VT(v) = VT_BSTR; V_BSTR(v) = SysAllocString(L"Gr\u00FC\u00DFe \u4E16"); }, Variant::Type::String, u"Gr\u00FC\u00DFe \u4E16"},
        {"bytes", [](VARIANT* v) { V_VT(v) = VT_ARRAY | VT_UI1; V_ARRAY(v) = MakeArray(VT_UI1, {I4(65)}); }, Variant::Type::ByteArray, u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Var value;
        c.make(&value.v);
        const Variant mapped = automation::FromVariant(value.v);
        EXPECT_EQ(mapped.type(), c.type);
        if (c.type != Variant::Type::ByteArray && c.type != Variant::Type::Missing)
            EXPECT_EQ(mapped.toString(), c.text);
        // And back: the same type and value again.
        Var back;
        automation::ToVariant(mapped, &back.v);
        EXPECT_EQ(automation::FromVariant(back.v).type(), c.type);
        if (c.type == Variant::Type::ByteArray) EXPECT_EQ(automation::FromVariant(back.v).bytes(), ByteArray{65});
    }
    Var null;
    V_VT(&null.v) = VT_NULL;
    EXPECT_EQ(ErrorOf([&] { automation::FromVariant(null.v); }), 94);
    EXPECT_EQ(ErrorOf([&] { Var out; automation::ToVariant(Variant(std::shared_ptr<void>()), &out.v); }),
              Hollin0106::errnum::TypeMismatch);
}

}  // namespace
