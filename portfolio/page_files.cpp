#include "portfolio/page_files.h"

#include "ui/window_ids.h"

#include <string>

namespace zorvane::portfolio {

namespace {

constexpr std::string_view field_separator = "|";

ui::ControlRef main_control(std::string_view name) {
    return {ui::main_window_id, Text(name)};
}

Text current_page_name(const ui::WindowLayer& layer) {
    return ui::text_property(layer, main_control(page_number_box), ui::Property::edit_text);
}

std::array<Text, 24> make_field_boxes() {
    std::array<Text, 24> boxes;
    std::size_t k = 0;
    for (const std::string_view stem : {"代码", "股票数量", "成本"}) {
        for (int slot = 1; slot <= 8; ++slot) {
            boxes[k++] = core::join_texts({stem, std::to_string(slot)});
        }
    }
    return boxes;
}

} // namespace

const std::string_view page_number_box = "编辑框1";

const std::array<Text, 24>& page_field_boxes() {
    static const std::array<Text, 24> boxes = make_field_boxes();
    return boxes;
}

Text page_folder_path(const core::FileSystem& files) {
    return core::join_texts({files.program_directory(), "\\", "Zorvane配置文件", "\\"});
}

Text page_file_path(const core::FileSystem& files, std::string_view page_name) {
    return core::join_texts(
        {files.program_directory(), "\\", "Zorvane配置文件", "\\", page_name, ".ini"});
}

TextArray read_page_items(const core::FileSystem& files, std::string_view page_name) {
    const core::ByteBuffer content = files.read_file(page_file_path(files, page_name));
    return core::split_at(core::bytes_to_text(content), field_separator);
}

bool save_page(ui::WindowLayer& layer, core::FileSystem& files) {
    core::ByteBuffer content =
        core::join_buffers({core::text_to_bytes("\r\n"), core::text_to_bytes(field_separator)});
    for (const Text& box : page_field_boxes()) {
        const Text field = ui::text_property(layer, main_control(box), ui::Property::edit_text);
        // A pasted "|" would shift every later field when the page is loaded
        // again, so it is left out. replace_text steps by character, like the
        // split on loading, so a GBK trail byte of 0x7C stays.
        content = core::join_buffers(
            {content, core::text_to_bytes(core::replace_text(field, field_separator)),
             core::text_to_bytes(field_separator)});
    }
    return files.write_file(page_file_path(files, current_page_name(layer)), content);
}

void load_page(ui::WindowLayer& layer, const core::FileSystem& files) {
    const TextArray items = read_page_items(files, current_page_name(layer));
    // Item 1 is whatever stands before the first "|"; field k is item k + 1.
    // A file cut short fills the boxes it has items for.
    const std::array<Text, 24>& boxes = page_field_boxes();
    for (std::size_t k = 0; k < boxes.size() && k + 1 < items.size(); ++k) {
        layer.assign_property(main_control(boxes[k]), ui::Property::edit_text, items[k + 1]);
    }
}

void read_page_clicked(ui::WindowLayer& layer, const core::FileSystem& files) {
    load_page(layer, files);
}

void save_page_clicked(ui::WindowLayer& layer, core::FileSystem& files) {
    save_page(layer, files);
    layer.show_message("保存成功！", ui::message_ok, "提示！");
}

} // namespace zorvane::portfolio
