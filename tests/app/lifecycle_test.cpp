#include "app/lifecycle.h"
#include "assets/program_icon.h"
#include "portfolio/page_files.h"
#include "program_fixture.h"

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>

namespace zorvane::app {
namespace {

using test::page_file_bytes;

TEST_F(ProgramTest, FirstStartMakesThePageFolderAndOpensBothWindowsWithTheTrayIcon) {
    ASSERT_FALSE(std::filesystem::exists(folder_.page_folder()));
    program_.start();

    EXPECT_TRUE(std::filesystem::is_directory(folder_.page_folder()));
    EXPECT_EQ(edit_text(page_box), "1");
    for (const std::string& box : portfolio::page_field_boxes()) {
        EXPECT_EQ(edit_text({ui::main_window_id, box}), "") << box;
    }
    EXPECT_TRUE(main_shown());
    EXPECT_EQ(layer_.window_rect(ui::main_window_id), centred_main());
    EXPECT_TRUE(layer_.window_exists(ui::floating_window_id));
    EXPECT_EQ(number(floating_box, ui::Property::box_ticked), 1);

    ASSERT_EQ(layer_.tray_icon_count(), 1);
    const std::optional<ui::TrayIcon> icon = layer_.tray_icon(ui::main_window_id);
    ASSERT_TRUE(icon.has_value());
    EXPECT_EQ(icon->tip, "Zorvane");
    EXPECT_EQ(icon->icon, assets::program_icon());

    EXPECT_TRUE(layer_.messages().empty());
    EXPECT_TRUE(layer_.faults().empty());
    EXPECT_FALSE(folder_.read_page("1")) << "starting saves nothing";
}

TEST_F(ProgramTest, AStartWithThePageFolderThereLoadsPageOne) {
    folder_.write_page("1", {"600000", "000001"});
    client_.answer_quote("sh600000", "浦发银行,10.00,0.10,1.00,5,6");
    program_.start();
    EXPECT_EQ(edit_text(on_main("代码1")), "600000");
    EXPECT_EQ(edit_text(on_main("代码2")), "000001");
    EXPECT_EQ(ui::text_property(layer_, floating_name, ui::Property::label_text), "浦发银行");
    EXPECT_TRUE(layer_.faults().empty());
}

// The close button and the Esc key lead to the same question.
struct WayToClose {
    const char* name;
    std::function<bool(ui::SimulatedWindowLayer&)> close;

    friend void PrintTo(const WayToClose& way, std::ostream* out) { *out << way.name; }
};

class ClosingTest : public ProgramTest, public testing::WithParamInterface<WayToClose> {
protected:
    bool close_main() { return GetParam().close(layer_); }
};

TEST_P(ClosingTest, NoSavesThePageRemovesTheTrayIconAndEndsTheProgram) {
    program_.start();
    ASSERT_TRUE(layer_.type_text(on_main("代码1"), "600000"));
    layer_.answer_next_message(ui::answer_no);
    close_main();

    EXPECT_EQ(folder_.read_page("1"), page_file_bytes({"600000"}));
    ASSERT_EQ(layer_.messages().size(), 1U);
    EXPECT_EQ(layer_.messages()[0].text, "是否保留悬浮窗?");
    EXPECT_EQ(layer_.messages()[0].caption, "关闭提示");
    EXPECT_EQ(layer_.messages()[0].flags, ui::message_yes_no);
    EXPECT_TRUE(layer_.ended());
    EXPECT_EQ(layer_.exit_code(), 0);
    EXPECT_EQ(layer_.tray_icon_count(), 0);
    EXPECT_TRUE(layer_.faults().empty());
}

TEST_P(ClosingTest, YesSavesThePageShownAndLeavesTheFloatingWindowAlone) {
    folder_.write_page("1", {"600000"});
    client_.answer_quote("sh600000", "浦发银行,10.00,0.10,1.00,5,6");
    program_.start();
    // Page 2 is shown and edited when the window is closed.
    ASSERT_TRUE(layer_.click(on_main("下一页")));
    ASSERT_EQ(edit_text(page_box), "2");
    ASSERT_TRUE(layer_.type_text(on_main("代码1"), "000001"));
    layer_.answer_next_message(ui::answer_yes);
    close_main();
    layer_.settle();

    EXPECT_EQ(folder_.read_page("2"), page_file_bytes({"000001"}));
    EXPECT_EQ(folder_.read_page("1"), page_file_bytes({"600000"}));
    EXPECT_FALSE(layer_.window_exists(ui::main_window_id));
    EXPECT_TRUE(layer_.window_exists(ui::floating_window_id));
    EXPECT_EQ(layer_.tray_icon_count(), 0) << "the icon went with the main window";
    EXPECT_FALSE(layer_.ended());
    EXPECT_TRUE(layer_.running());

    // The program goes on with the floating window and its timer.
    const std::size_t asked = client_.requested_paths().size();
    layer_.advance(3000);
    EXPECT_EQ(client_.requested_paths().size(), asked + 1);
    EXPECT_TRUE(layer_.faults().empty());
}

INSTANTIATE_TEST_SUITE_P(CloseButtonAndEsc, ClosingTest,
                         testing::Values(WayToClose{"CloseButton",
                                                    [](ui::SimulatedWindowLayer& layer) {
                                                        return layer.close(ui::main_window_id);
                                                    }},
                                         WayToClose{"Escape",
                                                    [](ui::SimulatedWindowLayer& layer) {
                                                        return layer.press_escape(
                                                            ui::main_window_id);
                                                    }}),
                         [](const testing::TestParamInfo<WayToClose>& way) {
                             return std::string(way.param.name);
                         });

TEST_F(ProgramTest, YesWhileTheFloatingWindowWasOffOpensItAgain) {
    program_.start();
    ASSERT_TRUE(layer_.click(floating_box));
    layer_.settle();
    ASSERT_FALSE(layer_.window_exists(ui::floating_window_id));

    ASSERT_TRUE(close_main_with_yes());
    EXPECT_FALSE(layer_.window_exists(ui::main_window_id));
    EXPECT_TRUE(layer_.window_exists(ui::floating_window_id));
    EXPECT_EQ(layer_.tray_icon_count(), 0);
}

TEST_F(ProgramTest, TheMainWindowOpenedAgainFromTheFloatingWindowStartsAfreshOnPageOne) {
    folder_.write_page("1", {"600000"});
    program_.start();
    ASSERT_TRUE(layer_.click(on_main("下一页")));
    ASSERT_TRUE(layer_.type_text(on_main("代码2"), "000002"));
    ASSERT_TRUE(close_main_with_yes());
    const int rotation = program_.floating_window().rotation_index();

    ASSERT_TRUE(layer_.double_click(floating_name));
    ASSERT_TRUE(layer_.window_exists(ui::main_window_id));
    EXPECT_TRUE(main_shown());
    EXPECT_EQ(edit_text(page_box), "1");
    EXPECT_EQ(edit_text(on_main("代码1")), "600000");
    EXPECT_EQ(edit_text(on_main("代码2")), "");
    EXPECT_EQ(number(floating_box, ui::Property::box_ticked), 1);
    EXPECT_EQ(layer_.tray_icon_count(), 0) << "no icon until the next minimise";
    EXPECT_EQ(program_.floating_window().rotation_index(), rotation)
        << "the floating window was not opened anew";

    ASSERT_TRUE(layer_.minimise(ui::main_window_id));
    EXPECT_EQ(main_tray_tip(), "Zorvane");
    EXPECT_TRUE(layer_.faults().empty());
}

TEST_F(ProgramTest, TheFloatingWindowsMenuOpensTheClosedMainWindowToo) {
    program_.start();
    ASSERT_TRUE(close_main_with_yes());

    layer_.choose_next_menu_item("打开主程序");
    ASSERT_TRUE(layer_.right_button({ui::floating_window_id, {}}));
    EXPECT_TRUE(layer_.window_exists(ui::main_window_id));
    EXPECT_EQ(edit_text(page_box), "1");
    EXPECT_EQ(layer_.tray_icon_count(), 0);
}

TEST_F(ProgramTest, TheBoxStaysTickedWhenTheFloatingWindowClosesItself) {
    program_.start();
    layer_.choose_next_menu_item("关闭悬浮窗");
    ASSERT_TRUE(layer_.right_button(floating_name));
    EXPECT_FALSE(layer_.window_exists(ui::floating_window_id));
    EXPECT_EQ(number(floating_box, ui::Property::box_ticked), 1);

    // Clearing it now only saves the page.
    ASSERT_TRUE(layer_.click(floating_box));
    layer_.settle();
    EXPECT_EQ(number(floating_box, ui::Property::box_ticked), 0);
    EXPECT_FALSE(layer_.window_exists(ui::floating_window_id));
    EXPECT_EQ(folder_.read_page("1"), page_file_bytes({}));

    // Ticking it again opens the floating window and saves once more.
    ASSERT_TRUE(layer_.type_text(on_main("代码1"), "600000"));
    ASSERT_TRUE(layer_.click(floating_box));
    EXPECT_TRUE(layer_.window_exists(ui::floating_window_id));
    EXPECT_EQ(folder_.read_page("1"), page_file_bytes({"600000"}));
    EXPECT_EQ(layer_.tray_icon_count(), 1);
    EXPECT_TRUE(layer_.faults().empty());
}

TEST_F(ProgramTest, TheBoxSwitchesTheFloatingWindowAndSetsTheTrayIconAgain) {
    program_.start();
    // A main window opened anew from the floating window has no tray icon.
    ASSERT_TRUE(close_main_with_yes());
    ASSERT_TRUE(layer_.double_click({ui::floating_window_id, {}}));
    ASSERT_EQ(layer_.tray_icon_count(), 0);

    ASSERT_TRUE(layer_.click(floating_box));
    layer_.settle();
    EXPECT_FALSE(layer_.window_exists(ui::floating_window_id));
    EXPECT_EQ(layer_.tray_icon_count(), 0) << "clearing the box leaves the icon alone";

    ASSERT_TRUE(layer_.click(floating_box));
    EXPECT_TRUE(layer_.window_exists(ui::floating_window_id));
    EXPECT_EQ(main_tray_tip(), "Zorvane");
    EXPECT_EQ(layer_.tray_icon_count(), 1);
}

TEST_F(ProgramTest, RunsFromStartUpUntilTheLastWindowHasGone) {
    folder_.write_page("1", {"600000"});
    client_.answer_quote("sh600000", "浦发银行,10.00,0.10,1.00,5,6");
    layer_.at(2000, [this] {
        layer_.answer_next_message(ui::answer_yes, 1500);
        layer_.close(ui::main_window_id);
    });
    layer_.at(9000, [this] {
        layer_.choose_next_menu_item("关闭悬浮窗");
        layer_.right_button({ui::floating_window_id, {}});
    });

    EXPECT_EQ(program_.run(), 0);
    EXPECT_FALSE(layer_.ended()) << "the loop ran out of windows, nothing called the end";
    EXPECT_TRUE(layer_.open_windows().empty());
    EXPECT_EQ(layer_.now(), 9000);
    EXPECT_EQ(folder_.read_page("1"), page_file_bytes({"600000"}));
    EXPECT_TRUE(layer_.faults().empty());
}

TEST_F(ProgramTest, RunsFromStartUpUntilNoOnTheClosingQuestion) {
    layer_.at(1500, [this] {
        layer_.type_text(on_main("代码1"), "600000");
        layer_.answer_next_message(ui::answer_no);
        layer_.press_escape(ui::main_window_id);
    });
    EXPECT_EQ(program_.run(), 0);
    EXPECT_TRUE(layer_.ended());
    EXPECT_EQ(folder_.read_page("1"), page_file_bytes({"600000"}));
    EXPECT_TRUE(layer_.faults().empty());
}

} // namespace
} // namespace zorvane::app
