#pragma once

// The main window as data: its settings, the grid of eight holding slots, the
// column headings, the index strip, the page controls, fourteen timers and
// the hidden tray menu. Handlers are bound by Program; here they are empty.

#include "ui/window_definition.h"

namespace zorvane::app {

// The main window's description, every handler empty.
ui::WindowDefinition main_window_description();

// The control of that name in a definition; nullptr when there is none.
ui::ControlDefinition* find_control(ui::WindowDefinition& definition, std::string_view name);

} // namespace zorvane::app
