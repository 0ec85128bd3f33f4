#include "app/main_window.h"
#include "support/main_screen.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zorvane::app {
namespace {

using core::InputRule;
using test::MainScreen;
using ui::ControlKind;

struct Expected {
    std::string name;
    ControlKind kind;
    int left;
    int top;
    int width;
    int height;
    std::string text;
    InputRule rule = InputRule::any;
};

// Every visible control of the main window with its place, size and initial text.
std::vector<Expected> expected_controls() {
    std::vector<Expected> controls = {
        {"标签2", ControlKind::label, 24, 8, 32, 16, "代码"},
        {"标签88", ControlKind::label, 64, 8, 56, 16, "持股数量"},
        {"标签99", ControlKind::label, 120, 8, 32, 16, "成本"},
        {"标签388", ControlKind::label, 176, 8, 56, 16, "股票名称"},
        {"标签488", ControlKind::label, 248, 8, 32, 16, "现价"},
        {"标签588", ControlKind::label, 296, 8, 48, 16, "当前涨跌幅"},
        {"标签788", ControlKind::label, 360, 8, 32, 16, "收益"},
        {"标签1", ControlKind::label, 16, 288, 240, 16, ""},
        {"标签3", ControlKind::label, 16, 312, 240, 24, ""},
        {"标签4", ControlKind::label, 16, 344, 240, 24, ""},
        {"上一页", ControlKind::button, 272, 288, 64, 24, "上一页"},
        {"标签5", ControlKind::label, 272, 320, 16, 16, "第"},
        {"编辑框1", ControlKind::edit_box, 288, 320, 32, 16, "1", InputRule::any},
        {"标签6", ControlKind::label, 320, 320, 16, 16, "页"},
        {"下一页", ControlKind::button, 272, 336, 64, 24, "下一页"},
        {"读取", ControlKind::button, 344, 288, 80, 24, "读取数据"},
        {"保存", ControlKind::button, 344, 320, 80, 24, "保存数据"},
        {"启用悬浮窗", ControlKind::check_box, 344, 344, 80, 24, "启用悬浮窗"},
    };
    for (int n = 1; n <= 8; ++n) {
        const std::string digit = std::to_string(n);
        const int top = 32 * n;
        controls.push_back(
            {"代码" + digit, ControlKind::edit_box, 16, top, 45, 24, "", InputRule::stock_code});
        controls.push_back({"股票数量" + digit, ControlKind::edit_box, 64, top, 40, 24, "",
                            InputRule::share_count});
        controls.push_back(
            {"成本" + digit, ControlKind::edit_box, 112, top, 40, 24, "", InputRule::cost_price});
        controls.push_back(
            {"股票" + digit, ControlKind::label, 176, top, n == 2 ? 48 : 56, 16, "股票名称"});
        controls.push_back({"现价" + digit, ControlKind::label, 248, top, 35, 16, "现价"});
        controls.push_back({"涨跌" + digit, ControlKind::label, 296, top, 48, 16, "当前涨跌幅"});
        controls.push_back({"收益" + digit, ControlKind::label, 360, top, 72, 16, "收益"});
    }
    return controls;
}

TEST(MainWindowDescription, ComesOutOnTheScreenAsDescribed) {
    MainScreen main;
    const ui::WindowDefinition* window = main.screen.window_definition(ui::main_window_id);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->title, "Zorvane");
    EXPECT_EQ(window->left, 50);
    EXPECT_EQ(window->top, 50);
    EXPECT_TRUE(window->centred_at_creation);
    EXPECT_EQ(window->border, ui::Border::fixed);
    EXPECT_TRUE(window->system_menu);
    EXPECT_TRUE(window->minimize_box);
    EXPECT_FALSE(window->maximize_box);
    EXPECT_TRUE(window->in_taskbar);
    EXPECT_FALSE(window->always_on_top);
    EXPECT_TRUE(window->esc_closes);
    EXPECT_EQ(window->shape, ui::Shape::rectangle);
    EXPECT_FALSE(window->drag_by_body);
    EXPECT_EQ(window->background, ui::button_face);
    EXPECT_FALSE(window->background_picture.has_value());
    EXPECT_TRUE(window->visible);

    // Created centred on the primary screen, in integer division.
    EXPECT_EQ(main.screen.window_rect(ui::main_window_id),
              (ui::ScreenRect{(1920 - 435) / 2, (1080 - 417) / 2, 435, 417}));
    MainScreen odd_screen;
    odd_screen.screen.set_screen_size(1001, 601);
    odd_screen.screen.discard_window(ui::main_window_id);
    odd_screen.screen.open_window(ui::main_window_id);
    EXPECT_EQ(odd_screen.screen.window_rect(ui::main_window_id),
              (ui::ScreenRect{283, 92, 435, 417}));
}

TEST(MainWindowDescription, EveryControlHasItsPlaceSizeTextAndRule) {
    MainScreen main;
    const std::vector<Expected> controls = expected_controls();
    for (const Expected& expected : controls) {
        SCOPED_TRACE(expected.name);
        const ui::ControlDefinition* control =
            main.screen.control_definition(MainScreen::ref(expected.name));
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->kind, expected.kind);
        EXPECT_EQ(control->left, expected.left);
        EXPECT_EQ(control->top, expected.top);
        EXPECT_EQ(control->width, expected.width);
        EXPECT_EQ(control->height, expected.height);
        EXPECT_EQ(control->text, expected.text);
        EXPECT_EQ(control->input_rule, expected.rule);
        EXPECT_EQ(control->text_colour, ui::black);
        EXPECT_TRUE(control->font.face.empty());
        EXPECT_EQ(control->font.height, 0);
        EXPECT_TRUE(control->visible);
        switch (expected.kind) {
        case ControlKind::label:
            EXPECT_EQ(main.caption(expected.name), expected.text);
            break;
        case ControlKind::edit_box:
            EXPECT_EQ(main.text(expected.name), expected.text);
            break;
        case ControlKind::check_box:
            EXPECT_FALSE(control->ticked);
            break;
        default:
            break;
        }
    }

    // Fourteen timers, one hidden menu with two items, nothing else.
    const ui::WindowDefinition* window = main.screen.window_definition(ui::main_window_id);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->controls.size(), controls.size() + 14 + 3);
    for (int n = 1; n <= 14; ++n) {
        const std::string name = "时钟" + std::to_string(n);
        SCOPED_TRACE(name);
        const ui::ControlDefinition* timer = main.screen.control_definition(MainScreen::ref(name));
        ASSERT_NE(timer, nullptr);
        EXPECT_EQ(timer->kind, ControlKind::timer);
        EXPECT_EQ(timer->interval_ms, 1000);
    }
    const ui::ControlDefinition* menu = main.screen.control_definition(MainScreen::ref("托盘"));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->kind, ControlKind::menu);
    EXPECT_FALSE(menu->visible);
    for (const char* item : {"打开", "退出"}) {
        SCOPED_TRACE(item);
        const ui::ControlDefinition* entry = main.screen.control_definition(MainScreen::ref(item));
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->kind, ControlKind::menu_item);
        EXPECT_EQ(entry->menu, "托盘");
        EXPECT_EQ(entry->text, item);
    }
}

// What the user types passes through each box's rule; the normal form follows
// when the focus leaves.
TEST(MainWindowDescription, EditBoxesApplyTheirInputRules) {
    struct Row {
        const char* box;
        const char* typed;
        const char* shown;
    };
    const Row rows[] = {
        {"代码1", "000001", "000001"},      {"代码8", "60a0b000", "600000"},
        {"代码4", "1234567", "123456"},     {"代码2", "-12", "-12"},
        {"股票数量3", "007", "7"},          {"股票数量5", "0", ""},
        {"股票数量7", "x100", "100"},       {"股票数量8", "99999999999", "2147483647"},
        {"成本1", "12.3456789", "12.3457"}, {"成本6", "0", ""},
        {"成本8", "9.50", "9.5"},           {"成本2", "1e5", "15"},
        {"编辑框1", "abc|", "abc|"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.box);
        MainScreen main;
        main.set_text(row.box, "");
        ASSERT_TRUE(main.screen.type_text(MainScreen::ref(row.box), row.typed));
        ASSERT_TRUE(main.screen.set_focus(MainScreen::ref("读取")));
        EXPECT_EQ(main.text(row.box), row.shown);
    }
}

TEST(MainWindowDescription, PastedTextIsNotFiltered) {
    MainScreen main;
    ASSERT_TRUE(main.screen.paste_text(MainScreen::ref("代码1"), "6|0"));
    ASSERT_TRUE(main.screen.set_focus(MainScreen::ref("代码2")));
    EXPECT_EQ(main.text("代码1"), "6|0");
}

} // namespace
} // namespace zorvane::app
