#include "quotes/slot_refresh.h"

#include "ui/window_ids.h"

#include <string>

namespace zorvane::quotes {

namespace {

// Changes and profits within this distance of zero count as flat.
constexpr double flat_threshold = 1e-7;

std::array<SlotControls, slot_count> make_slot_controls() {
    // Slots 4 to 8 run on 时钟6 to 时钟10; 时钟4 and 时钟5 drive the index strip.
    constexpr std::array<int, slot_count> timer_numbers = {1, 2, 3, 6, 7, 8, 9, 10};
    std::array<SlotControls, slot_count> slots;
    for (int n = 1; n <= slot_count; ++n) {
        const std::string digits = std::to_string(n);
        SlotControls& slot = slots[static_cast<std::size_t>(n - 1)];
        slot.timer = core::join_texts(
            {"时钟", std::to_string(timer_numbers[static_cast<std::size_t>(n - 1)])});
        slot.code_box = core::join_texts({"代码", digits});
        slot.shares_box = core::join_texts({"股票数量", digits});
        slot.cost_box = core::join_texts({"成本", digits});
        slot.name_label = core::join_texts({"股票", digits});
        slot.price_label = core::join_texts({"现价", digits});
        slot.change_label = core::join_texts({"涨跌", digits});
        slot.profit_label = core::join_texts({"收益", digits});
    }
    return slots;
}

ui::ControlRef main_control(const Text& name) {
    return {ui::main_window_id, name};
}

Text read_text(const ui::WindowLayer& layer, const Text& control, ui::Property property) {
    return ui::text_property(layer, main_control(control), property);
}

double number_of(std::string_view text) {
    return static_cast<double>(core::parse_number(text));
}

// Whether parse_number finds digits at the start of the text, that is whether
// the text holds a number rather than a caption such as "现价" or nothing.
bool holds_number(std::string_view text) {
    const Text folded = core::fold_full_width(text);
    std::size_t i = folded.find_first_not_of(" \t\n\v\f\r");
    if (i == Text::npos) {
        return false;
    }
    if (folded[i] == '+' || folded[i] == '-') {
        ++i;
    }
    if (i < folded.size() && folded[i] == '.') {
        ++i;
    }
    return i < folded.size() && folded[i] >= '0' && folded[i] <= '9';
}

void colour_labels(ui::WindowLayer& layer, std::initializer_list<const Text*> labels,
                   ui::Colour colour) {
    for (const Text* label : labels) {
        layer.assign_property(main_control(*label), ui::Property::label_colour,
                              static_cast<std::int64_t>(colour));
    }
}

} // namespace

const std::array<SlotControls, slot_count>& slot_controls() {
    static const std::array<SlotControls, slot_count> slots = make_slot_controls();
    return slots;
}

void refresh_slot(ui::WindowLayer& layer, const QuoteService& service, int slot) {
    if (slot < 1 || slot > slot_count) {
        return;
    }
    const SlotControls& controls = slot_controls()[static_cast<std::size_t>(slot - 1)];

    // The request is made even for an empty code box.
    const Text code = read_text(layer, controls.code_box, ui::Property::edit_text);
    const TextArray fields = service.fetch_quote_fields(
        service.quote_url(core::join_texts({market_prefix(code), code})));

    // One to three fields count like none: the colour needs the change in percent.
    if (fields.size() >= 4) {
        layer.assign_property(main_control(controls.name_label), ui::Property::label_text,
                              fields[0]);
        layer.assign_property(main_control(controls.price_label), ui::Property::label_text,
                              fields[1]);
        layer.assign_property(main_control(controls.change_label), ui::Property::label_text,
                              core::join_texts({fields[3], "%"}));
        const ui::Colour direction = number_of(fields[3]) < -flat_threshold ? ui::green : ui::red;
        colour_labels(layer, {&controls.price_label, &controls.change_label}, direction);
    }

    // The price comes back from the label, not from the reply. Without a
    // price on show (no quote yet, or a page just changed) there is no profit
    // to tell: the label and the colours stay as they are.
    const Text price = read_text(layer, controls.price_label, ui::Property::label_text);
    if (!holds_number(price)) {
        return;
    }
    const double cost = number_of(read_text(layer, controls.cost_box, ui::Property::edit_text));
    const double shares = number_of(read_text(layer, controls.shares_box, ui::Property::edit_text));
    const double profit = core::round_to_places((number_of(price) - cost) * shares, 2);
    layer.assign_property(main_control(controls.profit_label), ui::Property::label_text,
                          core::format_number(profit));

    // The colour follows the caption just written, so a profit rounded to zero
    // keeps the colours of the last tick.
    const double shown =
        number_of(read_text(layer, controls.profit_label, ui::Property::label_text));
    if (shown > flat_threshold) {
        colour_labels(layer, {&controls.profit_label, &controls.name_label}, ui::red);
    } else if (shown < -flat_threshold) {
        colour_labels(layer, {&controls.profit_label, &controls.name_label}, ui::green);
    }
}

} // namespace zorvane::quotes
