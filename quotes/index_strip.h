#pragma once

// The strip of three market indices below the grid: each label shows one
// index's name, level, change and change in percent in one line, red when the
// index is up, green when down, black when flat.

#include "core/text.h"
#include "quotes/quote_exchange.h"
#include "ui/window_layer.h"

#include <array>

namespace zorvane::quotes {

struct IndexRow {
    Text label;
    Text timer;
    Text symbol;
};

// The Shanghai composite, Shenzhen component and ChiNext rows, in strip order.
const std::array<IndexRow, 3>& index_rows();

// Refreshes the row's label with one request. A reply with fewer than four
// fields leaves the label as it is.
void refresh_index_label(ui::WindowLayer& layer, const QuoteService& service, const IndexRow& row);

} // namespace zorvane::quotes
