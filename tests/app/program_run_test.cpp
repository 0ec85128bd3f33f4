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

} // namespace
} // namespace zorvane::app
