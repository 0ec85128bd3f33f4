#include "app/tray.h"
#include "program_fixture.h"

#include <string>
#include <vector>

namespace zorvane::app {
namespace {

class TrayTest : public ProgramTest {
protected:
    void SetUp() override { program_.start(); }
};

TEST_F(TrayTest, MinimisingHidesTheWindowAndADoubleClickBringsItBackCentred) {
    ASSERT_TRUE(layer_.minimise(ui::main_window_id));
    EXPECT_FALSE(main_shown());
    EXPECT_EQ(number(main_window, ui::Property::window_state), 2);
    EXPECT_EQ(main_tray_tip(), "Zorvane");
    EXPECT_EQ(layer_.tray_icon_count(), 1);

    ASSERT_TRUE(layer_.tray_click(ui::main_window_id));
    EXPECT_FALSE(main_shown()) << "a single click does nothing";

    ASSERT_TRUE(layer_.tray_double_click(ui::main_window_id));
    EXPECT_TRUE(main_shown());
    EXPECT_EQ(number(main_window, ui::Property::window_state), 0);
    EXPECT_EQ(layer_.window_rect(ui::main_window_id), centred_main());
    EXPECT_EQ(layer_.tray_icon_count(), 1) << "the icon stays while the window is shown";

    ASSERT_TRUE(layer_.minimise(ui::main_window_id));
    EXPECT_FALSE(main_shown());
    EXPECT_EQ(layer_.tray_icon_count(), 1) << "minimising again adds no second icon";
    EXPECT_TRUE(layer_.faults().empty());
}

TEST_F(TrayTest, MovingTheWindowKeepsItShownAndADoubleClickCentresIt) {
    ASSERT_TRUE(layer_.drag_window(ui::main_window_id, 10, 20));
    EXPECT_TRUE(main_shown());
    EXPECT_EQ(layer_.window_rect(ui::main_window_id), (ui::ScreenRect{10, 20, 435, 417}));

    ASSERT_TRUE(layer_.tray_double_click(ui::main_window_id));
    EXPECT_TRUE(main_shown());
    EXPECT_EQ(layer_.window_rect(ui::main_window_id), centred_main());
}

TEST_F(TrayTest, TheMenuOffersOpenAndExitAndOpenActsLikeTheDoubleClick) {
    ASSERT_TRUE(layer_.minimise(ui::main_window_id));
    layer_.choose_next_menu_item("打开");
    ASSERT_TRUE(layer_.tray_right_click(ui::main_window_id));

    ASSERT_EQ(layer_.menus().size(), 1U);
    const ui::MenuRecord& menu = layer_.menus()[0];
    EXPECT_EQ(menu.menu, "托盘");
    EXPECT_EQ(menu.mode, ui::MenuMode::tray);
    EXPECT_EQ(menu.captions, (std::vector<std::string>{"打开", "退出"}));
    EXPECT_TRUE(main_shown());
    EXPECT_EQ(number(main_window, ui::Property::window_state), 0);
    EXPECT_EQ(layer_.window_rect(ui::main_window_id), centred_main());
    EXPECT_EQ(layer_.tray_icon_count(), 1);
    EXPECT_TRUE(layer_.faults().empty());
}

TEST_F(TrayTest, ExitEndsAtOnceWithoutSavingOrAsking) {
    ASSERT_TRUE(layer_.type_text(on_main("代码1"), "600000"));
    ASSERT_TRUE(layer_.minimise(ui::main_window_id));
    layer_.choose_next_menu_item("退出");
    ASSERT_TRUE(layer_.tray_right_click(ui::main_window_id));

    EXPECT_TRUE(layer_.ended());
    EXPECT_EQ(layer_.exit_code(), 0);
    EXPECT_TRUE(layer_.messages().empty());
    EXPECT_FALSE(folder_.read_page("1"));
    EXPECT_EQ(layer_.tray_icon_count(), 1) << "the icon is not removed before the end";
    EXPECT_TRUE(layer_.window_exists(ui::floating_window_id)) << "it ends with the process";
}

TEST_F(TrayTest, TheFloatingWindowBringsBackTheWindowFromTheTray) {
    ASSERT_TRUE(layer_.minimise(ui::main_window_id));
    ASSERT_TRUE(layer_.double_click({ui::floating_window_id, "涨跌"}));
    EXPECT_TRUE(main_shown());
    EXPECT_EQ(number(main_window, ui::Property::window_state), 0);
    EXPECT_EQ(layer_.tray_icon_count(), 1) << "the icon stays";
    EXPECT_EQ(edit_text(page_box), "1");

    // A shown window is only activated.
    ASSERT_TRUE(layer_.click(on_main("下一页")));
    layer_.choose_next_menu_item("打开主程序");
    ASSERT_TRUE(layer_.right_button({ui::floating_window_id, {}}));
    EXPECT_EQ(layer_.active_window(), ui::main_window_id);
    EXPECT_EQ(edit_text(page_box), "2") << "nothing was loaded anew";
    EXPECT_TRUE(layer_.faults().empty());
}

TEST_F(TrayTest, OtherTrayCodesDoNothing) {
    ASSERT_TRUE(layer_.minimise(ui::main_window_id));
    for (const int code : {0, 1, 4, 512}) {
        SCOPED_TRACE(code);
        ASSERT_TRUE(layer_.tray_event(ui::main_window_id, code));
        EXPECT_FALSE(main_shown());
    }
    EXPECT_TRUE(layer_.menus().empty());
}

} // namespace
} // namespace zorvane::app
