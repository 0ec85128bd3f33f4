#include "portfolio/page_navigation.h"

#include "portfolio/page_files.h"
#include "ui/window_ids.h"

#include <string>

namespace zorvane::portfolio {

namespace {

ui::ControlRef page_box() {
    return {ui::main_window_id, Text(page_number_box)};
}

std::int32_t page_number(const ui::WindowLayer& layer) {
    return core::parse_integer(ui::text_property(layer, page_box(), ui::Property::edit_text));
}

void set_page_number(ui::WindowLayer& layer, double number) {
    layer.assign_property(page_box(), ui::Property::edit_text, core::format_number(number));
}

} // namespace

void clear_grid(ui::WindowLayer& layer) {
    for (const Text& box : page_field_boxes()) {
        layer.assign_property({ui::main_window_id, box}, ui::Property::edit_text, Text());
    }
    for (const std::string_view stem : {"股票", "现价", "涨跌", "收益"}) {
        for (int slot = 1; slot <= 8; ++slot) {
            layer.assign_property(
                {ui::main_window_id, core::join_texts({stem, std::to_string(slot)})},
                ui::Property::label_text, Text());
        }
    }
}

void next_page(ui::WindowLayer& layer, core::FileSystem& files) {
    save_page(layer, files);
    set_page_number(layer, static_cast<double>(page_number(layer)) + 1);
    clear_grid(layer);
    load_page(layer, files);
}

void previous_page(ui::WindowLayer& layer, core::FileSystem& files) {
    save_page(layer, files);
    set_page_number(layer, static_cast<double>(page_number(layer)) - 1);
    if (page_number(layer) <= 0) {
        layer.assign_property(page_box(), ui::Property::edit_text, Text("1"));
    }
    clear_grid(layer);
    load_page(layer, files);
}

} // namespace zorvane::portfolio
