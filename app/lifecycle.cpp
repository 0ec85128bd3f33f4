#include "app/lifecycle.h"

#include "app/tray.h"
#include "portfolio/page_files.h"
#include "ui/window_ids.h"

namespace zorvane::app {

namespace {

const ui::ControlRef floating_box{ui::main_window_id, "启用悬浮窗"};

void tick_floating_box(ui::WindowLayer& layer) {
    layer.assign_property(floating_box, ui::Property::box_ticked, std::int64_t{1});
}

} // namespace

void main_window_created(ui::WindowLayer& layer, core::FileSystem& files) {
    files.create_folder(portfolio::page_folder_path(files));
    // The page number box holds its initial "1" here, so this loads page 1.
    portfolio::load_page(layer, files);
    show_floating_window(layer);
    tick_floating_box(layer);
}

void show_floating_window(ui::WindowLayer& layer) {
    if (layer.window_exists(ui::floating_window_id)) {
        return;
    }
    layer.open_window(ui::floating_window_id);
    show_tray_icon(layer);
}

void floating_window_toggled(ui::WindowLayer& layer, core::FileSystem& files) {
    if (ui::number_property(layer, floating_box, ui::Property::box_ticked) == 1) {
        show_floating_window(layer);
    } else if (layer.window_exists(ui::floating_window_id)) {
        layer.discard_window(ui::floating_window_id);
    }
    portfolio::save_page(layer, files);
}

void main_window_closing(ui::WindowLayer& layer, core::FileSystem& files) {
    portfolio::save_page(layer, files);
    const int answer = layer.show_message("是否保留悬浮窗?", ui::message_yes_no, "关闭提示");
    if (answer == ui::answer_no) {
        remove_tray_icon(layer);
        layer.end_program(0);
    }
    // Yes, or however else the box was closed: the floating window stays and
    // the main window goes, taking its tray icon with it.
    tick_floating_box(layer);
    show_floating_window(layer);
}

} // namespace zorvane::app
