// The main window's timers and buttons reach their handlers: quotes every
// second for every slot and index, pages from the buttons, timers behind the
// save confirmation and merged ticks behind a slow request.

#include "app/program_fixture.h"

#include <algorithm>
#include <string>
#include <vector>

namespace zorvane::app {
namespace {

using test::ScriptedQuoteClient;

class ProgramTimersTest : public ProgramTest {
protected:
    // Page 1 holds the holdings the program loads when it starts.
    void start(const std::vector<std::string>& page_one) {
        folder_.write_page("1", page_one);
        program_.start();
    }
    // Unticks 启用悬浮窗, so that only the main window's timers ask for
    // quotes, and forgets the requests made so far.
    void without_floating_window() {
        ASSERT_TRUE(layer_.click(floating_box));
        layer_.settle();
        ASSERT_FALSE(layer_.window_exists(ui::floating_window_id));
        client_.forget_requests();
    }
    long requests_for(const std::string& path) const {
        const std::vector<std::string>& paths = client_.requested_paths();
        return std::count(paths.begin(), paths.end(), path);
    }
    std::string caption(const std::string& label) const {
        return ui::text_property(layer_, {ui::main_window_id, label}, ui::Property::label_text);
    }
};

// Slot N holds code 60000N, N * 100 shares at cost 10.
std::vector<std::string> eight_holdings() {
    std::vector<std::string> fields;
    for (int n = 1; n <= 8; ++n) {
        fields.push_back("60000" + std::to_string(n));
    }
    for (int n = 1; n <= 8; ++n) {
        fields.push_back(std::to_string(n * 100));
    }
    fields.resize(24, "10");
    return fields;
}

const char* const index_symbols[] = {"sh000001", "sz399001", "sz399006"};

TEST_F(ProgramTimersTest, BindsEveryEventOfTheTableAndNothingElse) {
    program_.start();
    const ui::WindowDefinition* window = layer_.window_definition(ui::main_window_id);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->on_created);
    EXPECT_TRUE(window->on_moved);
    EXPECT_TRUE(window->on_will_be_destroyed);
    EXPECT_TRUE(window->on_tray_event);
    EXPECT_FALSE(window->on_double_clicked);
    EXPECT_FALSE(window->on_right_button);

    const std::vector<std::string> clicked = {"读取", "保存", "上一页", "下一页", "启用悬浮窗"};
    const std::vector<std::string> selected = {"打开", "退出"};
    for (const ui::ControlDefinition& control : window->controls) {
        SCOPED_TRACE(control.name);
        const bool is_clicked =
            std::find(clicked.begin(), clicked.end(), control.name) != clicked.end();
        const bool is_selected =
            std::find(selected.begin(), selected.end(), control.name) != selected.end();
        bool is_periodic = false;
        for (int n = 1; n <= 11; ++n) {
            is_periodic = is_periodic || control.name == "时钟" + std::to_string(n);
        }
        EXPECT_EQ(static_cast<bool>(control.on_clicked), is_clicked);
        EXPECT_EQ(static_cast<bool>(control.on_selected), is_selected);
        EXPECT_EQ(static_cast<bool>(control.on_periodic), is_periodic);
        EXPECT_FALSE(control.on_double_clicked);
        EXPECT_FALSE(control.on_right_button);
    }
}

// One second after the start every slot and every index label has asked for
// its own quote once and shows it; 时钟12 to 时钟14 ask for nothing.
TEST_F(ProgramTimersTest, EveryTimerRefreshesItsOwnSlotOrIndexEachSecond) {
    for (int n = 1; n <= 8; ++n) {
        client_.answer_quote("sh60000" + std::to_string(n),
                             "S" + std::to_string(n) + ",11,1," + std::to_string(n));
    }
    for (const char* symbol : index_symbols) {
        client_.answer_quote(symbol, std::string(symbol) + ",1,-1,-1");
    }
    start(eight_holdings());
    without_floating_window();
    layer_.advance(1000);

    std::vector<std::string> tick = client_.requested_paths();
    std::vector<std::string> expected;
    for (int n = 1; n <= 8; ++n) {
        expected.push_back("/list=s_sh60000" + std::to_string(n));
    }
    for (const char* symbol : index_symbols) {
        expected.push_back(std::string("/list=s_") + symbol);
    }
    std::sort(tick.begin(), tick.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(tick, expected);

    for (int n = 1; n <= 8; ++n) {
        const std::string digit = std::to_string(n);
        SCOPED_TRACE(n);
        EXPECT_EQ(caption("股票" + digit), "S" + digit);
        EXPECT_EQ(caption("涨跌" + digit), digit + "%");
        EXPECT_EQ(caption("收益" + digit), std::to_string(n * 100));
    }
    EXPECT_EQ(caption("标签1"), "sh000001:1   -1    -1%");
    EXPECT_EQ(caption("标签3"), "sz399001:1   -1    -1%");
    EXPECT_EQ(caption("标签4"), "sz399006:1   -1    -1%");
    EXPECT_TRUE(layer_.faults().empty());
}

TEST_F(ProgramTimersTest, ButtonsReadSaveAndTurnPages) {
    start(eight_holdings());
    EXPECT_EQ(edit_text(on_main("代码8")), "600008");

    layer_.assign_property(on_main("代码1"), ui::Property::edit_text, std::string("000001"));
    layer_.answer_next_message(ui::answer_ok);
    ASSERT_TRUE(layer_.click(on_main("保存")));
    ASSERT_EQ(layer_.messages().size(), 1u);
    EXPECT_EQ(layer_.messages()[0].text, "保存成功！");
    EXPECT_EQ(folder_.read_page("1").value_or("").substr(0, 10), "\r\n|000001|");

    ASSERT_TRUE(layer_.click(on_main("下一页")));
    EXPECT_EQ(edit_text(page_box), "2");
    EXPECT_EQ(edit_text(on_main("代码1")), "");
    ASSERT_TRUE(layer_.click(on_main("上一页")));
    EXPECT_EQ(edit_text(page_box), "1");
    EXPECT_EQ(edit_text(on_main("代码1")), "000001");

    layer_.assign_property(on_main("代码1"), ui::Property::edit_text, std::string("x"));
    ASSERT_TRUE(layer_.click(on_main("读取")));
    EXPECT_EQ(edit_text(on_main("代码1")), "000001");
}

// The confirmation box is modal, but the timers go on behind it.
TEST_F(ProgramTimersTest, SlotsRefreshBehindTheSaveConfirmation) {
    client_.answer_quote("sh600001", "A,12,2,20.00");
    start(eight_holdings());
    without_floating_window();
    std::vector<std::int64_t> asked_at;
    client_.while_sending = [this, &asked_at] {
        if (client_.requested_paths().back() == "/list=s_sh600001") {
            asked_at.push_back(layer_.now());
        }
    };
    const std::int64_t clicked_at = layer_.now();
    layer_.answer_next_message(ui::answer_ok, 3000);
    ASSERT_TRUE(layer_.click(on_main("保存")));

    ASSERT_EQ(layer_.messages().size(), 1u);
    EXPECT_EQ(layer_.messages()[0].caption, "提示！");
    EXPECT_GE(layer_.now(), clicked_at + 3000);
    ASSERT_EQ(asked_at.size(), 3u);
    for (const std::int64_t at : asked_at) {
        EXPECT_GT(at, clicked_at);
        EXPECT_LE(at, clicked_at + 3000);
    }
    EXPECT_EQ(client_.requested_paths().size(), 3u * 11u);
    EXPECT_EQ(caption("股票1"), "A");
    EXPECT_EQ(caption("收益1"), "200");
}

// A request that takes five and a half seconds holds up every timer; the
// ticks that fall due meanwhile are delivered once afterwards, not five times.
TEST_F(ProgramTimersTest, TicksThatFallDueDuringASlowRequestAreMerged) {
    start(eight_holdings());
    without_floating_window();
    const std::string slot_one = "/list=s_sh600001";
    const std::string slot_eight = "/list=s_sh600008";
    const std::string index_one = "/list=s_sh000001";
    bool slow = true;
    client_.while_sending = [&] {
        if (slow && client_.requested_paths().back() == slot_one) {
            slow = false;
            layer_.elapse(5500);
        }
    };
    const std::int64_t started = layer_.now();
    layer_.advance(1000);
    // Until the slow request has ended: slot 1 has asked at 1 s, and every
    // timer once more after it, whatever fell due meanwhile.
    layer_.advance(started + 6500 - layer_.now());
    EXPECT_EQ(requests_for(slot_one), 2);
    EXPECT_EQ(requests_for(slot_eight), 1);
    EXPECT_EQ(requests_for(index_one), 1);
    EXPECT_EQ(client_.requested_paths().size(), 12u);
    // The timers keep their period from the window's creation.
    layer_.advance(500);
    EXPECT_EQ(requests_for(slot_one), 3);
    EXPECT_EQ(requests_for(slot_eight), 2);
    EXPECT_EQ(requests_for(index_one), 2);
    EXPECT_EQ(client_.requested_paths().size(), 23u);
}

} // namespace
} // namespace zorvane::app
