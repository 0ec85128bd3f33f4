#pragma once

// The main window's life: what follows its creation (the page folder, page 1,
// the floating window and the tray icon), the check box that switches the
// floating window on and off, and its closing (the page is saved and the user
// asked whether the floating window stays).

#include "core/file_system.h"
#include "ui/window_layer.h"

namespace zorvane::app {

// Handler of the main window's created event. A folder that cannot be made
// (it exists already, say) is no reason to stop.
void main_window_created(ui::WindowLayer& layer, core::FileSystem& files);

// Opens the floating window and shows the tray icon, unless the floating
// window exists already; then nothing at all happens.
void show_floating_window(ui::WindowLayer& layer);

// Handler of 启用悬浮窗 after the box has changed: ticked opens the floating
// window, cleared discards it; the page is saved either way.
void floating_window_toggled(ui::WindowLayer& layer, core::FileSystem& files);

// Handler of the main window's will-be-destroyed event: saves the page, then
// asks "是否保留悬浮窗?". No removes the tray icon and ends the program with
// exit code 0; Yes leaves the floating window on the screen alone.
void main_window_closing(ui::WindowLayer& layer, core::FileSystem& files);

} // namespace zorvane::app
