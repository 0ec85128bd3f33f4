#include "ui/simulated/simulated_window_layer.h"

#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace zorvane::ui {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const WindowId main_id = "main";
const WindowId float_id = "float";

// A window with one control of each kind the program uses, and a small
// always-on-top window beside it. Every handler notes its event in `log`.
class SimulatedLayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        main = WindowDefinition{};
        main.id = main_id;
        main.title = "Zorvane";
        main.left = 50;
        main.top = 50;
        main.width = 435;
        main.height = 417;
        main.centred_at_creation = true;
        main.esc_closes = true;
        main.on_created = note("created");
        main.on_moved = [this] {
            log.push_back("moved " + std::to_string(state(main_id)) + " " +
                          std::to_string(layer.window_rect(main_id)->left));
        };
        main.on_will_be_destroyed = note("will be destroyed");
        main.on_tray_event = [this](int code) { log.push_back("tray " + std::to_string(code)); };
        main.on_double_clicked = note("window double-clicked");
        main.on_right_button = note("window right button");
        main.controls = {
            edit_box("代码1", core::InputRule::stock_code),
            edit_box("股票数量1", core::InputRule::share_count),
            edit_box("成本1", core::InputRule::cost_price),
            edit_box("编辑框1", core::InputRule::any, "1"),
            label("股票1", "股票名称"),
            button("保存", note("save clicked")),
            check_box("启用悬浮窗"),
            timer("时钟1", 1000, note("tick main")),
            menu("托盘"),
            menu_item("打开", "托盘", note("open selected")),
            menu_item("退出", "托盘", note("exit selected")),
            menu("其他"),
            menu_item("别的", "其他", note("other selected")),
        };

        floating = WindowDefinition{};
        floating.id = float_id;
        floating.left = 0;
        floating.top = 50;
        floating.width = 100;
        floating.height = 100;
        floating.border = Border::none;
        floating.always_on_top = true;
        floating.in_taskbar = false;
        floating.controls = {timer("时钟1", 3000, note("tick float"))};
    }

    void define() {
        layer.define_window(main);
        layer.define_window(floating);
    }
    void open_main() {
        define();
        ASSERT_TRUE(layer.open_window(main_id));
        log.clear();
    }

    Handler note(const std::string& what) {
        return [this, what] { log.push_back(what); };
    }
    static ControlDefinition edit_box(const Text& name, core::InputRule rule,
                                      const Text& text = {}) {
        ControlDefinition control;
        control.kind = ControlKind::edit_box;
        control.name = name;
        control.input_rule = rule;
        control.text = text;
        return control;
    }
    static ControlDefinition label(const Text& name, const Text& text) {
        ControlDefinition control;
        control.kind = ControlKind::label;
        control.name = name;
        control.text = text;
        return control;
    }
    ControlDefinition button(const Text& name, Handler clicked) {
        ControlDefinition control;
        control.kind = ControlKind::button;
        control.name = name;
        control.on_clicked = std::move(clicked);
        return control;
    }
    ControlDefinition check_box(const Text& name) {
        ControlDefinition control;
        control.kind = ControlKind::check_box;
        control.name = name;
        control.on_clicked = [this, name] {
            log.push_back("ticked " + std::to_string(number_property(layer, {main_id, name},
                                                                     Property::box_ticked)));
        };
        return control;
    }
    static ControlDefinition timer(const Text& name, int interval, Handler periodic) {
        ControlDefinition control;
        control.kind = ControlKind::timer;
        control.name = name;
        control.interval_ms = interval;
        control.on_periodic = std::move(periodic);
        return control;
    }
    static ControlDefinition menu(const Text& name) {
        ControlDefinition control;
        control.kind = ControlKind::menu;
        control.name = name;
        control.visible = false;
        return control;
    }
    static ControlDefinition menu_item(const Text& name, const Text& menu, Handler selected) {
        ControlDefinition control;
        control.kind = ControlKind::menu_item;
        control.name = name;
        control.text = name;
        control.menu = menu;
        control.on_selected = std::move(selected);
        return control;
    }
    ControlDefinition& control_of(WindowDefinition& window, const Text& name) {
        for (ControlDefinition& control : window.controls) {
            if (control.name == name) {
                return control;
            }
        }
        throw std::logic_error("no control " + name);
    }

    std::int64_t state(const WindowId& id) {
        return number_property(layer, {id, {}}, Property::window_state);
    }
    std::int64_t shown(const WindowId& id) {
        return number_property(layer, {id, {}}, Property::window_shown);
    }
    Text text(const Text& control) {
        return text_property(layer, {main_id, control}, Property::edit_text);
    }
    void set_state(std::int64_t value) {
        layer.assign_property({main_id, {}}, Property::window_state, value);
    }
    void set_shown(std::int64_t value) {
        layer.assign_property({main_id, {}}, Property::window_shown, value);
    }

    SimulatedWindowLayer layer;
    WindowDefinition main;
    WindowDefinition floating;
    std::vector<std::string> log;
};

// The centre of a 1920 x 1080 screen for the 435 x 417 window.
const ScreenRect centre{742, 331, 435, 417};

TEST_F(SimulatedLayerTest, CreationFiresCreatedThenMovedBeforeTheWindowIsShown) {
    main.on_created = [this] { log.push_back("created, shown " + std::to_string(shown(main_id))); };
    define();

    ASSERT_TRUE(layer.open_window(main_id));

    EXPECT_THAT(log, ElementsAre("created, shown 0", "moved 0 742"));
    EXPECT_EQ(layer.window_rect(main_id), centre);
    EXPECT_EQ(shown(main_id), 1);
    EXPECT_EQ(layer.active_window(), main_id);
    EXPECT_THAT(layer.faults(), IsEmpty());
}

TEST_F(SimulatedLayerTest, WindowsStartFromTheirDefinition) {
    floating.visible = false;
    open_main();
    ASSERT_TRUE(layer.open_window(float_id));

    EXPECT_EQ(layer.window_rect(float_id), (ScreenRect{0, 50, 100, 100}));
    EXPECT_EQ(shown(float_id), 0);
    EXPECT_EQ(text("编辑框1"), "1");
    EXPECT_EQ(text_property(layer, {main_id, "股票1"}, Property::label_text), "股票名称");
    EXPECT_EQ(layer.window_definition(main_id)->title, "Zorvane");
    EXPECT_FALSE(layer.open_window("nowhere"));
    EXPECT_THAT(layer.faults(), ElementsAre("open_window of nowhere, which has no definition"));
}

struct WindowStateRow {
    const char* name;
    bool minimised_first;
    bool hidden_first;
    std::int64_t value;
    std::int64_t state;
    std::int64_t shown;
    ScreenRect rect;
    std::vector<std::string> moves;
};

void PrintTo(const WindowStateRow& row, std::ostream* out) {
    *out << row.name;
}

class WindowStateTest : public SimulatedLayerTest,
                        public ::testing::WithParamInterface<WindowStateRow> {};

TEST_P(WindowStateTest, WritingWindowStateActsOnlyWhileShown) {
    const WindowStateRow& row = GetParam();
    open_main();
    layer.place_window(main_id, 10, 20);
    if (row.minimised_first) {
        set_state(2);
    }
    if (row.hidden_first) {
        set_shown(0);
    }
    log.clear();

    set_state(row.value);

    EXPECT_EQ(state(main_id), row.state);
    EXPECT_EQ(shown(main_id), row.shown);
    EXPECT_EQ(layer.window_rect(main_id), row.rect);
    EXPECT_EQ(log, row.moves);
}

const ScreenRect placed{10, 20, 435, 417};
const ScreenRect parked{minimised_left, minimised_top, 435, 417};
const ScreenRect whole_screen{0, 0, 1920, 1080};

INSTANTIATE_TEST_SUITE_P(
    Placements, WindowStateTest,
    ::testing::Values(
        WindowStateRow{"restore_and_centre_a_minimised_window",
                       true,
                       false,
                       1,
                       0,
                       1,
                       centre,
                       {"moved 0 10", "moved 0 742"}},
        WindowStateRow{"centre_a_normal_window", false, false, 1, 0, 1, centre, {"moved 0 742"}},
        WindowStateRow{
            "restore_on_a_hidden_window_changes_nothing", false, true, 1, 0, 0, placed, {}},
        WindowStateRow{"restore_on_a_hidden_minimised_window_changes_nothing",
                       true,
                       true,
                       1,
                       2,
                       0,
                       parked,
                       {}},
        WindowStateRow{
            "normal_restores_without_centring", true, false, 0, 0, 1, placed, {"moved 0 10"}},
        WindowStateRow{
            "minimise_moves_the_window_away", false, false, 2, 2, 1, parked, {"moved 2 -32000"}},
        WindowStateRow{"maximise", false, false, 3, 3, 1, whole_screen, {"moved 3 0"}},
        WindowStateRow{
            "above_3_is_clamped_to_3", false, false, 7, 3, 1, whole_screen, {"moved 3 0"}},
        WindowStateRow{"below_0_is_clamped_to_0", true, false, -4, 0, 1, placed, {"moved 0 10"}},
        WindowStateRow{
            "minimise_on_a_hidden_window_changes_nothing", false, true, 2, 0, 0, placed, {}}),
    [](const ::testing::TestParamInfo<WindowStateRow>& row) { return row.param.name; });

TEST_F(SimulatedLayerTest, CentringUsesIntegerDivisionOnTheConfiguredScreen) {
    layer.set_screen_size(1025, 769);
    open_main();
    EXPECT_EQ(layer.window_rect(main_id), (ScreenRect{295, 176, 435, 417}));
    EXPECT_EQ(layer.primary_screen_width(), 1025);
}

TEST_F(SimulatedLayerTest, OpenWindowRestoresAMinimisedHiddenWindowWithoutCreatingIt) {
    open_main();
    layer.place_window(main_id, 10, 20);
    ASSERT_TRUE(layer.minimise(main_id));
    set_shown(0);
    log.clear();

    EXPECT_TRUE(layer.open_window(main_id));

    EXPECT_THAT(log, ElementsAre("moved 0 10"));
    EXPECT_EQ(shown(main_id), 1);
    EXPECT_EQ(state(main_id), 0);
    EXPECT_EQ(layer.window_rect(main_id), (ScreenRect{10, 20, 435, 417}));
}

TEST_F(SimulatedLayerTest, OpenWindowOnAnOpenNormalWindowOnlyActivatesIt) {
    open_main();
    floating.always_on_top = false;
    layer.define_window(floating);
    ASSERT_TRUE(layer.open_window(float_id));
    ASSERT_EQ(layer.active_window(), float_id);
    log.clear();

    EXPECT_TRUE(layer.open_window(main_id));

    EXPECT_THAT(log, IsEmpty());
    EXPECT_EQ(layer.active_window(), main_id);
    EXPECT_THAT(layer.z_order(), ElementsAre(main_id, float_id));
}

TEST_F(SimulatedLayerTest, AlwaysOnTopWindowsStayAboveTheOthers) {
    open_main();
    ASSERT_TRUE(layer.open_window(float_id));
    ASSERT_TRUE(layer.open_window(main_id));
    EXPECT_EQ(layer.active_window(), main_id);
    EXPECT_THAT(layer.z_order(), ElementsAre(float_id, main_id));
}

TEST_F(SimulatedLayerTest, DiscardIsCarriedOutAfterTheHandlerReturns) {
    open_main();
    layer.update_tray_icon(main_id, {0, 0, 1, 0, 1, 0}, "Zorvane");
    control_of(floating, "时钟1").on_periodic = [this] {
        log.push_back("tick float");
        if (layer.window_exists(main_id)) {
            layer.discard_window(main_id);
            log.push_back("exists " + std::to_string(layer.window_exists(main_id)));
        }
    };
    layer.define_window(floating);
    ASSERT_TRUE(layer.open_window(float_id));
    log.clear();

    layer.advance(3000);

    EXPECT_THAT(log, ElementsAre("tick main", "tick main", "tick main", "tick float", "exists 1",
                                 "will be destroyed"));
    EXPECT_FALSE(layer.window_exists(main_id));
    EXPECT_EQ(layer.tray_icon_count(), 0);
    log.clear();
    layer.advance(5000);
    EXPECT_THAT(log, ElementsAre("tick float")); // the main window's timer went with it
}

TEST_F(SimulatedLayerTest, OpeningAWindowWhoseDiscardIsPendingCreatesItAnew) {
    main.on_double_clicked = [this] {
        layer.discard_window(main_id);
        layer.open_window(main_id);
        log.push_back("exists " + std::to_string(layer.window_exists(main_id)));
    };
    open_main();
    layer.assign_property({main_id, "编辑框1"}, Property::edit_text, Text("7"));

    ASSERT_TRUE(layer.double_click({main_id, {}}));

    EXPECT_THAT(log, ElementsAre("will be destroyed", "created", "moved 0 742", "exists 1"));
    EXPECT_TRUE(layer.window_exists(main_id)); // the stale discard was dropped
    EXPECT_EQ(text("编辑框1"), "1");           // values start from the definition again
}

TEST_F(SimulatedLayerTest, AWindowDiscardedWhileBeingCreatedIsNeverShown) {
    main.on_created = [this] { layer.discard_window(main_id); };
    main.on_will_be_destroyed = [this] {
        log.push_back("will be destroyed, shown " + std::to_string(shown(main_id)));
    };
    define();

    EXPECT_TRUE(layer.open_window(main_id));
    EXPECT_TRUE(layer.window_exists(main_id));
    layer.settle();

    EXPECT_THAT(log, ElementsAre("moved 0 742", "will be destroyed, shown 0"));
    EXPECT_FALSE(layer.window_exists(main_id));
}

TEST_F(SimulatedLayerTest, TimersCountFromTheirWindowsCreation) {
    open_main();
    layer.advance(250);
    layer.open_window(float_id);
    log.clear();

    layer.advance(6000); // now 6250

    EXPECT_THAT(log, ElementsAre("tick main", "tick main", "tick main", "tick float", "tick main",
                                 "tick main", "tick main", "tick float"));
    EXPECT_EQ(layer.now(), 6250);
}

TEST_F(SimulatedLayerTest, TicksThatFallDueDuringASlowHandlerAreMergedIntoOne) {
    int slow_ticks = 0;
    control_of(main, "时钟1").on_periodic = [this, &slow_ticks] {
        log.push_back("tick main at " + std::to_string(layer.now()));
        if (slow_ticks++ == 0) {
            layer.elapse(3500); // a request that takes three and a half periods
        }
    };
    open_main();

    layer.advance(5000);

    // Due at 1000; busy until 4500, so 2000, 3000 and 4000 become one tick.
    EXPECT_THAT(log, ElementsAre("tick main at 1000", "tick main at 4500", "tick main at 5000"));
}

TEST_F(SimulatedLayerTest, AdvanceInsideAHandlerOnlyLetsTimePass) {
    int ticks = 0;
    control_of(main, "时钟1").on_periodic = [this, &ticks] {
        log.push_back("tick main at " + std::to_string(layer.now()));
        if (ticks++ == 0) {
            layer.advance(1500);
        }
    };
    open_main();

    layer.advance(2600);

    EXPECT_THAT(log, ElementsAre("tick main at 1000", "tick main at 2500"));
    EXPECT_THAT(layer.faults(),
                ElementsAre("advance inside a handler; elapse lets a handler take time"));
}

TEST_F(SimulatedLayerTest, TimersFireBehindAnOpenMessageBox) {
    control_of(main, "保存").on_clicked = [this] {
        log.push_back("box returned " +
                      std::to_string(layer.show_message("保存成功！", 0, "提示！")));
    };
    open_main();
    layer.advance(500);
    layer.answer_next_message(answer_ok, 2000);

    ASSERT_TRUE(layer.click({main_id, "保存"}));

    EXPECT_THAT(log, ElementsAre("tick main", "tick main", "box returned 0"));
    ASSERT_EQ(layer.messages().size(), 1U);
    EXPECT_EQ(layer.messages()[0].text, "保存成功！");
    EXPECT_EQ(layer.messages()[0].caption, "提示！");
    EXPECT_EQ(layer.messages()[0].shown_at, 500);
    EXPECT_EQ(layer.now(), 2500);
    EXPECT_THAT(layer.faults(), IsEmpty());
}

TEST_F(SimulatedLayerTest, MessageBoxesGiveTheScriptedButton) {
    struct Row {
        const char* name;
        int flags;
        std::optional<int> scripted;
        int result;
        bool fault;
    };
    const Row rows[] = {
        {"Yes", message_yes_no, answer_yes, answer_yes, false},
        {"No", message_yes_no, answer_no, answer_no, false},
        {"OK", message_ok, answer_ok, answer_ok, false},
        {"unscripted yes-no takes the default Yes", message_yes_no, std::nullopt, answer_yes, true},
        {"unscripted OK", message_ok, std::nullopt, answer_ok, true},
        {"No is not offered by an OK box", message_ok, answer_no, answer_ok, true},
        {"second button as default", message_yes_no | 0x100, std::nullopt, answer_no, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SimulatedWindowLayer fresh;
        if (row.scripted) {
            fresh.answer_next_message(*row.scripted);
        }
        EXPECT_EQ(fresh.show_message("是否保留悬浮窗?", row.flags, "关闭提示"), row.result);
        EXPECT_EQ(fresh.faults().size(), row.fault ? 1U : 0U);
        ASSERT_EQ(fresh.messages().size(), 1U);
        EXPECT_EQ(fresh.messages()[0].scripted, row.scripted.has_value());
        EXPECT_EQ(fresh.messages()[0].answer, row.result);
    }
}

TEST_F(SimulatedLayerTest, TrayIconIsOnePerWindowAndItsTipIsCut) {
    open_main();
    const core::ByteBuffer icon{0, 0, 1, 0, 5, 0, 16};
    const core::ByteBuffer other{0, 0, 1, 0, 1, 0};

    layer.update_tray_icon(main_id, icon, "Zorvane");
    layer.update_tray_icon(main_id, other, Text(70, 'x'));

    EXPECT_EQ(layer.tray_icon_count(), 1);
    ASSERT_TRUE(layer.tray_icon(main_id));
    EXPECT_EQ(layer.tray_icon(main_id)->icon, other);
    EXPECT_EQ(layer.tray_icon(main_id)->tip, Text(62, 'x'));

    layer.update_tray_icon(main_id, {}, {});
    EXPECT_FALSE(layer.tray_icon(main_id));
    EXPECT_EQ(layer.tray_icon_count(), 0);
    EXPECT_THAT(layer.faults(), IsEmpty());

    layer.update_tray_icon(main_id, {'B', 'M'}, "Zorvane");
    EXPECT_THAT(layer.faults(),
                ElementsAre("update_tray_icon of main with bytes that are no icon file"));
}

TEST_F(SimulatedLayerTest, TrayMouseActionsGiveTheirCodes) {
    open_main();
    EXPECT_FALSE(layer.tray_click(main_id)); // no icon yet
    layer.update_tray_icon(main_id, {0, 0, 1, 0, 1, 0}, "Zorvane");
    set_shown(0); // tray events reach a hidden window too

    EXPECT_TRUE(layer.tray_click(main_id));
    EXPECT_TRUE(layer.tray_double_click(main_id));
    EXPECT_TRUE(layer.tray_right_click(main_id));

    EXPECT_THAT(log, ElementsAre("tray 1", "tray 1", "tray 2", "tray 1", "tray 3"));
}

TEST_F(SimulatedLayerTest, PopUpMenusOpenAtTheCursorAndTheChoiceFollowsFromTheQueue) {
    main.on_tray_event = [this](int) {
        layer.show_context_menu(main_id, "托盘", MenuMode::tray);
        log.push_back("menu returned");
    };
    main.on_right_button = [this] {
        layer.show_context_menu(main_id, "托盘", MenuMode::window);
        log.push_back("menu returned");
    };
    open_main();
    layer.update_tray_icon(main_id, {0, 0, 1, 0, 1, 0}, "Zorvane");
    layer.set_cursor(1800, 1050);
    layer.choose_next_menu_item("打开");
    layer.dismiss_next_menu();

    ASSERT_TRUE(layer.tray_right_click(main_id));
    ASSERT_TRUE(layer.right_button({main_id, {}}));

    EXPECT_THAT(log, ElementsAre("menu returned", "open selected", "menu returned"));
    ASSERT_EQ(layer.menus().size(), 2U);
    const MenuRecord& tray = layer.menus()[0];
    EXPECT_EQ(tray.mode, MenuMode::tray);
    EXPECT_THAT(tray.items, ElementsAre("打开", "退出"));
    EXPECT_THAT(tray.captions, ElementsAre("打开", "退出"));
    EXPECT_EQ(tray.x, 1795); // the menu's right edge
    EXPECT_EQ(tray.y, 1045);
    EXPECT_EQ(tray.chosen, Text("打开"));
    const MenuRecord& window = layer.menus()[1];
    EXPECT_EQ(window.x, 1803); // the menu's top-left corner
    EXPECT_EQ(window.y, 1053);
    EXPECT_FALSE(window.chosen);
    EXPECT_THAT(layer.faults(), IsEmpty());
}

TEST_F(SimulatedLayerTest, MenuFaultsAreRecorded) {
    main.on_right_button = [this] { layer.show_context_menu(main_id, "托盘", MenuMode::window); };
    open_main();
    layer.choose_next_menu_item("别的"); // lies under another menu

    ASSERT_TRUE(layer.right_button({main_id, {}}));
    ASSERT_TRUE(layer.right_button({main_id, {}}));

    EXPECT_THAT(log, IsEmpty());
    EXPECT_THAT(layer.faults(), ElementsAre("chose 别的, which menu 托盘 does not show",
                                            "unscripted menu 托盘 of main"));
}

TEST_F(SimulatedLayerTest, TimersFireBehindAnOpenMenu) {
    main.on_right_button = [this] { layer.show_context_menu(main_id, "托盘", MenuMode::window); };
    open_main();
    layer.choose_next_menu_item("退出", 1500);

    ASSERT_TRUE(layer.right_button({main_id, "股票1"})); // the label has no handler
    EXPECT_THAT(log, IsEmpty());
    ASSERT_TRUE(layer.right_button({main_id, {}}));

    EXPECT_THAT(log, ElementsAre("tick main", "exit selected"));
    EXPECT_EQ(layer.now(), 1500);
}

struct TypingRow {
    const char* name;
    const char* box;
    std::vector<std::string> typed; // typed runs; a run starting with "|paste|" is pasted
    const char* while_focused;
    const char* after_leaving;
};

void PrintTo(const TypingRow& row, std::ostream* out) {
    *out << row.name;
}

class EditBoxTest : public SimulatedLayerTest, public ::testing::WithParamInterface<TypingRow> {};

TEST_P(EditBoxTest, TypedTextPassesTheRuleAndTakesItsNormalFormWhenTheFocusLeaves) {
    const TypingRow& row = GetParam();
    open_main();
    const ControlRef box{main_id, row.box};
    for (const std::string& run : row.typed) {
        if (run.rfind("|paste|", 0) == 0) {
            ASSERT_TRUE(layer.paste_text(box, run.substr(7)));
        } else {
            ASSERT_TRUE(layer.type_text(box, run));
        }
    }
    EXPECT_EQ(text(row.box), row.while_focused);
    layer.clear_focus();
    EXPECT_EQ(text(row.box), row.after_leaving);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, EditBoxTest,
    ::testing::Values(
        TypingRow{"code_keeps_leading_zeros", "代码1", {"000001"}, "000001", "000001"},
        TypingRow{
            "code_drops_letters_and_stops_at_six", "代码1", {"6a0b0-0c001"}, "600-00", "600-00"},
        TypingRow{"shares_lose_leading_zeros", "股票数量1", {"007"}, "007", "7"},
        TypingRow{"zero_shares_become_empty", "股票数量1", {"0"}, "0", ""},
        TypingRow{
            "shares_clamp_to_32_bits", "股票数量1", {"99999999999"}, "99999999999", "2147483647"},
        TypingRow{
            "cost_has_six_significant_digits", "成本1", {"12.3456789"}, "12.3456789", "12.3457"},
        TypingRow{"zero_cost_becomes_empty", "成本1", {"0.0"}, "0.0", ""},
        TypingRow{"a_pasted_bar_stays", "代码1", {"12", "|paste||3"}, "12|3", "12|3"},
        TypingRow{"paste_keeps_the_length_limit", "代码1", {"|paste|12345678"}, "123456", "123456"},
        TypingRow{"a_free_box_takes_GBK_text", "编辑框1", {"页码"}, "1页码", "1页码"}),
    [](const ::testing::TestParamInfo<TypingRow>& row) { return row.param.name; });

TEST_F(SimulatedLayerTest, NormalFormsApplyOnlyWhenTheUserLeavesTheBox) {
    control_of(main, "保存").on_clicked = [this] { log.push_back("saving " + text("股票数量1")); };
    open_main();

    layer.assign_property({main_id, "股票数量1"}, Property::edit_text, Text("007"));
    layer.advance(2000);
    EXPECT_EQ(text("股票数量1"), "007"); // set by the program: left as it is
    layer.set_focus({main_id, "股票数量1"});
    layer.set_focus({main_id, "成本1"});
    EXPECT_EQ(text("股票数量1"), "7");
    log.clear();

    layer.type_text({main_id, "股票数量1"}, "8");
    ASSERT_TRUE(layer.click({main_id, "保存"})); // the button takes the focus first
    EXPECT_THAT(log, ElementsAre("saving 78"));

    ASSERT_TRUE(layer.erase_text({main_id, "股票数量1"}, 1));
    EXPECT_EQ(text("股票数量1"), "7");
    ASSERT_TRUE(layer.erase_text({main_id, "编辑框1"}));
    EXPECT_EQ(text("编辑框1"), "");
    EXPECT_FALSE(layer.type_text({main_id, "股票1"}, "x")); // a label takes no typing
    EXPECT_FALSE(layer.paste_text({main_id, "保存"}, "x")); // nor does a button
    EXPECT_EQ(text_property(layer, {main_id, "保存"}, Property::label_text), "");
}

TEST_F(SimulatedLayerTest, CheckBoxChangesBeforeItsHandlerRuns) {
    open_main();
    ASSERT_TRUE(layer.click({main_id, "启用悬浮窗"}));
    ASSERT_TRUE(layer.click({main_id, "启用悬浮窗"}));
    EXPECT_THAT(log, ElementsAre("ticked 1", "ticked 0"));
}

TEST_F(SimulatedLayerTest, MinimisingAndRestoringMoveTheWindow) {
    open_main();
    layer.type_text({main_id, "股票数量1"}, "007");

    ASSERT_TRUE(layer.minimise(main_id));
    EXPECT_EQ(text("股票数量1"), "7"); // the box lost the focus with its window
    EXPECT_FALSE(layer.click({main_id, "保存"}));
    EXPECT_FALSE(layer.active_window());
    ASSERT_TRUE(layer.restore(main_id));
    EXPECT_FALSE(layer.maximise(main_id)); // no maximise box

    EXPECT_THAT(log, ElementsAre("moved 2 -32000", "moved 0 742"));
    EXPECT_EQ(layer.window_rect(main_id), centre);
}

TEST_F(SimulatedLayerTest, PlaceWindowMovesOnlyWhenTheRectangleChanges) {
    open_main();
    layer.place_window(main_id, 742, 331);
    layer.place_window(main_id, 742, 331, 500, 300);
    EXPECT_EQ(layer.window_rect(main_id), (ScreenRect{742, 331, 500, 300}));
    layer.place_window(main_id, 5, 331);
    ASSERT_TRUE(layer.drag_window(main_id, 6, 7));
    EXPECT_THAT(log, ElementsAre("moved 0 5", "moved 0 6"));
}

TEST_F(SimulatedLayerTest, OnlyACaptionBarOrADraggableBodyLetsTheUserMoveAWindow) {
    struct Row {
        const char* name;
        Border border;
        bool system_menu;
        bool drag_by_body;
        bool draggable;
        bool minimisable;
    };
    const Row rows[] = {
        {"fixed frame with system menu", Border::fixed, true, false, true, true},
        {"no border", Border::none, false, false, false, false},
        {"no border, dragged by its body", Border::none, false, true, true, false},
        {"frame and title but no system menu", Border::fixed, false, false, true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        floating.border = row.border;
        floating.system_menu = row.system_menu;
        floating.drag_by_body = row.drag_by_body;
        floating.title = "T";
        floating.minimize_box = true;
        SimulatedWindowLayer screen;
        screen.define_window(floating);
        ASSERT_TRUE(screen.open_window(float_id));

        EXPECT_EQ(screen.drag_window(float_id, 300, 400), row.draggable);
        EXPECT_EQ(screen.window_rect(float_id)->left, row.draggable ? 300 : 0);
        EXPECT_EQ(screen.minimise(float_id), row.minimisable);
    }
}

TEST_F(SimulatedLayerTest, ClosingRunsWillBeDestroyedWithTimersFiringBehindItsQuestion) {
    main.on_will_be_destroyed = [this] {
        log.push_back("answer " + std::to_string(layer.show_message("是否保留悬浮窗?",
                                                                    message_yes_no, "关闭提示")));
    };
    open_main();
    layer.update_tray_icon(main_id, {0, 0, 1, 0, 1, 0}, "Zorvane");
    layer.open_window(float_id);
    log.clear();
    layer.answer_next_message(answer_yes, 1000);

    ASSERT_TRUE(layer.close(main_id));

    EXPECT_THAT(log, ElementsAre("tick main", "answer 5"));
    EXPECT_FALSE(layer.window_exists(main_id));
    EXPECT_EQ(layer.tray_icon_count(), 0);
    EXPECT_TRUE(layer.running());
}

// The main window's way to the tray and back, as the program drives it:
// minimising hides it and shows an icon; a double-click on the icon shows it
// again, restored and centred.
TEST_F(SimulatedLayerTest, MinimiseToTrayAndBackByDoubleClick) {
    main.on_moved = [this] {
        if (state(main_id) == 2) {
            set_shown(0);
            layer.update_tray_icon(main_id, {0, 0, 1, 0, 1, 0}, "Zorvane");
        }
    };
    main.on_tray_event = [this](int code) {
        log.push_back("tray " + std::to_string(code));
        if (code == 2) {
            set_shown(1);
            set_state(1);
        }
    };
    open_main();
    layer.drag_window(main_id, 5, 6);

    ASSERT_TRUE(layer.minimise(main_id));
    EXPECT_EQ(shown(main_id), 0);
    EXPECT_EQ(state(main_id), 2);
    EXPECT_FALSE(layer.restore(main_id)); // no taskbar button to restore it from

    ASSERT_TRUE(layer.tray_double_click(main_id));
    EXPECT_THAT(log, ElementsAre("tray 1", "tray 2", "tray 1"));
    EXPECT_EQ(shown(main_id), 1);
    EXPECT_EQ(state(main_id), 0);
    EXPECT_EQ(layer.window_rect(main_id), centre);
    EXPECT_EQ(layer.active_window(), main_id);
    EXPECT_EQ(layer.tray_icon_count(), 1);

    ASSERT_TRUE(layer.minimise(main_id));
    EXPECT_EQ(layer.tray_icon_count(), 1);
}

TEST_F(SimulatedLayerTest, EndingTheProgramFromTheClosingQuestionDestroysNothing) {
    main.on_will_be_destroyed = [this] {
        if (layer.show_message("是否保留悬浮窗?", message_yes_no, "关闭提示") == answer_no) {
            layer.update_tray_icon(main_id, {}, {});
            layer.end_program(0);
        }
        log.push_back("after the question");
    };
    floating.on_will_be_destroyed = note("floating will be destroyed");
    open_main();
    layer.open_window(float_id);
    layer.update_tray_icon(main_id, {0, 0, 1, 0, 1, 0}, "Zorvane");
    layer.answer_next_message(answer_no);

    ASSERT_TRUE(layer.close(main_id));

    EXPECT_TRUE(layer.ended());
    EXPECT_EQ(layer.exit_code(), 0);
    EXPECT_THAT(log, IsEmpty());
    EXPECT_EQ(layer.tray_icon_count(), 0);
    EXPECT_TRUE(layer.window_exists(float_id));
    EXPECT_FALSE(layer.running());
    layer.advance(10000);
    EXPECT_THAT(log, IsEmpty());
}

TEST_F(SimulatedLayerTest, EscClosesOnlyWindowsDefinedSo) {
    open_main();
    layer.open_window(float_id);
    EXPECT_FALSE(layer.press_escape(float_id));
    EXPECT_TRUE(layer.press_escape(main_id));
    EXPECT_THAT(log, ElementsAre("will be destroyed"));
    EXPECT_FALSE(layer.window_exists(main_id));
}

TEST_F(SimulatedLayerTest, EndProgramStopsTheHandlerAndEverythingAfterIt) {
    control_of(main, "时钟1").on_periodic = [this] {
        log.push_back("tick main");
        layer.end_program(3);
        log.push_back("after end_program");
    };
    open_main();
    layer.update_tray_icon(main_id, {0, 0, 1, 0, 1, 0}, "Zorvane");

    layer.advance(5000);

    EXPECT_THAT(log, ElementsAre("tick main"));
    EXPECT_TRUE(layer.ended());
    EXPECT_EQ(layer.exit_code(), 3);
    EXPECT_FALSE(layer.click({main_id, "保存"}));
    EXPECT_FALSE(layer.close(main_id));
    EXPECT_FALSE(layer.open_window(float_id));
    EXPECT_EQ(layer.run(), 3);
    // Nothing was destroyed: the screen stays as it was at the end.
    EXPECT_TRUE(layer.window_exists(main_id));
    EXPECT_EQ(layer.tray_icon_count(), 1);
    EXPECT_THAT(log, ElementsAre("tick main"));
}

TEST_F(SimulatedLayerTest, EndProgramInsideANestedLoopUnwindsTheHandlerThatOpenedIt) {
    control_of(main, "时钟1").on_periodic = [this] { layer.end_program(0); };
    control_of(main, "保存").on_clicked = [this] {
        layer.show_message("保存成功！", message_ok, "提示！");
        log.push_back("after the box");
    };
    open_main();
    layer.answer_next_message(answer_ok, 5000);

    ASSERT_TRUE(layer.click({main_id, "保存"}));

    EXPECT_THAT(log, IsEmpty());
    EXPECT_TRUE(layer.ended());
    EXPECT_EQ(layer.exit_code(), 0);
    EXPECT_EQ(layer.now(), 1000);
}

TEST_F(SimulatedLayerTest, EndProgramInACreatedHandlerStopsTheOpening) {
    main.on_created = [this] { layer.end_program(0); };
    define();
    EXPECT_TRUE(layer.open_window(main_id));
    EXPECT_EQ(shown(main_id), 0);
    EXPECT_THAT(log, IsEmpty());
    EXPECT_FALSE(layer.running());
}

TEST_F(SimulatedLayerTest, RunEndsWhenTheLastWindowIsGone) {
    control_of(floating, "时钟1").on_periodic = [this] { layer.discard_window(float_id); };
    open_main();
    layer.open_window(float_id);
    layer.at(2500, [this] { layer.close(main_id); });

    EXPECT_EQ(layer.run(), 0);

    EXPECT_EQ(layer.now(), 3000);
    EXPECT_THAT(log, ElementsAre("tick main", "tick main", "will be destroyed"));
    EXPECT_FALSE(layer.ended());
}

TEST_F(SimulatedLayerTest, RunStopsAtItsLimitWhileWindowsRemain) {
    open_main();
    layer.set_run_limit(3500);
    EXPECT_EQ(layer.run(), run_unfinished);
    EXPECT_EQ(layer.now(), 3500);
    EXPECT_EQ(log.size(), 3U);
}

TEST_F(SimulatedLayerTest, UserActionsAreRefusedWhileAHandlerRuns) {
    control_of(main, "时钟1").on_periodic = [this] {
        log.push_back(layer.click({main_id, "保存"}) ? "clicked" : "refused");
    };
    open_main();
    layer.advance(1000);
    EXPECT_THAT(log, ElementsAre("refused"));
}

TEST_F(SimulatedLayerTest, PropertyAccessToAWindowThatIsNotOpenIsAFault) {
    define();
    EXPECT_EQ(text("代码1"), "");
    layer.assign_property({main_id, "代码1"}, Property::edit_text, Text("1"));
    EXPECT_EQ(layer.faults().size(), 2U);
    open_main();
    layer.assign_property({main_id, "代码1"}, Property::label_colour, Text("red"));
    layer.assign_property({main_id, "股票1"}, Property::label_colour, std::int64_t{red});
    EXPECT_EQ(number_property(layer, {main_id, "股票1"}, Property::label_colour), red);
    EXPECT_EQ(layer.faults().size(), 3U);
}

} // namespace
} // namespace zorvane::ui
