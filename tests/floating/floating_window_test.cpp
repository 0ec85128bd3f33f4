#include "core/local_file_system.h"
#include "floating/floating_window.h"
#include "support/program_folder.h"
#include "support/scripted_quote_client.h"
#include "ui/simulated/simulated_window_layer.h"
#include "ui/window_ids.h"

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zorvane::floating {
namespace {

using ui::ControlRef;
using ui::Property;

const ControlRef name_label{ui::floating_window_id, "股票名"};
const ControlRef change_label{ui::floating_window_id, "涨跌"};
const ControlRef body{ui::floating_window_id, {}};

constexpr std::int64_t turn_ms = 3000;

// The floating window alone on a simulated screen, with page file 1 in a
// temporary program directory and a quote service that answers per symbol.
class FloatingWindowTest : public testing::Test {
protected:
    explicit FloatingWindowTest(int screen_width = 1920)
        : layer_(screen_width, 1080) {
        layer_.define_window(floating_.definition());
    }

    void open() { ASSERT_TRUE(layer_.open_window(ui::floating_window_id)); }
    std::string text(const ControlRef& label) const {
        return ui::text_property(layer_, label, Property::label_text);
    }
    std::int64_t colour(const ControlRef& label) const {
        return ui::number_property(layer_, label, Property::label_colour);
    }
    // Symbols asked for, in order ("sh600000"; "sz" for an empty code).
    std::vector<std::string> requested_symbols() const {
        std::vector<std::string> symbols;
        for (const std::string& path : client_.requested_paths()) {
            symbols.push_back(path.substr(std::string("/list=s_").size()));
        }
        return symbols;
    }

    test::ProgramFolder folder_;
    core::LocalFileSystem files_{folder_.directory()};
    test::ScriptedQuoteClient client_;
    quotes::QuoteService quotes_{client_, "quotes.test"};
    ui::SimulatedWindowLayer layer_;
    FloatingWindow floating_{layer_, files_, quotes_};
};

TEST_F(FloatingWindowTest, IsTheSmallRoundWindowOnTopWithItsLabelsTimerAndMenu) {
    open();
    const ui::WindowDefinition* window = layer_.window_definition(ui::floating_window_id);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->title, "");
    EXPECT_EQ(window->border, ui::Border::none);
    EXPECT_FALSE(window->in_taskbar);
    EXPECT_TRUE(window->always_on_top);
    EXPECT_EQ(window->shape, ui::Shape::ellipse);
    EXPECT_TRUE(window->drag_by_body);
    ASSERT_TRUE(window->background_picture.has_value());
    EXPECT_EQ(window->background_picture->asset, "floating_background");
    EXPECT_EQ(window->background_picture->fit, ui::PictureFit::stretched);
    EXPECT_EQ(layer_.z_order().front(), ui::floating_window_id);

    struct Label {
        const char* name;
        int top;
        const char* face;
        int height;
    };
    for (const Label& row : {Label{"股票名", 24, "黑体", 16}, Label{"涨跌", 56, "", 19}}) {
        SCOPED_TRACE(row.top);
        const ui::ControlDefinition* label =
            layer_.control_definition({ui::floating_window_id, row.name});
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->kind, ui::ControlKind::label);
        EXPECT_EQ((std::vector<int>{label->left, label->top, label->width, label->height}),
                  (std::vector<int>{16, row.top, 80, 24}));
        EXPECT_EQ(label->font.face, row.face);
        EXPECT_EQ(label->font.height, row.height);
        EXPECT_EQ(label->font.weight, 400);
        EXPECT_EQ(label->font.charset, ui::gb2312_charset);
        EXPECT_EQ(label->horizontal_align, ui::HorizontalAlign::left);
        EXPECT_EQ(label->vertical_align, ui::VerticalAlign::centre);
        EXPECT_FALSE(label->word_wrap);
        ASSERT_TRUE(label->picture.has_value());
        EXPECT_EQ(label->picture->asset, "label_strip");
        EXPECT_EQ(label->picture->fit, ui::PictureFit::tiled);
    }

    const ui::ControlDefinition* timer =
        layer_.control_definition({ui::floating_window_id, "时钟1"});
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval_ms, 3000);

    // The menu forms no menu bar; a right-click on the body or either label
    // pops up its three items.
    layer_.set_cursor(1800, 140);
    for (const ControlRef& target : {body, name_label, change_label}) {
        layer_.dismiss_next_menu();
        ASSERT_TRUE(layer_.right_button(target));
    }
    ASSERT_EQ(layer_.menus().size(), 3U);
    for (const ui::MenuRecord& menu : layer_.menus()) {
        EXPECT_EQ(menu.menu, "右键菜单");
        EXPECT_EQ(menu.mode, ui::MenuMode::window);
        EXPECT_EQ(menu.items, (std::vector<std::string>{"打开主程序", "关闭悬浮窗", "退出程序"}));
    }
    EXPECT_TRUE(layer_.faults().empty());
}

class FloatingWindowPlaceTest : public FloatingWindowTest, public testing::WithParamInterface<int> {
protected:
    FloatingWindowPlaceTest()
        : FloatingWindowTest(GetParam()) {}
};

TEST_P(FloatingWindowPlaceTest, OpensNearTheTopRightCornerOfTheScreen) {
    open();
    const auto rect = layer_.window_rect(ui::floating_window_id);
    ASSERT_TRUE(rect.has_value());
    EXPECT_EQ(*rect, (ui::ScreenRect{GetParam() - 150, 100, 100, 100}));
}

// 1770 and 874 are the left edges on these screens.
INSTANTIATE_TEST_SUITE_P(ScreenWidths, FloatingWindowPlaceTest, testing::Values(1920, 1024));

TEST_F(FloatingWindowTest, RotatesThroughTheCodesOfPageOneAndKeepsTheLastHoldingForEmptySlots) {
    folder_.write_page("1", {"600000", "", "000001"});
    client_.answer_quote("sh600000", "浦发银行,10.00,0.10,1.00,5,6");
    client_.answer_quote("sz000001", "平安银行,9.00,-0.09,-1.00,5,6");

    struct Turn {
        int item;
        const char* name;
        const char* change;
    };
    // Slots 2 and 4 to 8 are empty: their requests give no fields.
    const Turn turns[] = {
        {2, "浦发银行", "1.00%"},  {3, "浦发银行", "1.00%"},  {4, "平安银行", "-1.00%"},
        {5, "平安银行", "-1.00%"}, {6, "平安银行", "-1.00%"}, {7, "平安银行", "-1.00%"},
        {8, "平安银行", "-1.00%"}, {9, "平安银行", "-1.00%"}, {2, "浦发银行", "1.00%"},
    };
    open();
    for (std::size_t turn = 0; turn < std::size(turns); ++turn) {
        SCOPED_TRACE("turn " + std::to_string(turn + 1));
        if (turn > 0) {
            layer_.advance(turn_ms);
        }
        EXPECT_EQ(floating_.rotation_index(), turns[turn].item);
        EXPECT_EQ(text(name_label), turns[turn].name);
        EXPECT_EQ(text(change_label), turns[turn].change);
        EXPECT_EQ(client_.requested_paths().size(), turn + 1) << "one request per turn";
    }
    EXPECT_EQ(requested_symbols(), (std::vector<std::string>{"sh600000", "sz", "sz000001", "sz",
                                                             "sz", "sz", "sz", "sz", "sh600000"}));
}

TEST_F(FloatingWindowTest, ATurnComesEveryThreeSecondsFromTheWindowsCreation) {
    folder_.write_page("1", {"600000"});
    open();
    EXPECT_EQ(client_.requested_paths().size(), 1U) << "one request at creation";
    layer_.advance(turn_ms - 1);
    EXPECT_EQ(client_.requested_paths().size(), 1U);
    layer_.advance(1);
    EXPECT_EQ(client_.requested_paths().size(), 2U);
}

TEST_F(FloatingWindowTest, ReopenedAfterShowingSlotEightItStartsAgainAtSlotOne) {
    folder_.write_page(
        "1", {"600001", "600002", "600003", "600004", "600005", "600006", "600007", "600008"});
    for (int slot = 1; slot <= 8; ++slot) {
        client_.answer_quote("sh60000" + std::to_string(slot),
                             "slot" + std::to_string(slot) + ",1,0,0.5,1,1");
    }
    open();
    layer_.advance(7 * turn_ms);
    ASSERT_EQ(text(name_label), "slot8");

    layer_.choose_next_menu_item("关闭悬浮窗");
    ASSERT_TRUE(layer_.right_button(name_label));
    EXPECT_FALSE(layer_.window_exists(ui::floating_window_id));
    // Its timer went with it.
    layer_.advance(10 * turn_ms);
    EXPECT_EQ(client_.requested_paths().size(), 8U);

    open();
    EXPECT_EQ(text(name_label), "slot1");
    EXPECT_EQ(text(change_label), "0.5%");
    EXPECT_EQ(floating_.rotation_index(), 2);
    layer_.advance(turn_ms);
    EXPECT_EQ(text(name_label), "slot2");
    EXPECT_TRUE(layer_.faults().empty());
}

TEST_F(FloatingWindowTest, ShowsUpAndFlatInRedAndOnlyAFallBeyondTheThresholdInGreen) {
    struct Case {
        const char* percent;
        std::int64_t colour;
    };
    // -0.00000001 lies above -1e-7 and counts as flat; text that is no number reads as 0.
    const Case cases[] = {{"0.00", ui::red}, {"-0.01", ui::green}, {"-0.00000001", ui::red},
                          {"1.25", ui::red}, {"abc", ui::red},     {"-0.0000002", ui::green}};
    folder_.write_page("1", {"600000"});
    open();
    for (const Case& row : cases) {
        SCOPED_TRACE(row.percent);
        client_.answer_quote("sh600000",
                             std::string("浦发银行,10.00,0.00,") + row.percent + ",1,1");
        // Slots 2 to 8 are empty, so the turn after slot 8 comes back to slot 1.
        layer_.advance(8 * turn_ms);
        EXPECT_EQ(text(change_label), std::string(row.percent) + "%");
        EXPECT_EQ(colour(name_label), row.colour);
        EXPECT_EQ(colour(change_label), row.colour);
    }
}

TEST_F(FloatingWindowTest, WithoutPageFileOneItAsksForNothingAndStaysEmpty) {
    open();
    layer_.advance(8 * turn_ms);
    EXPECT_TRUE(client_.requested_paths().empty());
    EXPECT_EQ(text(name_label), "");
    EXPECT_EQ(text(change_label), "");
    EXPECT_EQ(colour(name_label), ui::black);
    EXPECT_TRUE(floating_.page_items().empty());
    EXPECT_EQ(floating_.rotation_index(), 2) << "the rotation goes on all the same";
}

TEST_F(FloatingWindowTest, AShortPageFileOrAShortReplyLeavesTheLabelsAsTheyAre) {
    // Two items only: the line break and one code. The turns for items 3 to 9
    // find no code and ask for nothing.
    folder_.write_raw("1", "\r\n|600000|");
    client_.answer_quote("sh600000", "浦发银行,10.00,0.10,1.00,5,6");
    open();
    ASSERT_EQ(text(name_label), "浦发银行");
    layer_.advance(turn_ms);
    EXPECT_EQ(floating_.rotation_index(), 3);
    EXPECT_EQ(client_.requested_paths().size(), 1U);
    EXPECT_EQ(text(name_label), "浦发银行");

    // Replies of one to three fields keep the previous holding on show.
    for (const char* payload : {"短", "短,1", "短,1,-2"}) {
        SCOPED_TRACE(payload);
        client_.answer_quote("sh600000", payload);
        layer_.advance(8 * turn_ms);
        EXPECT_EQ(text(name_label), "浦发银行");
        EXPECT_EQ(text(change_label), "1.00%");
        EXPECT_EQ(colour(change_label), ui::red);
    }
    EXPECT_TRUE(layer_.faults().empty());
}

TEST_F(FloatingWindowTest, ShowingAHoldingBeforeTheFirstTurnDoesNothing) {
    folder_.write_page("1", {"600000"});
    ASSERT_TRUE(layer_.open_window(ui::floating_window_id));
    FloatingWindow fresh(layer_, files_, quotes_);
    const std::size_t asked = client_.requested_paths().size();
    fresh.show_holding();
    EXPECT_EQ(client_.requested_paths().size(), asked);
}

TEST_F(FloatingWindowTest, ReadsPageFileOneAfreshOnEveryTurn) {
    folder_.write_page("1", {"600000"});
    client_.answer_quote("sh600000", "浦发银行,10.00,0.10,1.00,5,6");
    client_.answer_quote("sz000001", "平安银行,9.00,-0.09,-1.00,5,6");
    open();
    ASSERT_EQ(text(name_label), "浦发银行");
    folder_.write_page("1", {"000001"});
    layer_.advance(8 * turn_ms);
    EXPECT_EQ(text(name_label), "平安银行");
    EXPECT_EQ(floating_.page_items().size(), 25U);
}

TEST_F(FloatingWindowTest, ItsMenuEndsTheProgramWithExitCodeZero) {
    open();
    layer_.choose_next_menu_item("退出程序");
    ASSERT_TRUE(layer_.right_button(body));
    EXPECT_TRUE(layer_.ended());
    EXPECT_EQ(layer_.exit_code(), 0);
}

} // namespace
} // namespace zorvane::floating
