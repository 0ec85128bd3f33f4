#include "quotes/index_strip.h"
#include "support/main_screen.h"

#include <string>

#include <gtest/gtest.h>

namespace zorvane::quotes {
namespace {

using test::MainScreen;
using test::ScriptedQuoteClient;

TEST(IndexRows, PairLabelTimerAndSymbol) {
    const auto& rows = index_rows();
    EXPECT_EQ(rows[0].label, "标签1");
    EXPECT_EQ(rows[0].timer, "时钟4");
    EXPECT_EQ(rows[0].symbol, "sh000001");
    EXPECT_EQ(rows[1].label, "标签3");
    EXPECT_EQ(rows[1].timer, "时钟5");
    EXPECT_EQ(rows[1].symbol, "sz399001");
    EXPECT_EQ(rows[2].label, "标签4");
    EXPECT_EQ(rows[2].timer, "时钟11");
    EXPECT_EQ(rows[2].symbol, "sz399006");
}

TEST(RefreshIndexLabel, EachRowAsksForItsIndexAndWritesItsLabel) {
    for (const IndexRow& row : index_rows()) {
        SCOPED_TRACE(row.label);
        MainScreen main;
        main.client.answer("/list=s_" + row.symbol,
                           ScriptedQuoteClient::quote_body(row.symbol, "A,3000.12,12.34,0.41"));
        refresh_index_label(main.screen, main.quotes, row);
        ASSERT_EQ(main.client.requested_paths().size(), 1u);
        EXPECT_EQ(main.client.requested_paths()[0], "/list=s_" + row.symbol);
        for (const IndexRow& other : index_rows()) {
            const char* expected = &other == &row ? "A:3000.12   12.34    0.41%" : "";
            EXPECT_EQ(main.caption(other.label), expected) << other.label;
        }
        EXPECT_EQ(main.colour(row.label), ui::red);
    }
}

TEST(RefreshIndexLabel, CaptionAndColourFollowTheChange) {
    struct Row {
        const char* name;
        const char* payload;
        const char* caption;
        ui::Colour colour;
    };
    const Row rows[] = {
        {"up", "A,3000.12,12.34,0.41", "A:3000.12   12.34    0.41%", ui::red},
        {"flat", "A,3000.12,0.00,0.00", "A:3000.12   0.00    0.00%", ui::black},
        {"down", "A,3000.12,-0.01,-0.00", "A:3000.12   -0.01    -0.00%", ui::green},
        {"a cent up", "A,1,0.01,0", "A:1   0.01    0%", ui::red},
        // Their single-precision values lie just outside the thresholds.
        {"just above 1e-7", "A,1,0.0000001,0", "A:1   0.0000001    0%", ui::red},
        {"just below -1e-7", "A,1,-0.0000001,0", "A:1   -0.0000001    0%", ui::green},
        {"inside the thresholds", "A,1,0.00000009,0", "A:1   0.00000009    0%", ui::black},
        {"only the change decides", "A,1,0.00,0.01", "A:1   0.00    0.01%", ui::black},
        {"an empty change counts as 0", "A,1,,0", "A:1       0%", ui::black},
        {"fields are taken as they come", " A , 1 , -2 , 3 ",
         " A "
         ":"
         " 1 "
         "   "
         " -2 "
         "    "
         " 3 "
         "%",
         ui::green},
        {"six fields give the caption of four", "A,1,2,3,4,5", "A:1   2    3%", ui::red},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MainScreen main;
        main.set_colour("标签1", 0x123456);
        main.client.answer("/list=s_sh000001",
                           ScriptedQuoteClient::quote_body("sh000001", row.payload));
        refresh_index_label(main.screen, main.quotes, index_rows()[0]);
        EXPECT_EQ(main.caption("标签1"), row.caption);
        EXPECT_EQ(main.colour("标签1"), row.colour);
    }
}

TEST(RefreshIndexLabel, RepliesWithFewerThanFourFieldsLeaveTheLabelAsItIs) {
    const std::string bodies[] = {
        "",
        ScriptedQuoteClient::quote_body("sz399006", ""),
        ScriptedQuoteClient::quote_body("sz399006", "B"),
        ScriptedQuoteClient::quote_body("sz399006", "B,2000,-5"),
    };
    MainScreen main;
    main.client.answer("/list=s_sz399006",
                       ScriptedQuoteClient::quote_body("sz399006", "A,2000,-3.5,-0.17"));
    refresh_index_label(main.screen, main.quotes, index_rows()[2]);
    ASSERT_EQ(main.caption("标签4"), "A:2000   -3.5    -0.17%");
    for (const std::string& body : bodies) {
        SCOPED_TRACE(body);
        main.client.answer("/list=s_sz399006", body);
        refresh_index_label(main.screen, main.quotes, index_rows()[2]);
        EXPECT_EQ(main.caption("标签4"), "A:2000   -3.5    -0.17%");
        EXPECT_EQ(main.colour("标签4"), ui::green);
    }
}

} // namespace
} // namespace zorvane::quotes
