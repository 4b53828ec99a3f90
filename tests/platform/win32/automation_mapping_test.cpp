// The automation server's value mapping: byte arrays from what a client can pass for
// one, and the library's variants to and from VARIANT.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include <Hollin0106/AutomationError.h>
#include "bindings/automation/VariantMapping.h"

namespace {

using Hollin0106::ByteArray;
using Hollin0106::Variant;
using Make = std::function<void(VARIANT*)>;

// A VARIANT that clears itself.
struct Var {
    VARIANT v;
    explicit Var(const Make& make = {})
    {
        VariantInit(&v);
        if (make) make(&v);
    }
    ~Var() { VariantClear(&v); }
    Var(const Var&) = delete;
    Var& operator=(const Var&) = delete;
};

// A one-dimensional array of `type` with lower bound 1 (as VBA's Option Base 1 makes
// it), holding `values` converted to `type`.
Make ArrayOf(VARTYPE type, std::vector<Make> values)
{
    return [=](VARIANT* v) {
        V_VT(v) = VT_ARRAY | type;
        V_ARRAY(v) = SafeArrayCreateVectorEx(type, 1, static_cast<ULONG>(values.size()), nullptr);
        for (LONG i = 1; i <= static_cast<LONG>(values.size()); ++i) {
            Var value(values[static_cast<std::size_t>(i - 1)]), converted;
            EXPECT_EQ(VariantChangeType(&converted.v, &value.v, 0, type == VT_VARIANT ? V_VT(&value.v) : type), S_OK);
            SafeArrayPutElement(V_ARRAY(v), &i, type == VT_VARIANT ? static_cast<void*>(&converted.v)
                                                                   : static_cast<void*>(&V_I4(&converted.v)));
        }
    };
}
Make I4(LONG n) { return [n](VARIANT* v) { V_VT(v) = VT_I4, V_I4(v) = n; }; }
Make Str(const wchar_t* text) { return [text](VARIANT* v) { V_VT(v) = VT_BSTR, V_BSTR(v) = SysAllocString(text); }; }

// The number of the AutomationError that `body` raises, or nothing.
std::optional<std::int32_t> ErrorOf(const std::function<void()>& body)
{
    try {
        body();
    } catch (const Hollin0106::AutomationError& e) {
        return e.Number;
    }
    return std::nullopt;
}

TEST(AutomationMapping, ByteArraysFromWhatAClientCanPass)
{
    const struct {
        const char* name;
        Make make;
        std::optional<ByteArray> expected;  // nothing: error `error`
        std::int32_t error = Hollin0106::errnum::TypeMismatch;
    } cases[] = {
        {"byte array", ArrayOf(VT_UI1, {I4(1), I4(0), I4(255)}), ByteArray{1, 0, 255}},
        {"script array of numbers", ArrayOf(VT_VARIANT, {I4(72), I4(255), I4(0)}), ByteArray{72, 255, 0}},
        {"256 does not fit: overflow", ArrayOf(VT_VARIANT, {I4(1), I4(256)}), std::nullopt, 6},
        {"a word in the array", ArrayOf(VT_VARIANT, {Str(L"x")}), std::nullopt},
        {"a string", Str(L"abc"), std::nullopt},
        {"two dimensions", [](VARIANT* v) {
             SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
             V_VT(v) = VT_ARRAY | VT_UI1;
             V_ARRAY(v) = SafeArrayCreate(VT_UI1, 2, bounds);
         }, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Var value(c.make);
        // A script's variable arrives by reference.
        VARIANT reference;
        V_VT(&reference) = VT_BYREF | VT_VARIANT;
        V_VARIANTREF(&reference) = &value.v;
        for (const VARIANT* given : {&value.v, &reference}) {
            ByteArray got;
            const auto error = ErrorOf([&] { got = automation::ByteArrayFromVariant(*given); });
            EXPECT_EQ(error, c.expected ? std::nullopt : std::optional(c.error));
            if (c.expected) EXPECT_EQ(got, *c.expected);
        }
    }
}

TEST(AutomationMapping, VariantsBothWays)
{
    const struct {
        const char* name;
        Make make;
        Variant::Type type;
        std::u16string text;  // the value as the library's string conversion gives it
    } cases[] = {
        {"left out", [](VARIANT* v) { V_VT(v) = VT_ERROR, V_ERROR(v) = DISP_E_PARAMNOTFOUND; }, Variant::Type::Missing, u""},
        {"unsigned beyond 32-bit signed", [](VARIANT* v) { V_VT(v) = VT_UI4, V_UI4(v) = 0xFFFFFFFFu; }, Variant::Type::Double,
         u"4294967295"},
        {"string", Str(L"Gr\u00FC\u00DFe \u4E16"), Variant::Type::String, u"Gr\u00FC\u00DFe \u4E16"},
        {"bytes", ArrayOf(VT_UI1, {I4(65)}), Variant::Type::ByteArray, u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Var value(c.make), back;
        const Variant mapped = automation::FromVariant(value.v);
        EXPECT_EQ(mapped.type(), c.type);
        if (c.type != Variant::Type::ByteArray && c.type != Variant::Type::Missing) EXPECT_EQ(mapped.toString(), c.text);
        // And back: the same type and value again.
        automation::ToVariant(mapped, &back.v);
        EXPECT_EQ(automation::FromVariant(back.v).type(), c.type);
        if (c.type == Variant::Type::ByteArray) EXPECT_EQ(automation::FromVariant(back.v).bytes(), ByteArray{65});
    }
    Var null([](VARIANT* v) { V_VT(v) = VT_NULL; });
    EXPECT_EQ(ErrorOf([&] { automation::FromVariant(null.v); }), 94);
    EXPECT_EQ(ErrorOf([&] { Var out; automation::ToVariant(Variant(std::shared_ptr<void>()), &out.v); }),
              Hollin0106::errnum::TypeMismatch);
}

}  // namespace
