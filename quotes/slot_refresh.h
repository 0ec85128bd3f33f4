#pragma once

// The per-second refresh of one holding slot of the main window: the stock's
// name, price and change in percent from the quote service, price and change
// coloured by the direction of the change, and the holding's profit from the
// price shown, the cost and the shares, coloured with the name by its sign.
// The slot's controls are its only store: nothing is kept between ticks.

#include "core/text.h"
#include "quotes/quote_exchange.h"
#include "ui/window_layer.h"

#include <array>

namespace zorvane::quotes {

inline constexpr int slot_count = 8;

// The controls of slot N (code_box ends in N, and so on) and its timer.
struct SlotControls {
    Text timer;
    Text code_box;
    Text shares_box;
    Text cost_box;
    Text name_label;
    Text price_label;
    Text change_label;
    Text profit_label;
};

// Slots 1 to 8 in order; element N - 1 is slot N.
const std::array<SlotControls, slot_count>& slot_controls();

// Refreshes slot N (1 to 8) of the main window with one request; other numbers
// do nothing. A reply with fewer than four fields writes no label from the
// reply. The profit is computed and coloured only while the price label
// holds a number, so a slot whose quote never arrived shows no loss.
void refresh_slot(ui::WindowLayer& layer, const QuoteService& service, int slot);

} // namespace zorvane::quotes
