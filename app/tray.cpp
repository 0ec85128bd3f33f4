#include "app/tray.h"

#include "assets/program_icon.h"
#include "ui/window_ids.h"

namespace zorvane::app {

namespace {

const ui::ControlRef main_window{ui::main_window_id, {}};

constexpr std::int64_t minimised = 2;
constexpr std::int64_t restore_and_centre = 1;

enum TrayCode : int { double_clicked = 2, right_button = 3 };

void show_restored_and_centred(ui::WindowLayer& layer) {
    layer.assign_property(main_window, ui::Property::window_shown, std::int64_t{1});
    layer.assign_property(main_window, ui::Property::window_state, restore_and_centre);
}

} // namespace

void show_tray_icon(ui::WindowLayer& layer) {
    layer.update_tray_icon(ui::main_window_id, assets::program_icon(), "Zorvane");
}

void remove_tray_icon(ui::WindowLayer& layer) {
    layer.update_tray_icon(ui::main_window_id, {}, {});
}

void main_window_minimised(ui::WindowLayer& layer) {
    if (ui::number_property(layer, main_window, ui::Property::window_state) != minimised) {
        return;
    }
    // Hiding also takes the window's button off the taskbar.
    layer.assign_property(main_window, ui::Property::window_shown, std::int64_t{0});
    show_tray_icon(layer);
}

void tray_icon_event(ui::WindowLayer& layer, int code) {
    switch (code) {
    case double_clicked:
        show_restored_and_centred(layer);
        break;
    case right_button:
        layer.show_context_menu(ui::main_window_id, "托盘", ui::MenuMode::tray);
        break;
    default:
        // A single click, and whatever else the icon reports, does nothing.
        break;
    }
}

void tray_open_selected(ui::WindowLayer& layer) {
    show_restored_and_centred(layer);
}

void tray_exit_selected(ui::WindowLayer& layer) {
    // Nothing is saved and nothing asked; the icon goes with the process.
    layer.end_program(0);
}

} // namespace zorvane::app
