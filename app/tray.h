#pragma once

// The main window's notification-area icon and minimising to it: a minimised
// main window leaves the taskbar and shows the icon; a double-click on the
// icon, or 打开 in its menu, brings the window back restored and centred, and
// 退出 ends the program at once. The icon belongs to the main window and goes
// with it.

#include "ui/window_layer.h"

namespace zorvane::app {

// Gives the main window its icon with the tip "Zorvane"; an icon already
// there is replaced, so there is never more than one.
void show_tray_icon(ui::WindowLayer& layer);
void remove_tray_icon(ui::WindowLayer& layer);

// Handler of the main window's moved event: a window that is now minimised is
// hidden and the icon shown; a window that was only moved or restored stays.
void main_window_minimised(ui::WindowLayer& layer);

// Handler of the icon's mouse actions: 2 (double-click) shows the window
// restored and centred, 3 (right button) pops up the menu 托盘, anything else
// does nothing.
void tray_icon_event(ui::WindowLayer& layer, int code);

// Handlers of the tray menu's items 打开 and 退出.
void tray_open_selected(ui::WindowLayer& layer);
void tray_exit_selected(ui::WindowLayer& layer);

} // namespace zorvane::app
