#include "ui/simulated/simulated_window_layer.h"

#include "core/edit_rules.h"

#include <algorithm>
#include <array>
#include <tuple>
#include <utility>

namespace zorvane::ui {

namespace {

// Thrown by end_program and caught by the outermost dispatch, so that nothing
// of the handler that ended the program runs after the call.
struct ProgramEnd {};

constexpr int placement_normal = 0;
constexpr int placement_minimised = 2;
constexpr int placement_maximised = 3;

// The notification area shows at most this many bytes of a tip.
constexpr std::size_t tip_limit = 62;

// Counts a level of nesting for as long as it lives.
class DepthScope {
public:
    explicit DepthScope(int& depth)
        : depth_(depth) {
        ++depth_;
    }
    ~DepthScope() { --depth_; }
    DepthScope(const DepthScope&) = delete;
    DepthScope& operator=(const DepthScope&) = delete;

private:
    int& depth_;
};

// The buttons of each message box button group (the low four bits of the
// flags), as the answers the box can give; the first is the default button.
struct ButtonGroup {
    std::array<int, 3> answers;
    std::size_t count;
};
constexpr std::array<ButtonGroup, 6> button_groups = {{
    {{answer_ok, 0, 0}, 1}, // OK
    {{answer_ok, 1, 0}, 2}, // OK, Cancel
    {{2, 3, 4}, 3},         // Abort, Retry, Ignore
    {{answer_yes, answer_no, 1}, 3},
    {{answer_yes, answer_no, 0}, 2},
    {{3, 1, 0}, 2}, // Retry, Cancel
}};

const ButtonGroup& buttons_of(int flags) {
    const auto group = static_cast<std::size_t>(flags & 0xF);
    return group < button_groups.size() ? button_groups[group] : button_groups[0];
}

bool offers(const ButtonGroup& group, int answer) {
    const auto end = group.answers.begin() + static_cast<std::ptrdiff_t>(group.count);
    return std::find(group.answers.begin(), end, answer) != end;
}

// The default button is the first unless a "default button N" flag says otherwise.
int default_answer(int flags) {
    const ButtonGroup& group = buttons_of(flags);
    const auto chosen = static_cast<std::size_t>((flags >> 8) & 0xF);
    return group.answers[chosen < group.count ? chosen : 0];
}

// A byte of 0x80 or above leads a two-byte character.
std::size_t char_length(std::string_view text, std::size_t at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    return byte >= 0x80 && at + 1 < text.size() ? 2 : 1;
}

std::size_t last_char_start(std::string_view text) {
    std::size_t last = 0;
    for (std::size_t at = 0; at < text.size(); at += char_length(text, at)) {
        last = at;
    }
    return last;
}

// An icon file starts with a reserved zero word, the type 1 and a count.
bool looks_like_icon_file(const core::ByteBuffer& icon) {
    return icon.size() >= 6 && icon[0] == 0 && icon[1] == 0 && icon[2] == 1 && icon[3] == 0 &&
           (icon[4] != 0 || icon[5] != 0);
}

bool is_text_property(Property property) {
    return property == Property::label_text || property == Property::edit_text;
}

PropertyValue empty_value(Property property) {
    if (is_text_property(property)) {
        return Text{};
    }
    return std::int64_t{0};
}

bool takes_focus(ControlKind kind) {
    return kind == ControlKind::edit_box || kind == ControlKind::button ||
           kind == ControlKind::check_box;
}

// Timers and menus have no place on screen for the mouse to reach.
bool on_screen(ControlKind kind) {
    return kind != ControlKind::timer && kind != ControlKind::menu &&
           kind != ControlKind::menu_item;
}

// A bordered window has a caption bar when it has a title or a system menu;
// its minimise and maximise buttons sit there, beside the system menu.
bool has_caption_bar(const WindowDefinition& definition) {
    return definition.border != Border::none &&
           (!definition.title.empty() || definition.system_menu);
}

bool has_title_button(const WindowDefinition& definition, bool WindowDefinition::*button) {
    return has_caption_bar(definition) && definition.system_menu && definition.*button;
}

std::string describe(const ControlRef& control) {
    return control.control.empty() ? "window " + control.window
                                   : control.control + " of window " + control.window;
}

} // namespace

struct SimulatedWindowLayer::ControlState {
    const ControlDefinition* definition = nullptr;
    Text text;
    Colour colour = black;
    bool ticked = false;
    std::int64_t next_tick = 0; // timers only
};

struct SimulatedWindowLayer::Window {
    WindowId id;
    std::shared_ptr<const WindowDefinition> definition;
    std::uint64_t serial = 0; // tells a window apart from a later one of the same id
    std::int64_t created_at = 0;
    std::vector<ControlState> controls;
    Text title;
    ScreenRect rect;
    ScreenRect normal_rect; // the place to restore to
    bool shown = false;
    int placement = placement_normal;
    bool maximised_before_minimise = false;
    std::optional<TrayIcon> tray;
    bool discard_pending = false;
    bool destroying = false;
};

// A queued message: the window's destruction, or a menu item's selected event.
struct SimulatedWindowLayer::Posted {
    WindowId window;
    std::uint64_t serial = 0;
    std::optional<Text> selected_item;
};

struct SimulatedWindowLayer::DueTimer {
    std::int64_t due = 0;
    std::uint64_t serial = 0;
    std::size_t control = 0;
    WindowId window;
};

SimulatedWindowLayer::SimulatedWindowLayer(int screen_width, int screen_height)
    : screen_width_(screen_width)
    , screen_height_(screen_height) {}

SimulatedWindowLayer::~SimulatedWindowLayer() = default;

// --- WindowLayer ---

void SimulatedWindowLayer::define_window(WindowDefinition definition) {
    WindowId id = definition.id;
    definitions_[std::move(id)] = std::make_shared<const WindowDefinition>(std::move(definition));
}

PropertyValue SimulatedWindowLayer::property_value(const ControlRef& control,
                                                   Property property) const {
    const Window* window = find_window(control.window);
    if (window == nullptr) {
        fault("read of " + describe(control) + ", which is not open");
        return empty_value(property);
    }
    if (control.control.empty()) {
        switch (property) {
        case Property::window_state:
            return std::int64_t{window->placement};
        case Property::window_shown:
            return std::int64_t{window->shown ? 1 : 0};
        case Property::label_text:
            return window->title;
        default:
            fault("read of a control property of " + describe(control));
            return empty_value(property);
        }
    }
    const ControlState* state = find_control(*window, control.control);
    if (state == nullptr) {
        fault("read of " + describe(control) + ", which does not exist");
        return empty_value(property);
    }
    switch (property) {
    case Property::label_text:
    case Property::edit_text:
        return state->text;
    case Property::label_colour:
        return std::int64_t{state->colour};
    case Property::box_ticked:
        return std::int64_t{state->ticked ? 1 : 0};
    default:
        fault("read of a window property of " + describe(control));
        return empty_value(property);
    }
}

void SimulatedWindowLayer::assign_property(const ControlRef& control, Property property,
                                           const PropertyValue& value) {
    Window* window = find_window(control.window);
    if (window == nullptr) {
        fault("write of " + describe(control) + ", which is not open");
        return;
    }
    if (is_text_property(property) != std::holds_alternative<Text>(value)) {
        fault("write of a value of the wrong type to " + describe(control));
        return;
    }
    if (!control.control.empty()) {
        if (ControlState* state = find_control(*window, control.control)) {
            write_control(*state, property, value, control);
        } else {
            fault("write of " + describe(control) + ", which does not exist");
        }
        return;
    }
    switch (property) {
    case Property::window_state:
        write_window_state(*window, std::get<std::int64_t>(value));
        break;
    case Property::window_shown:
        show_window(*window, std::get<std::int64_t>(value) != 0);
        break;
    case Property::label_text:
        window->title = std::get<Text>(value);
        break;
    default:
        fault("write of a control property of " + describe(control));
        break;
    }
}

bool SimulatedWindowLayer::open_window(const WindowId& id) {
    if (ended_) {
        return false;
    }
    if (definitions_.count(id) == 0) {
        fault("open_window of " + id + ", which has no definition");
        return false;
    }
    if (Window* window = find_window(id)) {
        if (window->destroying) {
            return false;
        }
        if (!window->discard_pending) {
            if (window->placement == placement_minimised) {
                restore_window(*window, false);
            } else {
                activate(*window);
            }
            return true;
        }
        destroy_window(id);
        if (ended_ || find_window(id) != nullptr) {
            return false;
        }
    }
    create_window(id);
    return true;
}

bool SimulatedWindowLayer::window_exists(const WindowId& id) const {
    return find_window(id) != nullptr;
}

void SimulatedWindowLayer::discard_window(const WindowId& id) {
    Window* window = find_window(id);
    if (window == nullptr) {
        fault("discard_window of " + id + ", which is not open");
        return;
    }
    if (window->discard_pending || window->destroying) {
        return;
    }
    window->discard_pending = true;
    posted_.push_back(Posted{id, window->serial, std::nullopt});
}

void SimulatedWindowLayer::place_window(const WindowId& id, int left, int top,
                                        std::optional<int> width, std::optional<int> height) {
    Window* window = find_window(id);
    if (window == nullptr) {
        fault("place_window of " + id + ", which is not open");
        return;
    }
    // A minimised or maximised window keeps its place; the new one is where
    // it will be restored to.
    const bool normal = window->placement == placement_normal;
    const ScreenRect& base = normal ? window->rect : window->normal_rect;
    const ScreenRect target{left, top, width.value_or(base.width), height.value_or(base.height)};
    if (!normal) {
        window->normal_rect = target;
    } else if (target != window->rect) {
        set_position(*window, target);
    }
}

int SimulatedWindowLayer::primary_screen_width() const {
    return screen_width_;
}

void SimulatedWindowLayer::show_context_menu(const WindowId& id, const Text& menu, MenuMode mode) {
    Window* window = find_window(id);
    if (window == nullptr) {
        fault("show_context_menu on " + id + ", which is not open");
        return;
    }
    const ControlState* top = find_control(*window, menu);
    if (top == nullptr || top->definition->kind != ControlKind::menu) {
        fault("show_context_menu of " + menu + ", which is no menu of " + id);
        return;
    }
    MenuRecord record{id, menu, mode, {}, {}, 0, 0, std::nullopt, true, now_};
    for (const ControlState& item : window->controls) {
        if (item.definition->kind == ControlKind::menu_item && item.definition->menu == menu) {
            record.items.push_back(item.definition->name);
            record.captions.push_back(item.text);
        }
    }
    if (mode == MenuMode::tray) {
        // A tray menu brings its window to the foreground and opens to the
        // left of the pointer.
        activate(*window);
        record.x = cursor_x_ - 5;
        record.y = cursor_y_ - 5;
    } else {
        record.x = cursor_x_ + 3;
        record.y = cursor_y_ + 3;
    }
    MenuAnswer answer;
    if (menu_answers_.empty()) {
        record.scripted = false;
        fault("unscripted menu " + menu + " of " + id);
    } else {
        answer = menu_answers_.front();
        menu_answers_.pop_front();
    }
    const std::uint64_t serial = window->serial;
    menus_.push_back(record);
    const std::size_t index = menus_.size() - 1;

    run_nested_loop(answer.open_ms);

    if (!answer.item) {
        return;
    }
    const auto& items = menus_[index].items;
    if (std::find(items.begin(), items.end(), *answer.item) == items.end()) {
        fault("chose " + *answer.item + ", which menu " + menu + " does not show");
        return;
    }
    menus_[index].chosen = answer.item;
    posted_.push_back(Posted{id, serial, answer.item});
}

void SimulatedWindowLayer::update_tray_icon(const WindowId& id, const core::ByteBuffer& icon,
                                            const Text& tip) {
    Window* window = find_window(id);
    if (window == nullptr) {
        fault("update_tray_icon of " + id + ", which is not open");
        return;
    }
    if (icon.empty()) {
        window->tray.reset();
        return;
    }
    if (!looks_like_icon_file(icon)) {
        fault("update_tray_icon of " + id + " with bytes that are no icon file");
    }
    window->tray = TrayIcon{icon, tip.substr(0, std::min(tip.size(), tip_limit))};
}

int SimulatedWindowLayer::show_message(const Text& text, int flags, const Text& caption) {
    MessageRecord record{text, flags, caption, default_answer(flags), true, now_};
    MessageAnswer answer{record.answer, 0};
    if (message_answers_.empty()) {
        record.scripted = false;
        fault("unscripted message box: " + text);
    } else {
        answer = message_answers_.front();
        message_answers_.pop_front();
        if (offers(buttons_of(flags), answer.answer)) {
            record.answer = answer.answer;
        } else {
            fault("answer " + std::to_string(answer.answer) +
                  " is not offered by the box: " + text);
        }
    }
    messages_.push_back(record);
    run_nested_loop(answer.open_ms);
    return record.answer;
}

void SimulatedWindowLayer::end_program(int exit_code) {
    if (!ended_) {
        ended_ = true;
        exit_code_ = exit_code;
        posted_.clear();
    }
    throw ProgramEnd{};
}

int SimulatedWindowLayer::run() {
    const std::int64_t limit = now_ + run_limit_;
    settle();
    while (running()) {
        std::optional<std::int64_t> next;
        if (const auto timer = earliest_due_timer()) {
            next = timer->due;
        }
        if (!scheduled_.empty()) {
            next = std::min(next.value_or(scheduled_.begin()->first), scheduled_.begin()->first);
        }
        if (!next || *next > limit) {
            now_ = std::max(now_, limit);
            return run_unfinished;
        }
        pump_until(*next);
    }
    return exit_code_;
}

// --- Screen and clock ---

void SimulatedWindowLayer::set_screen_size(int width, int height) {
    screen_width_ = width;
    screen_height_ = height;
}

int SimulatedWindowLayer::primary_screen_height() const {
    return screen_height_;
}

void SimulatedWindowLayer::advance(std::int64_t ms) {
    if (handler_depth_ > 0) {
        fault("advance inside a handler; elapse lets a handler take time");
        elapse(ms);
        return;
    }
    pump_until(now_ + std::max<std::int64_t>(ms, 0));
}

void SimulatedWindowLayer::settle() {
    if (handler_depth_ == 0) {
        pump_until(now_);
    }
}

void SimulatedWindowLayer::elapse(std::int64_t ms) {
    now_ += std::max<std::int64_t>(ms, 0);
}

void SimulatedWindowLayer::at(std::int64_t time, std::function<void()> action) {
    scheduled_.emplace(time, std::move(action));
}

bool SimulatedWindowLayer::running() const {
    return !ended_ && !windows_.empty();
}

// --- Scripted answers ---

void SimulatedWindowLayer::answer_next_message(int answer, std::int64_t open_ms) {
    message_answers_.push_back(MessageAnswer{answer, open_ms});
}

void SimulatedWindowLayer::choose_next_menu_item(const Text& item, std::int64_t open_ms) {
    menu_answers_.push_back(MenuAnswer{item, open_ms});
}

void SimulatedWindowLayer::dismiss_next_menu(std::int64_t open_ms) {
    menu_answers_.push_back(MenuAnswer{std::nullopt, open_ms});
}

void SimulatedWindowLayer::set_cursor(int x, int y) {
    cursor_x_ = x;
    cursor_y_ = y;
}

// --- User actions ---

bool SimulatedWindowLayer::type_text(const ControlRef& box, std::string_view typed) {
    ControlState* state = focus_edit_box(box);
    if (state != nullptr) {
        insert_text(*state, typed, true);
    }
    return state != nullptr;
}

bool SimulatedWindowLayer::paste_text(const ControlRef& box, std::string_view pasted) {
    ControlState* state = focus_edit_box(box);
    if (state != nullptr) {
        insert_text(*state, pasted, false);
    }
    return state != nullptr;
}

bool SimulatedWindowLayer::erase_text(const ControlRef& box, std::optional<int> count) {
    ControlState* state = focus_edit_box(box);
    if (state == nullptr) {
        return false;
    }
    for (int erased = 0; !state->text.empty() && (!count || erased < *count); ++erased) {
        state->text.resize(last_char_start(state->text));
    }
    return true;
}

bool SimulatedWindowLayer::set_focus(const ControlRef& control) {
    ControlState* state = reachable_control(control);
    if (state == nullptr || !takes_focus(state->definition->kind)) {
        return false;
    }
    if (focus_ && focus_->window == control.window && focus_->control == control.control) {
        return true;
    }
    leave_focus();
    focus_ = control;
    activate(*find_window(control.window));
    return true;
}

void SimulatedWindowLayer::clear_focus() {
    leave_focus();
}

std::optional<ControlRef> SimulatedWindowLayer::focus() const {
    return focus_;
}

bool SimulatedWindowLayer::click(const ControlRef& control) {
    ControlState* state = reachable_control(control);
    if (state == nullptr || (state->definition->kind != ControlKind::button &&
                             state->definition->kind != ControlKind::check_box)) {
        return false;
    }
    set_focus(control);
    if (state->definition->kind == ControlKind::check_box) {
        state->ticked = !state->ticked;
    }
    dispatch(Handler(state->definition->on_clicked));
    after_user_action();
    return true;
}

bool SimulatedWindowLayer::double_click(const ControlRef& target) {
    return pointer_event(target, &ControlDefinition::on_double_clicked,
                         &WindowDefinition::on_double_clicked);
}

bool SimulatedWindowLayer::right_button(const ControlRef& target) {
    return pointer_event(target, &ControlDefinition::on_right_button,
                         &WindowDefinition::on_right_button);
}

bool SimulatedWindowLayer::minimise(const WindowId& id) {
    Window* window = reachable_window(id);
    if (window == nullptr ||
        !has_title_button(*window->definition, &WindowDefinition::minimize_box)) {
        return false;
    }
    minimise_window(*window);
    after_user_action();
    return true;
}

bool SimulatedWindowLayer::maximise(const WindowId& id) {
    Window* window = reachable_window(id);
    if (window == nullptr ||
        !has_title_button(*window->definition, &WindowDefinition::maximize_box) ||
        window->placement == placement_maximised) {
        return false;
    }
    maximise_window(*window);
    after_user_action();
    return true;
}

bool SimulatedWindowLayer::restore(const WindowId& id) {
    Window* window = find_window(id);
    if (!user_can_act() || window == nullptr || window->destroying || !window->shown ||
        window->placement == placement_normal) {
        return false;
    }
    restore_window(*window, false);
    after_user_action();
    return true;
}

bool SimulatedWindowLayer::close(const WindowId& id) {
    Window* window = find_window(id);
    if (!user_can_act() || window == nullptr || window->destroying || !window->shown) {
        return false;
    }
    destroy_window(id);
    after_user_action();
    return true;
}

bool SimulatedWindowLayer::press_escape(const WindowId& id) {
    Window* window = reachable_window(id);
    return window != nullptr && window->definition->esc_closes && close(id);
}

bool SimulatedWindowLayer::drag_window(const WindowId& id, int left, int top) {
    Window* window = reachable_window(id);
    if (window == nullptr || window->placement != placement_normal ||
        !(has_caption_bar(*window->definition) || window->definition->drag_by_body)) {
        return false;
    }
    const ScreenRect target{left, top, window->rect.width, window->rect.height};
    if (target != window->rect) {
        set_position(*window, target);
    }
    after_user_action();
    return true;
}

bool SimulatedWindowLayer::choose_menu_bar_item(const ControlRef& item) {
    Window* window = reachable_window(item.window);
    if (window == nullptr) {
        return false;
    }
    const ControlState* state = find_control(*window, item.control);
    if (state == nullptr || state->definition->kind != ControlKind::menu_item) {
        return false;
    }
    const ControlState* top = find_control(*window, state->definition->menu);
    if (top == nullptr || !top->definition->visible) {
        return false;
    }
    dispatch(Handler(state->definition->on_selected));
    after_user_action();
    return true;
}

bool SimulatedWindowLayer::tray_event(const WindowId& id, int code) {
    Window* window = find_window(id);
    if (!user_can_act() || window == nullptr || window->destroying || !window->tray) {
        return false;
    }
    const auto handler = window->definition->on_tray_event;
    if (handler) {
        dispatch([&handler, code] { handler(code); });
    }
    after_user_action();
    return true;
}

bool SimulatedWindowLayer::tray_click(const WindowId& id) {
    return tray_event(id, 1);
}

// The notification area reports a double-click as release, double-click, release.
bool SimulatedWindowLayer::tray_double_click(const WindowId& id) {
    return tray_event(id, 1) && tray_event(id, 2) && tray_event(id, 1);
}

bool SimulatedWindowLayer::tray_right_click(const WindowId& id) {
    return tray_event(id, 3);
}

// --- Reading the screen ---

std::vector<WindowId> SimulatedWindowLayer::open_windows() const {
    std::vector<const Window*> open;
    for (const auto& [id, window] : windows_) {
        open.push_back(window.get());
    }
    std::sort(open.begin(), open.end(),
              [](const Window* a, const Window* b) { return a->serial < b->serial; });
    std::vector<WindowId> ids;
    for (const Window* window : open) {
        ids.push_back(window->id);
    }
    return ids;
}

std::optional<ScreenRect> SimulatedWindowLayer::window_rect(const WindowId& id) const {
    const Window* window = find_window(id);
    return window ? std::optional<ScreenRect>(window->rect) : std::nullopt;
}

const WindowDefinition* SimulatedWindowLayer::window_definition(const WindowId& id) const {
    const Window* window = find_window(id);
    return window ? window->definition.get() : nullptr;
}

const ControlDefinition* SimulatedWindowLayer::control_definition(const ControlRef& control) const {
    const Window* window = find_window(control.window);
    const ControlState* state = window ? find_control(*window, control.control) : nullptr;
    return state ? state->definition : nullptr;
}

std::optional<TrayIcon> SimulatedWindowLayer::tray_icon(const WindowId& id) const {
    const Window* window = find_window(id);
    return window ? window->tray : std::nullopt;
}

int SimulatedWindowLayer::tray_icon_count() const {
    return static_cast<int>(std::count_if(windows_.begin(), windows_.end(),
                                          [](const auto& entry) { return entry.second->tray; }));
}

std::optional<WindowId> SimulatedWindowLayer::active_window() const {
    return active_;
}

std::vector<WindowId> SimulatedWindowLayer::z_order() const {
    return z_order_;
}

// --- Lookup ---

SimulatedWindowLayer::Window* SimulatedWindowLayer::find_window(const WindowId& id) {
    const auto found = windows_.find(id);
    return found == windows_.end() ? nullptr : found->second.get();
}

const SimulatedWindowLayer::Window* SimulatedWindowLayer::find_window(const WindowId& id) const {
    const auto found = windows_.find(id);
    return found == windows_.end() ? nullptr : found->second.get();
}

SimulatedWindowLayer::Window* SimulatedWindowLayer::find_instance(const WindowId& id,
                                                                  std::uint64_t serial) {
    Window* window = find_window(id);
    return window != nullptr && window->serial == serial ? window : nullptr;
}

SimulatedWindowLayer::ControlState* SimulatedWindowLayer::find_control(Window& window,
                                                                       const Text& name) {
    const auto found =
        std::find_if(window.controls.begin(), window.controls.end(),
                     [&name](const ControlState& state) { return state.definition->name == name; });
    return found == window.controls.end() ? nullptr : &*found;
}

const SimulatedWindowLayer::ControlState*
SimulatedWindowLayer::find_control(const Window& window, const Text& name) const {
    return const_cast<SimulatedWindowLayer*>(this)->find_control(const_cast<Window&>(window), name);
}

SimulatedWindowLayer::ControlState*
SimulatedWindowLayer::reachable_control(const ControlRef& control) {
    Window* window = reachable_window(control.window);
    return window ? find_control(*window, control.control) : nullptr;
}

// --- Dispatch and event loop ---

void SimulatedWindowLayer::dispatch(const Handler& handler) {
    if (!handler || ended_) {
        return;
    }
    const DepthScope depth(handler_depth_);
    try {
        handler();
    } catch (const ProgramEnd&) {
        // Unwind through every nested loop to the outermost handler.
        if (handler_depth_ > 1) {
            throw;
        }
    }
}

void SimulatedWindowLayer::pump_until(std::int64_t deadline) {
    while (!ended_) {
        if (deliver_posted()) {
            continue;
        }
        const std::optional<DueTimer> timer = earliest_due_timer();
        const bool timer_due = timer && timer->due <= deadline;
        // User actions come only from the outer loop, never behind a box.
        const bool outer = handler_depth_ == 0 && modal_depth_ == 0;
        const auto action = outer ? scheduled_.begin() : scheduled_.end();
        const bool action_due = action != scheduled_.end() && action->first <= deadline;
        if (timer_due && (!action_due || timer->due <= action->first)) {
            now_ = std::max(now_, timer->due);
            deliver_tick(*timer);
        } else if (action_due) {
            now_ = std::max(now_, action->first);
            const std::function<void()> run_action = std::move(action->second);
            scheduled_.erase(action);
            run_action();
        } else {
            break;
        }
    }
    now_ = std::max(now_, deadline);
}

bool SimulatedWindowLayer::deliver_posted() {
    if (posted_.empty()) {
        return false;
    }
    const Posted message = std::move(posted_.front());
    posted_.pop_front();
    Window* window = find_instance(message.window, message.serial);
    if (window == nullptr) {
        return true;
    }
    if (!message.selected_item) {
        destroy_window(message.window);
    } else if (const ControlState* item = find_control(*window, *message.selected_item)) {
        dispatch(Handler(item->definition->on_selected));
    }
    return true;
}

std::optional<SimulatedWindowLayer::DueTimer> SimulatedWindowLayer::earliest_due_timer() const {
    std::optional<DueTimer> earliest;
    for (const auto& [id, window] : windows_) {
        for (std::size_t index = 0; index < window->controls.size(); ++index) {
            const ControlState& state = window->controls[index];
            if (state.definition->kind != ControlKind::timer ||
                state.definition->interval_ms <= 0) {
                continue;
            }
            const DueTimer candidate{state.next_tick, window->serial, index, id};
            if (!earliest || std::tie(candidate.due, candidate.serial, candidate.control) <
                                 std::tie(earliest->due, earliest->serial, earliest->control)) {
                earliest = candidate;
            }
        }
    }
    return earliest;
}

// Ticks fall due on the grid of the timer's interval from its window's
// creation. The next one is set before the handler runs, so a tick that falls
// due while the handler runs is delivered once afterwards.
void SimulatedWindowLayer::deliver_tick(const DueTimer& due) {
    Window* window = find_instance(due.window, due.serial);
    ControlState& timer = window->controls[due.control];
    const std::int64_t interval = timer.definition->interval_ms;
    timer.next_tick = window->created_at + ((now_ - window->created_at) / interval + 1) * interval;
    dispatch(Handler(timer.definition->on_periodic));
}

void SimulatedWindowLayer::run_nested_loop(std::int64_t open_ms) {
    const DepthScope modal(modal_depth_);
    pump_until(now_ + std::max<std::int64_t>(open_ms, 0));
}

bool SimulatedWindowLayer::user_can_act() const {
    return !ended_ && handler_depth_ == 0 && modal_depth_ == 0;
}

// A window the user can reach with the mouse and keyboard: open, shown and
// not minimised.
SimulatedWindowLayer::Window* SimulatedWindowLayer::reachable_window(const WindowId& id) {
    Window* window = find_window(id);
    if (!user_can_act() || window == nullptr || window->destroying || !window->shown ||
        window->placement == placement_minimised) {
        return nullptr;
    }
    return window;
}

bool SimulatedWindowLayer::pointer_event(const ControlRef& target,
                                         Handler ControlDefinition::*control_handler,
                                         Handler WindowDefinition::*window_handler) {
    Window* window = reachable_window(target.window);
    if (window == nullptr) {
        return false;
    }
    Handler handler;
    if (target.control.empty()) {
        handler = (*window->definition).*window_handler;
    } else {
        const ControlState* state = find_control(*window, target.control);
        if (state == nullptr || !on_screen(state->definition->kind)) {
            return false;
        }
        handler = (*state->definition).*control_handler;
    }
    dispatch(handler);
    after_user_action();
    return true;
}

// Once the user's message has been handled, the loop goes on with what is
// queued and what fell due meanwhile.
void SimulatedWindowLayer::after_user_action() {
    settle();
}

// --- Window lifetime and placement ---

void SimulatedWindowLayer::create_window(const WindowId& id) {
    const std::shared_ptr<const WindowDefinition> definition = definitions_.at(id);
    auto window = std::make_unique<Window>();
    window->id = id;
    window->definition = definition;
    window->serial = next_serial_++;
    window->created_at = now_;
    window->title = definition->title;
    window->rect = {definition->left, definition->top, definition->width, definition->height};
    if (definition->centred_at_creation) {
        window->rect = centred(window->rect);
    }
    window->normal_rect = window->rect;
    for (const ControlDefinition& control : definition->controls) {
        window->controls.push_back(ControlState{&control, control.text, control.text_colour,
                                                control.ticked, now_ + control.interval_ms});
    }
    const std::uint64_t serial = window->serial;
    windows_[id] = std::move(window);
    z_order_.push_back(id);
    activate(*windows_[id]);

    dispatch(definition->on_created);
    if (find_instance(id, serial) != nullptr) {
        dispatch(definition->on_moved);
    }
    // A window whose discarding was asked for while it was being created is
    // never shown.
    Window* created = find_instance(id, serial);
    if (created != nullptr && !ended_ && definition->visible && !created->discard_pending) {
        show_window(*created, true);
    }
}

void SimulatedWindowLayer::destroy_window(const WindowId& id) {
    Window* window = find_window(id);
    if (window == nullptr || window->destroying) {
        return;
    }
    window->destroying = true;
    window->discard_pending = false;
    if (focus_ && focus_->window == id) {
        leave_focus();
    }
    const std::shared_ptr<const WindowDefinition> definition = window->definition;
    const std::uint64_t serial = window->serial;

    dispatch(definition->on_will_be_destroyed);
    if (ended_ || find_instance(id, serial) == nullptr) {
        return;
    }
    // The tray icon and the timers go with the window.
    windows_.erase(id);
    z_order_.erase(std::remove(z_order_.begin(), z_order_.end(), id), z_order_.end());
    if (focus_ && focus_->window == id) {
        focus_.reset();
    }
    refresh_active();
}

void SimulatedWindowLayer::show_window(Window& window, bool shown) {
    if (!shown) {
        if (focus_ && focus_->window == window.id) {
            leave_focus();
        }
        window.shown = false;
        refresh_active();
        return;
    }
    window.shown = true;
    activate(window);
}

void SimulatedWindowLayer::set_position(Window& window, ScreenRect rect) {
    const bool moved = rect.left != window.rect.left || rect.top != window.rect.top;
    window.rect = rect;
    if (moved) {
        dispatch(Handler(window.definition->on_moved));
    }
}

void SimulatedWindowLayer::minimise_window(Window& window) {
    if (window.placement == placement_minimised) {
        return;
    }
    if (focus_ && focus_->window == window.id) {
        leave_focus();
    }
    if (window.placement == placement_normal) {
        window.normal_rect = window.rect;
    }
    window.maximised_before_minimise = window.placement == placement_maximised;
    window.placement = placement_minimised;
    refresh_active();
    set_position(window, {minimised_left, minimised_top, window.rect.width, window.rect.height});
}

void SimulatedWindowLayer::maximise_window(Window& window) {
    if (window.placement == placement_maximised) {
        return;
    }
    if (window.placement == placement_normal) {
        window.normal_rect = window.rect;
    }
    window.placement = placement_maximised;
    activate(window);
    set_position(window, {0, 0, screen_width_, screen_height_});
}

// Restoring shows the window. A window minimised from maximised goes back to
// maximised unless to_normal asks for its normal place.
void SimulatedWindowLayer::restore_window(Window& window, bool to_normal) {
    window.shown = true;
    if (window.placement == placement_normal) {
        activate(window);
        return;
    }
    const bool to_maximised =
        !to_normal && window.placement == placement_minimised && window.maximised_before_minimise;
    window.placement = to_maximised ? placement_maximised : placement_normal;
    activate(window);
    set_position(window, to_maximised ? ScreenRect{0, 0, screen_width_, screen_height_}
                                      : window.normal_rect);
}

void SimulatedWindowLayer::write_window_state(Window& window, std::int64_t value) {
    const std::int64_t state = std::clamp<std::int64_t>(value, 0, 3);
    if (!window.shown) {
        return;
    }
    const WindowId id = window.id;
    const std::uint64_t serial = window.serial;
    switch (state) {
    case 0:
        restore_window(window, true);
        break;
    case 1:
        restore_window(window, true);
        if (Window* restored = find_instance(id, serial)) {
            const ScreenRect target = centred(restored->rect);
            if (target != restored->rect) {
                set_position(*restored, target);
            }
        }
        break;
    case placement_minimised:
        minimise_window(window);
        break;
    default:
        maximise_window(window);
        break;
    }
}

// Raises the window to the top of its band (always-on-top windows above the
// others) and makes it the active window when it is on screen.
void SimulatedWindowLayer::activate(Window& window) {
    z_order_.erase(std::remove(z_order_.begin(), z_order_.end(), window.id), z_order_.end());
    const auto first_of_band =
        std::find_if(z_order_.begin(), z_order_.end(), [&](const WindowId& id) {
            return window.definition->always_on_top || !windows_.at(id)->definition->always_on_top;
        });
    z_order_.insert(first_of_band, window.id);
    if (window.shown && window.placement != placement_minimised) {
        active_ = window.id;
    }
}

void SimulatedWindowLayer::refresh_active() {
    const auto on_screen_window = [this](const WindowId& id) {
        const Window* window = find_window(id);
        return window != nullptr && window->shown && window->placement != placement_minimised;
    };
    if (active_ && on_screen_window(*active_)) {
        return;
    }
    const auto next = std::find_if(z_order_.begin(), z_order_.end(), on_screen_window);
    active_ = next == z_order_.end() ? std::nullopt : std::optional<WindowId>(*next);
}

ScreenRect SimulatedWindowLayer::centred(const ScreenRect& rect) const {
    return {(screen_width_ - rect.width) / 2, (screen_height_ - rect.height) / 2, rect.width,
            rect.height};
}

// --- Controls ---

// An edit box that loses the focus rewrites itself in its normal form, and
// only when that differs from what it holds.
void SimulatedWindowLayer::leave_focus() {
    if (!focus_) {
        return;
    }
    const ControlRef left = *std::exchange(focus_, std::nullopt);
    Window* window = find_window(left.window);
    ControlState* state = window ? find_control(*window, left.control) : nullptr;
    if (state == nullptr || state->definition->kind != ControlKind::edit_box) {
        return;
    }
    Text normal = core::normal_form(state->definition->input_rule, state->text);
    if (normal != state->text) {
        state->text = std::move(normal);
    }
}

// The edit box the user is about to edit, with the focus moved to it; null
// when the user cannot reach it or it is no edit box.
SimulatedWindowLayer::ControlState* SimulatedWindowLayer::focus_edit_box(const ControlRef& box) {
    ControlState* state = reachable_control(box);
    if (state == nullptr || state->definition->kind != ControlKind::edit_box || !set_focus(box)) {
        return nullptr;
    }
    return state;
}

// Appends at the end of the box, a character at a time; typed characters must
// also pass the box's input rule. A text ends at its first zero byte.
void SimulatedWindowLayer::insert_text(ControlState& box, std::string_view text, bool typed) {
    text = text.substr(0, text.find('\0'));
    const core::InputRule rule = box.definition->input_rule;
    const auto limit = static_cast<std::size_t>(std::max(core::length_limit(rule), 0));
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = char_length(text, at);
        const bool room = limit == 0 || box.text.size() + length <= limit;
        if (room && (!typed || core::accepts_typed(rule, text[at]))) {
            box.text.append(text.substr(at, length));
        }
        at += length;
    }
}

void SimulatedWindowLayer::write_control(ControlState& state, Property property,
                                         const PropertyValue& value, const ControlRef& where) {
    switch (property) {
    case Property::label_text:
    case Property::edit_text:
        state.text = std::get<Text>(value);
        break;
    case Property::label_colour:
        state.colour = static_cast<Colour>(std::get<std::int64_t>(value));
        break;
    case Property::box_ticked:
        state.ticked = std::get<std::int64_t>(value) != 0;
        break;
    default:
        fault("write of a window property of " + describe(where));
        break;
    }
}

void SimulatedWindowLayer::fault(std::string what) const {
    faults_.push_back(std::move(what));
}

} // namespace zorvane::ui
