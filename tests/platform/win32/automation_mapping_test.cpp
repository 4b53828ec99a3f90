// The automation server's value mapping: byte arrays from what a client can pass for
// one, and the library's variants to and from VARIANT.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include <Hollin0106/AutomationError.h>
#include "bindings/automation/VariantMapping.h"

namespace {

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

// Arrays of numbers (bytes, script arrays, by reference, overflow, a word among them) are
// checked through a script client (tests/automation/client.vbs); these no script makes.
TEST(AutomationMapping, WhatIsNoOneDimensionalArrayIsNoByteArray)
{
    const Make cases[] = {
        Str(L"abc"),
        [](VARIANT* v) {
            SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
            V_VT(v) = VT_ARRAY | VT_UI1;
            V_ARRAY(v) = SafeArrayCreate(VT_UI1, 2, bounds);
        },
    };
    for (const Make& make : cases) {
        Var value(make);
        // A script's variable arrives by reference.
        VARIANT reference;
        V_VT(&reference) = VT_BYREF | VT_VARIANT;
        V_VARIANTREF(&reference) = &value.v;
        for (const VARIANT* given : {&value.v, &reference})
            EXPECT_EQ(ErrorOf([&] { automation::ByteArrayFromVariant(*given); }), Hollin0106::errnum::TypeMismatch);
    }
}

// Strings, bytes and left-out arguments both ways are checked through the script client.
TEST(AutomationMapping, VariantsBothWays)
{
    Var large([](VARIANT* v) { V_VT(v) = VT_UI4, V_UI4(v) = 0xFFFFFFFFu; }), back;
    const Variant mapped = automation::FromVariant(large.v);
    EXPECT_EQ(mapped.type(), Variant::Type::Double);  // beyond 32-bit signed
    EXPECT_EQ(mapped.toString(), u"4294967295");
    automation::ToVariant(mapped, &back.v);
    EXPECT_EQ(automation::FromVariant(back.v).toString(), u"4294967295");
    Var null([](VARIANT* v) { V_VT(v) = VT_NULL; });
    EXPECT_EQ(ErrorOf([&] { automation::FromVariant(null.v); }), 94);
    EXPECT_EQ(ErrorOf([&] { Var out; automation::ToVariant(Variant(std::shared_ptr<void>()), &out.v); }),
              Hollin0106::errnum::TypeMismatch);
}

}  // namespace
