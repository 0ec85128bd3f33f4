#include "app/main_window.h"

#include "ui/window_ids.h"

#include <algorithm>
#include <string>

namespace zorvane::app {

namespace {

using core::InputRule;
using ui::ControlDefinition;
using ui::ControlKind;
using ui::Text;

ControlDefinition control(ControlKind kind, Text name, int left, int top, int width, int height,
                          Text text = {}) {
    ControlDefinition definition;
    definition.kind = kind;
    definition.name = std::move(name);
    definition.left = left;
    definition.top = top;
    definition.width = width;
    definition.height = height;
    definition.text = std::move(text);
    return definition;
}

ControlDefinition edit_box(Text name, int left, int top, int width, int height, InputRule rule,
                           Text text = {}) {
    ControlDefinition definition =
        control(ControlKind::edit_box, std::move(name), left, top, width, height, std::move(text));
    definition.input_rule = rule;
    return definition;
}

Text numbered(std::string_view stem, int number) {
    return core::join_texts({stem, std::to_string(number)});
}

void add_headings(std::vector<ControlDefinition>& controls) {
    struct Heading {
        const char* name;
        int left;
        int width;
        const char* caption;
    };
    static constexpr Heading headings[] = {
        {"标签2", 24, 32, "代码"},    {"标签88", 64, 56, "持股数量"},
        {"标签99", 120, 32, "成本"},  {"标签388", 176, 56, "股票名称"},
        {"标签488", 248, 32, "现价"}, {"标签588", 296, 48, "当前涨跌幅"},
        {"标签788", 360, 32, "收益"},
    };
    for (const Heading& heading : headings) {
        controls.push_back(control(ControlKind::label, heading.name, heading.left, 8, heading.width,
                                   16, heading.caption));
    }
}

void add_slot(std::vector<ControlDefinition>& controls, int slot) {
    const int top = 32 * slot;
    controls.push_back(edit_box(numbered("代码", slot), 16, top, 45, 24, InputRule::stock_code));
    controls.push_back(
        edit_box(numbered("股票数量", slot), 64, top, 40, 24, InputRule::share_count));
    controls.push_back(edit_box(numbered("成本", slot), 112, top, 40, 24, InputRule::cost_price));
    // The name label of slot 2 is narrower than the others.
    const int name_width = slot == 2 ? 48 : 56;
    controls.push_back(
        control(ControlKind::label, numbered("股票", slot), 176, top, name_width, 16, "股票名称"));
    controls.push_back(
        control(ControlKind::label, numbered("现价", slot), 248, top, 35, 16, "现价"));
    controls.push_back(
        control(ControlKind::label, numbered("涨跌", slot), 296, top, 48, 16, "当前涨跌幅"));
    controls.push_back(
        control(ControlKind::label, numbered("收益", slot), 360, top, 72, 16, "收益"));
}

void add_lower_area(std::vector<ControlDefinition>& controls) {
    controls.push_back(control(ControlKind::label, "标签1", 16, 288, 240, 16));
    controls.push_back(control(ControlKind::label, "标签3", 16, 312, 240, 24));
    controls.push_back(control(ControlKind::label, "标签4", 16, 344, 240, 24));
    controls.push_back(control(ControlKind::button, "上一页", 272, 288, 64, 24, "上一页"));
    controls.push_back(control(ControlKind::label, "标签5", 272, 320, 16, 16, "第"));
    controls.push_back(edit_box("编辑框1", 288, 320, 32, 16, InputRule::any, "1"));
    controls.push_back(control(ControlKind::label, "标签6", 320, 320, 16, 16, "页"));
    controls.push_back(control(ControlKind::button, "下一页", 272, 336, 64, 24, "下一页"));
    controls.push_back(control(ControlKind::button, "读取", 344, 288, 80, 24, "读取数据"));
    controls.push_back(control(ControlKind::button, "保存", 344, 320, 80, 24, "保存数据"));
    controls.push_back(
        control(ControlKind::check_box, "启用悬浮窗", 344, 344, 80, 24, "启用悬浮窗"));
}

void add_timers(std::vector<ControlDefinition>& controls) {
    for (int number = 1; number <= 14; ++number) {
        ControlDefinition timer = control(ControlKind::timer, numbered("时钟", number), 0, 0, 0, 0);
        timer.interval_ms = 1000;
        controls.push_back(std::move(timer));
    }
}

void add_tray_menu(std::vector<ControlDefinition>& controls) {
    ControlDefinition menu = control(ControlKind::menu, "托盘", 0, 0, 0, 0, "托盘");
    menu.visible = false;
    controls.push_back(std::move(menu));
    for (const char* item : {"打开", "退出"}) {
        ControlDefinition menu_item = control(ControlKind::menu_item, item, 0, 0, 0, 0, item);
        menu_item.menu = "托盘";
        controls.push_back(std::move(menu_item));
    }
}

} // namespace

ui::WindowDefinition main_window_description() {
    ui::WindowDefinition window;
    window.id = ui::main_window_id;
    window.title = "Zorvane";
    // Stored at 50, 50, but created centred on the primary screen.
    window.left = 50;
    window.top = 50;
    window.width = 435;
    window.height = 417;
    window.centred_at_creation = true;
    window.border = ui::Border::fixed;
    window.system_menu = true;
    window.minimize_box = true;
    window.maximize_box = false;
    window.in_taskbar = true;
    window.always_on_top = false;
    window.esc_closes = true;
    window.visible = true;

    add_headings(window.controls);
    for (int slot = 1; slot <= 8; ++slot) {
        add_slot(window.controls, slot);
    }
    add_lower_area(window.controls);
    add_timers(window.controls);
    add_tray_menu(window.controls);
    return window;
}

ui::ControlDefinition* find_control(ui::WindowDefinition& definition, std::string_view name) {
    const auto found =
        std::find_if(definition.controls.begin(), definition.controls.end(),
                     [name](const ui::ControlDefinition& control) { return control.name == name; });
    return found == definition.controls.end() ? nullptr : &*found;
}

} // namespace zorvane::app
