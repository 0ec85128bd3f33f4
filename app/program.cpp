#include "app/program.h"

#include "app/lifecycle.h"
#include "app/main_window.h"
#include "app/tray.h"
#include "portfolio/page_files.h"
#include "portfolio/page_navigation.h"
#include "quotes/index_strip.h"
#include "quotes/slot_refresh.h"
#include "ui/window_ids.h"

namespace zorvane::app {

Program::Program(ui::WindowLayer& layer, core::FileSystem& files,
                 const quotes::QuoteService& quotes)
    : layer_(layer)
    , files_(files)
    , quotes_(quotes)
    , floating_(layer, files, quotes) {}

ui::WindowDefinition Program::main_window_definition() {
    ui::WindowDefinition window = main_window_description();
    const auto bind = [&window](std::string_view name) -> ui::ControlDefinition& {
        // Every name bound here is one the description defines.
        return *find_control(window, name);
    };

    window.on_created = [this] { main_window_created(layer_, files_); };
    window.on_moved = [this] { main_window_minimised(layer_); };
    window.on_will_be_destroyed = [this] { main_window_closing(layer_, files_); };
    window.on_tray_event = [this](int code) { tray_icon_event(layer_, code); };
    bind("启用悬浮窗").on_clicked = [this] { floating_window_toggled(layer_, files_); };
    bind("打开").on_selected = [this] { tray_open_selected(layer_); };
    bind("退出").on_selected = [this] { tray_exit_selected(layer_); };

    for (int slot = 1; slot <= quotes::slot_count; ++slot) {
        const quotes::SlotControls& controls =
            quotes::slot_controls()[static_cast<std::size_t>(slot - 1)];
        bind(controls.timer).on_periodic = [this, slot] {
            quotes::refresh_slot(layer_, quotes_, slot);
        };
    }
    for (const quotes::IndexRow& row : quotes::index_rows()) {
        bind(row.timer).on_periodic = [this, &row] {
            quotes::refresh_index_label(layer_, quotes_, row);
        };
    }
    bind("读取").on_clicked = [this] { portfolio::read_page_clicked(layer_, files_); };
    bind("保存").on_clicked = [this] { portfolio::save_page_clicked(layer_, files_); };
    bind("上一页").on_clicked = [this] { portfolio::previous_page(layer_, files_); };
    bind("下一页").on_clicked = [this] { portfolio::next_page(layer_, files_); };
    return window;
}

void Program::start() {
    layer_.define_window(main_window_definition());
    layer_.define_window(floating_.definition());
    layer_.open_window(ui::main_window_id);
}

int Program::run() {
    start();
    return layer_.run();
}

} // namespace zorvane::app
