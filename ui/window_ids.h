#pragma once

#include "ui/window_definition.h"

namespace zorvane::ui {

inline const WindowId main_window_id = "main";
inline const WindowId floating_window_id = "floating";

} // namespace zorvane::ui
