#include "core/edit_rules.h"

#include <gtest/gtest.h>

namespace zorvane::core {
namespace {

TEST(EditRules, TypedCharacters) {
    const struct {
        InputRule rule;
        const char* name;
        std::string_view accepted;
        std::string_view dropped;
    } cases[] = {
        {InputRule::stock_code, "code", "0123456789-", ".+ a|,\t\xB1"},
        {InputRule::share_count, "shares", "0123456789-", ".+ a|,\t\xB1"},
        {InputRule::cost_price, "cost", "0123456789-.", "+ e|,\t\xB1"},
        {InputRule::any, "page number", "09-.a |\xB1\xA3", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char typed : c.accepted) {
            EXPECT_TRUE(accepts_typed(c.rule, typed)) << typed;
        }
        for (const char typed : c.dropped) {
            EXPECT_FALSE(accepts_typed(c.rule, typed)) << typed;
        }
    }
}

TEST(EditRules, OnlyCodesAreLimited) {
    EXPECT_EQ(length_limit(InputRule::stock_code), 6);
    EXPECT_EQ(length_limit(InputRule::share_count), 0);
    EXPECT_EQ(length_limit(InputRule::cost_price), 0);
    EXPECT_EQ(length_limit(InputRule::any), 0);
}

TEST(EditRules, NormalForms) {
    const struct {
        const char* name;
        InputRule rule;
        std::string_view typed;
        const char* shown;
    } cases[] = {
        {"code keeps leading zeros", InputRule::stock_code, "000001", "000001"},
        {"code keeps what was pasted", InputRule::stock_code, "60|0 ", "60|0 "},
        {"page number unchanged", InputRule::any, " 007 ", " 007 "},
        {"shares leading zeros", InputRule::share_count, "007", "7"},
        {"shares zero becomes empty", InputRule::share_count, "0", ""},
        {"shares empty stays empty", InputRule::share_count, "", ""},
        {"shares minus alone", InputRule::share_count, "-", ""},
        {"shares negative", InputRule::share_count, "-100", "-100"},
        {"shares space and plus", InputRule::share_count, " +300", "300"},
        {"shares stop at other characters", InputRule::share_count, "12-3", "12"},
        {"shares pasted letters", InputRule::share_count, "abc", ""},
        {"shares largest", InputRule::share_count, "2147483647", "2147483647"},
        {"shares above 32 bits clamp", InputRule::share_count, "99999999999", "2147483647"},
        {"shares below 32 bits clamp", InputRule::share_count, "-99999999999", "-2147483648"},
        {"shares above 64 bits clamp", InputRule::share_count, "99999999999999999999999",
         "2147483647"},
        {"shares below 64 bits clamp", InputRule::share_count, "-99999999999999999999999",
         "-2147483648"},
        {"cost six digits", InputRule::cost_price, "12.3456789", "12.3457"},
        {"cost single precision shows", InputRule::cost_price, "0.1", "0.1"},
        {"cost trailing zeros", InputRule::cost_price, "5.500", "5.5"},
        {"cost whole", InputRule::cost_price, "123456", "123456"},
        {"cost seven digits go to exponent form", InputRule::cost_price, "1234567", "1.23457e+006"},
        {"cost small", InputRule::cost_price, "0.00001", "1e-005"},
        {"cost negative", InputRule::cost_price, "-3.2", "-3.2"},
        {"cost zero becomes empty", InputRule::cost_price, "0", ""},
        {"cost zeros become empty", InputRule::cost_price, "0.000", ""},
        {"cost negative zero becomes empty", InputRule::cost_price, "-0", ""},
        {"cost point alone", InputRule::cost_price, ".", ""},
        {"cost stops at a second point", InputRule::cost_price, "1.2.3", "1.2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(normal_form(c.rule, c.typed), c.shown);
    }
}

} // namespace
} // namespace zorvane::core
