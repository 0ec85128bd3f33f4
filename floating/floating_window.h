#pragma once

// The small round window that stays on top and shows, every three seconds,
// the name and change of the next holding saved on page 1. It reads page file
// 1 and the quote service only, never the main window's grid, and leads back
// to the main window by a double-click or its pop-up menu.
//
// One FloatingWindow lives for the whole run: the window itself is opened and
// discarded many times, but the rotation index and the page items carry over,
// so a reopened window continues with the next code.

#include "core/file_system.h"
#include "core/text.h"
#include "quotes/quote_exchange.h"
#include "ui/window_definition.h"
#include "ui/window_layer.h"

namespace zorvane::floating {

using core::Text;
using core::TextArray;

class FloatingWindow {
public:
    FloatingWindow(ui::WindowLayer& layer, core::FileSystem& files,
                   const quotes::QuoteService& quotes);
    FloatingWindow(const FloatingWindow&) = delete;
    FloatingWindow& operator=(const FloatingWindow&) = delete;

    // The window's definition; its handlers call back into this object, which
    // must therefore outlive every window opened from it.
    ui::WindowDefinition definition();

    // Places the window near the top right corner of the primary screen.
    void place_at_start();
    // Moves on to the next code (items 2 to 9 in turn), rereads page file 1
    // and shows that holding when the file has any item.
    void advance_and_read();
    // Fetches the quote of the code at the rotation index and writes both
    // labels. A page file with fewer items than the index, or a reply with
    // fewer than four fields, leaves the labels as they are for that turn.
    void show_holding();

    // The page item shown last (2 to 9 between turns; 0 before the first).
    int rotation_index() const { return rotation_index_; }
    const TextArray& page_items() const { return page_items_; }
    // "<program directory>\Zorvane配置文件\\1.ini", as GBK.
    Text page_file_path() const;

private:
    ui::WindowLayer& layer_;
    core::FileSystem& files_;
    const quotes::QuoteService& quotes_;
    int rotation_index_ = 0;
    TextArray page_items_;
};

} // namespace zorvane::floating
