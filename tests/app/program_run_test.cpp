// The whole program from start-up to each of its ends, on the simulated
// screen, with real page files and real HTTP to our local quote service over
// loopback, the way a user meets it.

#include "app/program.h"
#include "core/local_file_system.h"
#include "http/curl/curl_internet_client.h"
#include "support/program_folder.h"
#include "tools/quote_service/quote_service_process.h"
#include "ui/simulated/simulated_window_layer.h"
#include "ui/window_ids.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zorvane::app {
namespace {

const ui::ControlRef floating_body{ui::floating_window_id, {}};
const ui::ControlRef floating_name{ui::floating_window_id, "股票名"};
const ui::ControlRef slot_1_name{ui::main_window_id, "股票1"};

class ProgramRunTest : public testing::Test {
protected:
    std::string label(const ui::ControlRef& control) const {
        return ui::text_property(layer_, control, ui::Property::label_text);
    }

    test::ProgramFolder folder_;
    core::LocalFileSystem files_{folder_.directory()};
    tools::QuoteServiceProcess service_;
    http::CurlInternetClient client_;
    quotes::QuoteService quotes_{client_, service_.host()};
    ui::SimulatedWindowLayer layer_{1920, 1080};
    Program program_{layer_, files_, quotes_};
};

TEST_F(ProgramRunTest, EndsWithTheLastWindowAfterYesAndTheFloatingWindowsClose) {
    folder_.write_page("1", {"600000", "", "000001"});
    std::string floating_names;
    std::string slot_name;
    layer_.at(1500, [this, &slot_name] {
        slot_name = label(slot_1_name);
        layer_.answer_next_message(ui::answer_yes, 2000);
        layer_.close(ui::main_window_id);
    });
    // Slot 3 comes round on the third turn, six seconds after start-up.
    layer_.at(6500, [this, &floating_names] {
        floating_names = label(floating_name);
        layer_.choose_next_menu_item("关闭悬浮窗");
        layer_.right_button(floating_body);
    });

    EXPECT_EQ(program_.run(), 0);
    EXPECT_FALSE(layer_.ended());
    EXPECT_TRUE(layer_.open_windows().empty());
    EXPECT_EQ(slot_name, "浦发银行");
    EXPECT_EQ(floating_names, "平安银行");
    EXPECT_EQ(folder_.read_page("1"), test::page_file_bytes({"600000", "", "000001"}));
    EXPECT_TRUE(layer_.faults().empty());
}

TEST_F(ProgramRunTest, EndsAtOnceFromTheTrayMenu) {
    layer_.at(1200, [this] {
        layer_.type_text({ui::main_window_id, "代码1"}, "600000");
        layer_.minimise(ui::main_window_id);
    });
    layer_.at(2500, [this] {
        layer_.choose_next_menu_item("退出");
        layer_.tray_right_click(ui::main_window_id);
    });

    EXPECT_EQ(program_.run(), 0);
    EXPECT_TRUE(layer_.ended());
    EXPECT_EQ(layer_.now(), 2500);
    EXPECT_FALSE(folder_.read_page("1")) << "nothing is saved";
    EXPECT_TRUE(layer_.messages().empty());
    EXPECT_TRUE(layer_.faults().empty());
}

// Slots and index labels show the service's figures one second after the
// start, with colours and profit that agree with them.
TEST_F(ProgramRunTest, SlotsAndIndicesShowTheServicesQuotes) {
    // Slot 1 holds 600000, slot 2 a code the service does not list.
    std::vector<std::string> fields(24);
    fields[0] = "600000";
    fields[1] = "123456";
    fields[8] = fields[9] = "1000";
    fields[16] = fields[17] = "10";
    folder_.write_page("1", fields);
    program_.start();
    layer_.advance(1000);

    const auto caption = [this](const char* name) { return label({ui::main_window_id, name}); };
    EXPECT_EQ(caption("股票1"), "浦发银行");
    const std::string price = caption("现价1");
    const std::string change = caption("涨跌1");
    ASSERT_FALSE(price.empty());
    EXPECT_GT(core::parse_number(price), 0.0f);
    ASSERT_FALSE(change.empty());
    EXPECT_EQ(change.back(), '%');
    const ui::Colour direction =
        static_cast<double>(core::parse_number(change)) < -1e-7 ? ui::green : ui::red;
    for (const char* name : {"现价1", "涨跌1"}) {
        EXPECT_EQ(
            ui::number_property(layer_, {ui::main_window_id, name}, ui::Property::label_colour),
            direction)
            << name;
    }
    const double profit =
        core::round_to_places((static_cast<double>(core::parse_number(price)) - 10) * 1000, 2);
    EXPECT_EQ(caption("收益1"), core::format_number(profit));

    // No fields for an unlisted code: the slot shows what it showed.
    EXPECT_EQ(caption("股票2"), "股票名称");
    EXPECT_EQ(caption("现价2"), "现价");
    EXPECT_EQ(caption("收益2"), "收益");

    EXPECT_EQ(caption("标签1").rfind("上证指数:", 0), 0u) << caption("标签1");
    EXPECT_EQ(caption("标签3").rfind("深证成指:", 0), 0u) << caption("标签3");
    EXPECT_EQ(caption("标签4").rfind("创业板指:", 0), 0u) << caption("标签4");
    EXPECT_EQ(caption("标签4").back(), '%');
    EXPECT_TRUE(layer_.faults().empty());
}

} // namespace
} // namespace zorvane::app
