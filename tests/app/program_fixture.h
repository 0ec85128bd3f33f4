#pragma once

// The whole program on a simulated screen 1920 x 1080: a temporary program
// directory with the real file layer, and a quote service that answers per
// symbol and lets a test count the requests.

#include "app/program.h"
#include "core/local_file_system.h"
#include "support/program_folder.h"
#include "support/scripted_quote_client.h"
#include "ui/simulated/simulated_window_layer.h"
#include "ui/window_ids.h"

#include <cstdint>
#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace zorvane::app {

inline const ui::ControlRef main_window{ui::main_window_id, {}};
inline const ui::ControlRef floating_box{ui::main_window_id, "启用悬浮窗"};
inline const ui::ControlRef page_box{ui::main_window_id, "编辑框1"};
inline const ui::ControlRef floating_name{ui::floating_window_id, "股票名"};

class ProgramTest : public testing::Test {
protected:
    static ui::ControlRef on_main(const char* control) { return {ui::main_window_id, control}; }

    std::string edit_text(const ui::ControlRef& box) const {
        return ui::text_property(layer_, box, ui::Property::edit_text);
    }
    std::int64_t number(const ui::ControlRef& control, ui::Property property) const {
        return ui::number_property(layer_, control, property);
    }
    bool main_shown() const { return number(main_window, ui::Property::window_shown) == 1; }
    // Where the main window stands when it is centred on the screen.
    ui::ScreenRect centred_main() const { return {(1920 - 435) / 2, (1080 - 417) / 2, 435, 417}; }
    std::optional<std::string> main_tray_tip() const {
        const std::optional<ui::TrayIcon> icon = layer_.tray_icon(ui::main_window_id);
        if (!icon) {
            return std::nullopt;
        }
        return icon->tip;
    }

    // Closes the main window and answers Yes to the closing question; true
    // when only the floating window is left afterwards.
    bool close_main_with_yes() {
        layer_.answer_next_message(ui::answer_yes);
        layer_.close(ui::main_window_id);
        layer_.settle();
        return !layer_.window_exists(ui::main_window_id) &&
               layer_.window_exists(ui::floating_window_id);
    }

    test::ProgramFolder folder_;
    core::LocalFileSystem files_{folder_.directory()};
    test::ScriptedQuoteClient client_;
    quotes::QuoteService quotes_{client_, "quotes.test"};
    ui::SimulatedWindowLayer layer_{1920, 1080};
    Program program_{layer_, files_, quotes_};
};

} // namespace zorvane::app
