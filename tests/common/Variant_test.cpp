// Variant conversions and by-reference byte arrays.
#include <Hollin0106/Variant.h>

#include <gtest/gtest.h>

#include <Hollin0106/AutomationError.h>

using namespace Hollin0106;

namespace {

TEST(Variant, ConvertsWithAutomationRules)
{
    EXPECT_EQ(Variant(u"12").toLong(), 12);
    EXPECT_EQ(Variant(2.5).toLong(), 2);  // banker's rounding
    EXPECT_EQ(Variant(3.5).toLong(), 4);
    EXPECT_EQ(Variant(true).toLong(), -1);
    EXPECT_EQ(Variant(u"&HFF").toLong(), 255);
    EXPECT_TRUE(Variant(u"TRUE").toBool());
    EXPECT_FALSE(Variant().toBool());
    EXPECT_EQ(Variant(std::int32_t{-7}).toString(), u"-7");
    EXPECT_EQ(Variant(false).toString(), u"False");
}

TEST(Variant, ImpossibleConversionsRaiseTypeMismatch)
{
    const Variant cases[] = {Variant(u"abc"), Variant(ByteArray{1, 2}), Variant(1e12), Variant(u"")};
    for (const Variant& v : cases) {
        try {
            (void)v.toLong();
            ADD_FAILURE() << "no error";
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.Number, 13);
            EXPECT_EQ(e.Description, u"Type mismatch");
        }
    }
    EXPECT_THROW((void)Variant(std::int32_t{1}).bytes(), AutomationError);
    Variant notAnArray(std::int32_t{5});
    EXPECT_THROW(notAnArray.setBytes({1}), AutomationError);
}

}  // namespace
