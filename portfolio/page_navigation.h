#pragma once

// Moving between pages with the 上一页 and 下一页 buttons: each saves the page
// shown, writes the new number into the page number box, empties the grid and
// loads the new page.

#include "core/file_system.h"
#include "ui/window_layer.h"

namespace zorvane::portfolio {

// Handler of the 下一页 button. No upper bound.
void next_page(ui::WindowLayer& layer, core::FileSystem& files);

// Handler of the 上一页 button. The page number never goes below 1.
void previous_page(ui::WindowLayer& layer, core::FileSystem& files);

// Empties the 24 edit boxes and the captions of the 32 slot labels; text
// colours stay as they are.
void clear_grid(ui::WindowLayer& layer);

} // namespace zorvane::portfolio
