#include "quotes/slot_refresh.h"
#include "support/main_screen.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zorvane::quotes {
namespace {

using test::MainScreen;
using test::ScriptedQuoteClient;

// Slot 1 of a fresh main window holding 600000, whose quote carries `payload`.
class SlotOne : public testing::Test {
protected:
    void holding(const char* shares, const char* cost) {
        main_.set_text("代码1", "600000");
        main_.set_text("股票数量1", shares);
        main_.set_text("成本1", cost);
    }
    void quote(const std::string& payload) {
        main_.client.answer("/list=s_sh600000",
                            ScriptedQuoteClient::quote_body("sh600000", payload));
    }
    void refresh() { refresh_slot(main_.screen, main_.quotes, 1); }
    // The captions of name, price, change and profit.
    void expect_shown(const char* name, const char* price, const char* change,
                      const char* profit) const {
        EXPECT_EQ(main_.caption("股票1"), name);
        EXPECT_EQ(main_.caption("现价1"), price);
        EXPECT_EQ(main_.caption("涨跌1"), change);
        EXPECT_EQ(main_.caption("收益1"), profit);
    }

    MainScreen main_;
};

TEST(SlotControls, NameEachSlotsControlsAndTimer) {
    const char* timers[] = {"时钟1", "时钟2", "时钟3", "时钟6",
                            "时钟7", "时钟8", "时钟9", "时钟10"};
    for (int n = 1; n <= slot_count; ++n) {
        SCOPED_TRACE(n);
        const SlotControls& slot = slot_controls()[static_cast<std::size_t>(n - 1)];
        const std::string digit = std::to_string(n);
        EXPECT_EQ(slot.timer, timers[n - 1]);
        EXPECT_EQ(slot.code_box, "代码" + digit);
        EXPECT_EQ(slot.shares_box, "股票数量" + digit);
        EXPECT_EQ(slot.cost_box, "成本" + digit);
        EXPECT_EQ(slot.name_label, "股票" + digit);
        EXPECT_EQ(slot.price_label, "现价" + digit);
        EXPECT_EQ(slot.change_label, "涨跌" + digit);
        EXPECT_EQ(slot.profit_label, "收益" + digit);
    }
}

TEST(RefreshSlot, AsksForTheSymbolOfTheCodeAsTyped) {
    struct Row {
        const char* code;
        const char* path;
    };
    const Row rows[] = {
        {"600000", "/list=s_sh600000"}, {"000001", "/list=s_sz000001"},
        {"300750", "/list=s_sz300750"}, {"", "/list=s_sz"},
        {"-1", "/list=s_sz-1"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.code);
        MainScreen main;
        main.set_text("代码3", row.code);
        refresh_slot(main.screen, main.quotes, 3);
        ASSERT_EQ(main.client.requested_paths().size(), 1u);
        EXPECT_EQ(main.client.requested_paths()[0], row.path);
    }
}

TEST(RefreshSlot, EachSlotWritesOnlyItsOwnLabels) {
    for (int n = 1; n <= slot_count; ++n) {
        SCOPED_TRACE(n);
        MainScreen main;
        const SlotControls& slot = slot_controls()[static_cast<std::size_t>(n - 1)];
        main.set_text(slot.code_box, "600036");
        main.set_text(slot.shares_box, "100");
        main.set_text(slot.cost_box, "30");
        main.client.answer("/list=s_sh600036",
                           ScriptedQuoteClient::quote_body("sh600036", "B,31.5,1.5,5.00,1,2"));
        refresh_slot(main.screen, main.quotes, n);

        EXPECT_EQ(main.caption(slot.name_label), "B");
        EXPECT_EQ(main.caption(slot.price_label), "31.5");
        EXPECT_EQ(main.caption(slot.change_label), "5.00%");
        EXPECT_EQ(main.caption(slot.profit_label), "150");
        for (int other = 1; other <= slot_count; ++other) {
            if (other == n) {
                continue;
            }
            const SlotControls& rest = slot_controls()[static_cast<std::size_t>(other - 1)];
            EXPECT_EQ(main.caption(rest.name_label), "股票名称") << other;
            EXPECT_EQ(main.caption(rest.profit_label), "收益") << other;
        }
    }
}

TEST(RefreshSlot, SlotNumbersOutsideOneToEightDoNothing) {
    MainScreen main;
    for (const int slot : {0, 9, -1}) {
        refresh_slot(main.screen, main.quotes, slot);
    }
    EXPECT_TRUE(main.client.requested_paths().empty());
    EXPECT_TRUE(main.screen.faults().empty());
}

TEST_F(SlotOne, WorkedExampleCarriesTheSinglePrecisionPriceIntoTheProfit) {
    holding("100000", "9.5");
    quote("A,10.23,0.73,7.68,1,2");
    refresh();
    // 72999.9542236328 before rounding, not 73000.
    expect_shown("A", "10.23", "7.68%", "72999.95");
    for (const char* label : {"股票1", "现价1", "涨跌1", "收益1"}) {
        EXPECT_EQ(main_.colour(label), ui::red) << label;
    }
}

TEST_F(SlotOne, ProfitCaptionAndColour) {
    struct Row {
        const char* name;
        const char* price;
        const char* cost;
        const char* shares;
        const char* profit;
        ui::Colour before; // profit and name colour before the tick
        ui::Colour after;
    };
    const Row rows[] = {
        {"worked example with 1000 shares", "10.23", "9.5", "1000", "730", ui::green, ui::red},
        {"a loss", "9.87", "10", "1000", "-130", ui::red, ui::green},
        {"half a cent up rounds away from zero", "2.5", "2.375", "1", "0.13", ui::green, ui::red},
        {"half a cent down rounds away from zero", "2.375", "2.5", "1", "-0.13", ui::red,
         ui::green},
        {"flat keeps red", "10", "10", "1000", "0", ui::red, ui::red},
        {"flat keeps green", "10", "10", "1000", "0", ui::green, ui::green},
        {"no shares: 0, not -0", "9", "10", "", "0", ui::green, ui::green},
        {"a cost that is not a number counts as 0", "10", "abc", "3", "30", ui::green, ui::red},
        {"rounded to zero", "10.001", "10", "1", "0", ui::red, ui::red},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        main_.set_colour("收益1", row.before);
        main_.set_colour("股票1", row.before);
        holding(row.shares, row.cost);
        quote(std::string("A,") + row.price + ",0,0.00");
        refresh();
        EXPECT_EQ(main_.caption("收益1"), row.profit);
        EXPECT_EQ(main_.colour("收益1"), row.after);
        EXPECT_EQ(main_.colour("股票1"), row.after);
    }
}

TEST_F(SlotOne, ChangeColoursPriceAndChange) {
    struct Row {
        const char* change;
        const char* caption;
        ui::Colour colour;
    };
    const Row rows[] = {
        {"0.00", "0.00%", ui::red},
        {"-0.01", "-0.01%", ui::green},
        {"0.01", "0.01%", ui::red},
        // Single precision puts this just below -1e-7.
        {"-0.0000001", "-0.0000001%", ui::green},
        {"-0.00000001", "-0.00000001%", ui::red},
        {"", "%", ui::red},
        {"abc", "abc%", ui::red},
    };
    holding("", "");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.change);
        for (const char* label : {"现价1", "涨跌1"}) {
            main_.set_colour(label, row.colour == ui::red ? ui::green : ui::red);
        }
        // A field after the change keeps an empty change a field of its own.
        quote(std::string("A,10,0,") + row.change + ",1");
        refresh();
        EXPECT_EQ(main_.caption("涨跌1"), row.caption);
        EXPECT_EQ(main_.colour("现价1"), row.colour);
        EXPECT_EQ(main_.colour("涨跌1"), row.colour);
    }
}

TEST_F(SlotOne, FieldsAfterTheFourthAndTheChangeFieldAreNotUsed) {
    holding("10", "1");
    quote("A,2,-99,1.5,7,8,9,10");
    refresh();
    expect_shown("A", "2", "1.5%", "10");
    EXPECT_EQ(main_.colour("涨跌1"), ui::red);
}

// Fewer than four fields write nothing from the reply; the profit is
// recomputed from what the slot shows.
TEST_F(SlotOne, RepliesWithFewerThanFourFieldsKeepNamePriceAndChange) {
    struct Row {
        const char* name;
        std::string body;
    };
    const Row rows[] = {
        {"failed request", ""},
        {"empty payload", ScriptedQuoteClient::quote_body("sh600000", "")},
        {"one field", ScriptedQuoteClient::quote_body("sh600000", "B")},
        {"three fields", ScriptedQuoteClient::quote_body("sh600000", "B,99,-5")},
        {"not a quote", "<html>403</html>"},
    };
    holding("1000", "9.5");
    quote("A,10.23,0.73,-7.68");
    refresh();
    ASSERT_EQ(main_.caption("收益1"), "730");
    main_.set_text("股票数量1", "100");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        main_.client.answer("/list=s_sh600000", row.body);
        main_.set_caption("收益1", "");
        refresh();
        expect_shown("A", "10.23", "-7.68%", "73");
        EXPECT_EQ(main_.colour("现价1"), ui::green);
        EXPECT_EQ(main_.colour("涨跌1"), ui::green);
    }
}

// Until a price is on show there is no profit to tell: the initial caption
// "现价" and the empty caption after a page change would otherwise give minus
// cost times shares, in green, as if the holding were lost.
TEST_F(SlotOne, WithoutAPriceOnShowTheProfitStaysAsItIs) {
    struct Row {
        const char* name;
        const char* price_caption;
        const char* profit_before;
    };
    const Row rows[] = {
        {"initial caption", "现价", "收益"},
        {"emptied by a page change", "", ""},
        {"a caption without digits", "-.", "5"},
    };
    holding("1000", "9.5");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        main_.set_caption("现价1", row.price_caption);
        main_.set_caption("收益1", row.profit_before);
        main_.set_colour("收益1", ui::red);
        main_.set_colour("股票1", ui::red);
        main_.client.answer("/list=s_sh600000", "");
        refresh();
        EXPECT_EQ(main_.caption("收益1"), row.profit_before);
        EXPECT_EQ(main_.colour("收益1"), ui::red);
        EXPECT_EQ(main_.colour("股票1"), ui::red);
    }

    // Prices that parse: a leading point, a sign, white space, full-width digits.
    const struct {
        const char* caption;
        const char* profit;
    } prices[] = {{".5", "-9000"}, {"+10", "500"}, {" 10", "500"}, {"１０", "500"}};
    for (const auto& price : prices) {
        SCOPED_TRACE(price.caption);
        main_.set_caption("现价1", price.caption);
        refresh();
        EXPECT_EQ(main_.caption("收益1"), price.profit);
    }
}

TEST_F(SlotOne, AQuoteArrivingAfterAPageChangeFillsTheEmptiedLabels) {
    holding("1000", "10");
    for (const char* label : {"股票1", "现价1", "涨跌1", "收益1"}) {
        main_.set_caption(label, "");
    }
    quote("C,9.87,-0.13,-1.30");
    refresh();
    expect_shown("C", "9.87", "-1.30%", "-130");
    for (const char* label : {"股票1", "现价1", "涨跌1", "收益1"}) {
        EXPECT_EQ(main_.colour(label), ui::green) << label;
    }
}

} // namespace
} // namespace zorvane::quotes
