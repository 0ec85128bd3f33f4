#include "quotes/index_strip.h"

#include "ui/window_ids.h"

namespace zorvane::quotes {

namespace {

// Changes within this distance of zero count as flat.
constexpr double flat_threshold = 1e-7;

} // namespace

const std::array<IndexRow, 3>& index_rows() {
    static const std::array<IndexRow, 3> rows = {{
        {"标签1", "时钟4", "sh000001"},
        {"标签3", "时钟5", "sz399001"},
        {"标签4", "时钟11", "sz399006"},
    }};
    return rows;
}

void refresh_index_label(ui::WindowLayer& layer, const QuoteService& service, const IndexRow& row) {
    const TextArray fields = service.fetch_quote_fields(service.quote_url(row.symbol));
    // Without the four fields there is no line to show: the label keeps the last one.
    if (fields.size() < 4) {
        return;
    }
    const ui::ControlRef label{ui::main_window_id, row.label};
    layer.assign_property(
        label, ui::Property::label_text,
        core::join_texts({fields[0], ":", fields[1], "   ", fields[2], "    ", fields[3], "%"}));
    const double change = static_cast<double>(core::parse_number(fields[2]));
    ui::Colour colour = ui::black;
    if (change > flat_threshold) {
        colour = ui::red;
    } else if (change < -flat_threshold) {
        colour = ui::green;
    }
    layer.assign_property(label, ui::Property::label_colour, static_cast<std::int64_t>(colour));
}

} // namespace zorvane::quotes
