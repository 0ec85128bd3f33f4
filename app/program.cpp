#include "app/program.h"

#include "app/main_window.h"
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
    , quotes_(quotes) {}

ui::WindowDefinition Program::main_window_definition() {
    ui::WindowDefinition window = main_window_description();
    const auto bind = [&window](std::string_view name) -> ui::ControlDefinition& {
        // Every name bound here is one the description defines.
        return *find_control(window, name);
    };

    // FIXME: on_created: main_window_created.
    // FIXME: on_moved: main_window_minimised.
    // FIXME: on_will_be_destroyed: main_window_closing.
    // FIXME: on_tray_event: tray_icon_event.
    // FIXME: 启用悬浮窗 on_clicked: floating_window_toggled.
    // FIXME: 打开 on_selected: tray_open_selected.
    // FIXME: 退出 on_selected: tray_exit_selected.

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
    layer_.open_window(ui::main_window_id);
}

int Program::run() {
    start();
    return layer_.run();
}

} // namespace zorvane::app
