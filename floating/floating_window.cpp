#include "floating/floating_window.h"

#include "ui/window_ids.h"

#include <cstddef>
#include <cstdint>
#include <utility>

namespace zorvane::floating {

namespace {

const Text name_label = "股票名";
const Text change_label = "涨跌";
const Text menu_name = "右键菜单";

// The first and last page items that hold stock codes (slots 1 to 8).
constexpr int first_code_item = 2;
constexpr int last_code_item = 9;

// A change below this counts as down; flat and anything else show as up.
constexpr double down_threshold = -1e-7;

ui::ControlDefinition caption_label(Text name, int top, ui::Font font) {
    ui::ControlDefinition label;
    label.kind = ui::ControlKind::label;
    label.name = std::move(name);
    label.left = 16;
    label.top = top;
    label.width = 80;
    label.height = 24;
    label.text_colour = ui::black;
    label.font = std::move(font);
    label.horizontal_align = ui::HorizontalAlign::left;
    label.vertical_align = ui::VerticalAlign::centre;
    label.word_wrap = false;
    label.picture = ui::Picture{"label_strip", ui::PictureFit::tiled};
    return label;
}

ui::ControlDefinition menu_item(const Text& name, ui::Handler on_selected) {
    ui::ControlDefinition item;
    item.kind = ui::ControlKind::menu_item;
    item.name = name;
    item.text = name;
    item.menu = menu_name;
    item.on_selected = std::move(on_selected);
    return item;
}

} // namespace

FloatingWindow::FloatingWindow(ui::WindowLayer& layer, core::FileSystem& files,
                               const quotes::QuoteService& quotes)
    : layer_(layer)
    , files_(files)
    , quotes_(quotes) {}

ui::WindowDefinition FloatingWindow::definition() {
    ui::WindowDefinition window;
    window.id = ui::floating_window_id;
    window.title = {};
    window.left = 0;
    window.top = 50;
    window.width = 100;
    window.height = 100;
    window.centred_at_creation = false;
    window.border = ui::Border::none;
    window.system_menu = false;
    window.minimize_box = false;
    window.maximize_box = false;
    window.in_taskbar = false;
    window.always_on_top = true;
    window.shape = ui::Shape::ellipse;
    window.drag_by_body = true;
    window.esc_closes = false;
    window.background = ui::button_face;
    window.background_picture = ui::Picture{"floating_background", ui::PictureFit::stretched};
    window.visible = true;

    ui::WindowLayer& layer = layer_;
    const auto open_main_window = [&layer] { layer.open_window(ui::main_window_id); };
    const auto pop_up_menu = [&layer] {
        layer.show_context_menu(ui::floating_window_id, menu_name, ui::MenuMode::window);
    };

    window.on_created = [this] {
        place_at_start();
        advance_and_read();
    };
    window.on_double_clicked = open_main_window;
    window.on_right_button = pop_up_menu;

    for (auto label :
         {caption_label(name_label, 24, ui::Font{"黑体", 16, 400, ui::gb2312_charset}),
          caption_label(change_label, 56, ui::Font{"", 19, 400, ui::gb2312_charset})}) {
        label.on_double_clicked = open_main_window;
        label.on_right_button = pop_up_menu;
        window.controls.push_back(std::move(label));
    }

    ui::ControlDefinition timer;
    timer.kind = ui::ControlKind::timer;
    timer.name = "时钟1";
    timer.interval_ms = 3000;
    timer.on_periodic = [this] { advance_and_read(); };
    window.controls.push_back(std::move(timer));

    ui::ControlDefinition menu;
    menu.kind = ui::ControlKind::menu;
    menu.name = menu_name;
    menu.visible = false;
    window.controls.push_back(std::move(menu));

    window.controls.push_back(menu_item("打开主程序", open_main_window));
    window.controls.push_back(
        menu_item("关闭悬浮窗", [&layer] { layer.discard_window(ui::floating_window_id); }));
    window.controls.push_back(menu_item("退出程序", [&layer] { layer.end_program(0); }));
    return window;
}

Text FloatingWindow::page_file_path() const {
    // The doubled separator before the file name is how this path has always
    // been written; the file layer reads it as a single one.
    return core::join_texts({files_.program_directory(), "\\Zorvane配置文件\\\\1.ini"});
}

void FloatingWindow::place_at_start() {
    layer_.place_window(ui::floating_window_id, layer_.primary_screen_width() - 150, 100);
}

void FloatingWindow::advance_and_read() {
    // Items 2 to 9 in turn; after 9, and at the very first turn, item 2.
    if (rotation_index_ >= last_code_item || rotation_index_ < first_code_item) {
        rotation_index_ = first_code_item - 1;
    }
    rotation_index_ += 1;

    page_items_ = core::split_at(core::bytes_to_text(files_.read_file(page_file_path())), "|");
    if (!page_items_.empty()) {
        show_holding();
    }
}

void FloatingWindow::show_holding() {
    // A page file not written by the program may stop short of this slot;
    // before the first turn there is no slot at all.
    if (rotation_index_ < 1 || static_cast<std::size_t>(rotation_index_) > page_items_.size()) {
        return;
    }
    const Text& code = page_items_[static_cast<std::size_t>(rotation_index_ - 1)];
    const TextArray fields =
        quotes_.fetch_quote_fields(quotes_.quote_url(quotes::market_prefix(code) + code));
    // Name, change and colour belong together: a reply that lacks the change
    // in percent keeps the previous holding on show rather than half of this one.
    if (fields.size() < 4) {
        return;
    }
    const ui::ControlRef name{ui::floating_window_id, name_label};
    const ui::ControlRef change{ui::floating_window_id, change_label};
    layer_.assign_property(name, ui::Property::label_text, fields[0]);
    layer_.assign_property(change, ui::Property::label_text, fields[3] + "%");
    const double percent = static_cast<double>(core::parse_number(fields[3]));
    const auto colour = static_cast<std::int64_t>(percent < down_threshold ? ui::green : ui::red);
    layer_.assign_property(name, ui::Property::label_colour, colour);
    layer_.assign_property(change, ui::Property::label_colour, colour);
}

} // namespace zorvane::floating
