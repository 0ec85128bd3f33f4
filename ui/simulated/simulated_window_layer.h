#pragma once

// A complete window layer without a screen. It keeps every window, control,
// timer, tray icon, message box and pop-up menu in memory and runs them on a
// manual clock, so a run is the same every time. It is two things at once:
//
// - the WindowLayer the logic talks to, behaving as the real screen does;
// - a screen a test can steer and read: type, paste, click, close, send tray
//   events, let time pass, answer the next message box or menu, and read back
//   every property, window place, tray icon and box shown.
//
// Time. The clock starts at 0 and moves only when told: advance() lets time
// pass with the program idle, delivering each timer tick and queued event in
// time order; elapse() lets time pass while a handler is busy (a slow request),
// so the ticks that fall due meanwhile are merged and delivered once after the
// handler returns. A timer's ticks fall due every interval from its window's
// creation.
//
// Modal boxes and menus run a nested event loop: while one is open for the
// time its scripted answer says, timers and queued events are delivered behind
// it. A box or menu with no scripted answer is answered with the default button
// (or dismissed) and noted in faults().
//
// end_program() throws a private exception that the layer's dispatch catches at
// the outermost handler, so the rest of the handler does not run (a handler
// must not swallow it with catch (...)); from then on nothing is delivered and
// every user action is refused. The screen stays as it was at the end and can
// still be read.
//
//   SimulatedWindowLayer screen;            // 1920 x 1080, clock at 0
//   screen.define_window(description);
//   screen.open_window(main_window_id);     // created, moved, shown
//   screen.type_text({main_window_id, "股票数量1"}, "007");
//   screen.answer_next_message(answer_ok, 2000);  // open for 2 s, timers run
//   screen.click({main_window_id, "保存"});  // "007" became "7" first
//   screen.advance(3000);                   // three seconds of ticks
//   EXPECT_THAT(screen.faults(), IsEmpty());
//
// User actions return false when the user could not have done them: the
// program has ended, a handler or modal box is running, the window is not open
// or not on screen, or the control is not of a kind that takes the action.
//
// Texts are GBK bytes throughout; nothing is converted here.

#include "ui/window_layer.h"

#include <climits>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvane::ui {

// An outer window rectangle in screen pixels.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// Where a minimised window is parked, as Windows does.
inline constexpr int minimised_left = -32000;
inline constexpr int minimised_top = -32000;

// run()'s result when its time limit passed or nothing more could happen
// while windows were still open.
inline constexpr int run_unfinished = INT_MIN;

struct TrayIcon {
    core::ByteBuffer icon;
    Text tip;
};

struct MessageRecord {
    Text text;
    int flags = 0;
    Text caption;
    int answer = 0;
    bool scripted = false;
    std::int64_t shown_at = 0;
};

struct MenuRecord {
    WindowId window;
    Text menu;
    MenuMode mode = MenuMode::window;
    std::vector<Text> items;    // names of the items shown, in definition order
    std::vector<Text> captions; // their captions
    // The corner the menu is anchored at: its top-left corner in window mode,
    // its top-right corner in tray mode.
    int x = 0;
    int y = 0;
    std::optional<Text> chosen; // the item chosen; none when dismissed
    bool scripted = false;
    std::int64_t shown_at = 0;
};

class SimulatedWindowLayer final : public WindowLayer {
public:
    explicit SimulatedWindowLayer(int screen_width = 1920, int screen_height = 1080);
    ~SimulatedWindowLayer() override;
    SimulatedWindowLayer(const SimulatedWindowLayer&) = delete;
    SimulatedWindowLayer& operator=(const SimulatedWindowLayer&) = delete;

    // --- WindowLayer ---
    // A window already open keeps the definition it was built from; the new
    // one serves its next creation.
    void define_window(WindowDefinition definition) override;
    PropertyValue property_value(const ControlRef& control, Property property) const override;
    void assign_property(const ControlRef& control, Property property,
                         const PropertyValue& value) override;
    bool open_window(const WindowId& window) override;
    bool window_exists(const WindowId& window) const override;
    void discard_window(const WindowId& window) override;
    void place_window(const WindowId& window, int left, int top,
                      std::optional<int> width = std::nullopt,
                      std::optional<int> height = std::nullopt) override;
    int primary_screen_width() const override;
    void show_context_menu(const WindowId& window, const Text& menu, MenuMode mode) override;
    void update_tray_icon(const WindowId& window, const core::ByteBuffer& icon,
                          const Text& tip) override;
    int show_message(const Text& text, int flags, const Text& caption) override;
    [[noreturn]] void end_program(int exit_code) override;
    // Delivers events until no window is left or the program has ended, at
    // most for run_limit of simulated time; gives the exit code, or
    // run_unfinished when windows remain.
    int run() override;

    // --- Screen and clock ---
    void set_screen_size(int width, int height);
    int primary_screen_height() const;
    std::int64_t now() const { return now_; }
    // Time passes with the program idle; due ticks and queued events are
    // delivered in time order. For the outer loop only: inside a handler it is
    // a fault and acts like elapse().
    void advance(std::int64_t ms);
    // Delivers what is queued or already due, without moving the clock.
    void settle();
    // Time passes while the current handler is busy; nothing is delivered.
    // Called outside a handler it only moves the clock.
    void elapse(std::int64_t ms);
    // Schedules a user action (a call of the driving functions below) at a
    // point of simulated time; it runs from the outer event loop, never
    // behind a modal box.
    void at(std::int64_t time, std::function<void()> action);
    // How much simulated time run() lets pass at most (ten minutes unless set).
    void set_run_limit(std::int64_t ms) { run_limit_ = ms; }

    // --- The end of the program ---
    bool ended() const { return ended_; }
    // The code given to end_program; 0 when the program has not ended that way.
    int exit_code() const { return exit_code_; }
    // True while a window exists and the program has not ended.
    bool running() const;

    // --- Scripted answers ---
    // Answers the next message box with `answer` after it has been open for
    // open_ms of simulated time.
    void answer_next_message(int answer, std::int64_t open_ms = 0);
    // Chooses the item named `item` in the next pop-up menu, or dismisses it.
    void choose_next_menu_item(const Text& item, std::int64_t open_ms = 0);
    void dismiss_next_menu(std::int64_t open_ms = 0);
    std::size_t unused_message_answers() const { return message_answers_.size(); }
    std::size_t unused_menu_answers() const { return menu_answers_.size(); }
    const std::vector<MessageRecord>& messages() const { return messages_; }
    const std::vector<MenuRecord>& menus() const { return menus_; }
    void set_cursor(int x, int y);

    // --- User actions ---
    // Typed characters pass the box's input rule and length limit one by one;
    // the box takes the focus first.
    bool type_text(const ControlRef& box, std::string_view typed);
    // Pasted text is not filtered by character, but the length limit holds.
    bool paste_text(const ControlRef& box, std::string_view pasted);
    // Backspace `count` times (every character when count is omitted).
    bool erase_text(const ControlRef& box, std::optional<int> count = std::nullopt);
    // The focus moves to the control; an edit box that loses it takes its
    // normal form.
    bool set_focus(const ControlRef& control);
    // The focus leaves the program (the user clicks elsewhere).
    void clear_focus();
    std::optional<ControlRef> focus() const;
    // A button or check box; the control takes the focus, a check box changes
    // its ticked state, then the clicked handler runs.
    bool click(const ControlRef& control);
    // The window's body when the control name is empty.
    bool double_click(const ControlRef& target);
    bool right_button(const ControlRef& target);
    // The caption bar's buttons, present only where the definition gives the
    // window a caption bar, a system menu and the button. Minimising and
    // restoring move the window.
    bool minimise(const WindowId& window);
    bool maximise(const WindowId& window);
    bool restore(const WindowId& window);
    // The close button, Close in the system menu or Alt+F4: the window is
    // destroyed at once.
    bool close(const WindowId& window);
    // Closes the window when its definition says Esc does.
    bool press_escape(const WindowId& window);
    // Drags the window by its caption bar, or by its body where the
    // definition allows it, to a new place.
    bool drag_window(const WindowId& window, int left, int top);
    // Chooses an item of a visible menu bar.
    bool choose_menu_bar_item(const ControlRef& item);
    // One raw tray event code; the window needs a tray icon.
    bool tray_event(const WindowId& window, int code);
    bool tray_click(const WindowId& window);        // 1
    bool tray_double_click(const WindowId& window); // 1, 2, 1
    bool tray_right_click(const WindowId& window);  // 3

    // --- Reading the screen ---
    std::vector<WindowId> open_windows() const; // in creation order
    std::optional<ScreenRect> window_rect(const WindowId& window) const;
    // The definition an open window was built from; null when not open.
    const WindowDefinition* window_definition(const WindowId& window) const;
    const ControlDefinition* control_definition(const ControlRef& control) const;
    std::optional<TrayIcon> tray_icon(const WindowId& window) const;
    int tray_icon_count() const;
    std::optional<WindowId> active_window() const;
    // Open windows from top to bottom; always-on-top windows come first.
    std::vector<WindowId> z_order() const;
    // What the program did that the screen could not do as asked, or that a
    // test did not script: property access on a window that is not open, an
    // unscripted box or menu, an answer a box does not offer, and the like.
    const std::vector<std::string>& faults() const { return faults_; }

private:
    struct Window;
    struct ControlState;
    struct MessageAnswer {
        int answer = 0;
        std::int64_t open_ms = 0;
    };
    struct MenuAnswer {
        std::optional<Text> item;
        std::int64_t open_ms = 0;
    };
    struct Posted;
    struct DueTimer;

    // Lookup.
    Window* find_window(const WindowId& window);
    const Window* find_window(const WindowId& window) const;
    Window* find_instance(const WindowId& window, std::uint64_t serial);
    ControlState* find_control(Window& window, const Text& name);
    const ControlState* find_control(const Window& window, const Text& name) const;
    ControlState* reachable_control(const ControlRef& control);

    // Dispatch and event loop.
    void dispatch(const Handler& handler);
    void pump_until(std::int64_t deadline);
    bool deliver_posted();
    std::optional<DueTimer> earliest_due_timer() const;
    void deliver_tick(const DueTimer& due);
    void run_nested_loop(std::int64_t open_ms);
    bool user_can_act() const;
    Window* reachable_window(const WindowId& window);
    void after_user_action();
    bool pointer_event(const ControlRef& target, Handler ControlDefinition::*control_handler,
                       Handler WindowDefinition::*window_handler);

    // Window lifetime and placement.
    void create_window(const WindowId& id);
    void destroy_window(const WindowId& id);
    void show_window(Window& window, bool shown);
    void set_position(Window& window, ScreenRect rect);
    void minimise_window(Window& window);
    void maximise_window(Window& window);
    void restore_window(Window& window, bool to_normal);
    void write_window_state(Window& window, std::int64_t value);
    void activate(Window& window);
    void refresh_active();
    ScreenRect centred(const ScreenRect& rect) const;

    // Controls.
    void leave_focus();
    ControlState* focus_edit_box(const ControlRef& box);
    void insert_text(ControlState& box, std::string_view text, bool typed);
    void write_control(ControlState& control, Property property, const PropertyValue& value,
                       const ControlRef& where);
    void fault(std::string what) const;

    int screen_width_;
    int screen_height_;
    std::int64_t now_ = 0;
    std::int64_t run_limit_ = 10 * 60 * 1000;
    int cursor_x_ = 0;
    int cursor_y_ = 0;

    std::map<WindowId, std::shared_ptr<const WindowDefinition>> definitions_;
    std::map<WindowId, std::unique_ptr<Window>> windows_;
    std::uint64_t next_serial_ = 1;
    std::vector<WindowId> z_order_;
    std::optional<WindowId> active_;
    std::optional<ControlRef> focus_;

    std::deque<Posted> posted_;
    std::multimap<std::int64_t, std::function<void()>> scheduled_;

    int handler_depth_ = 0;
    int modal_depth_ = 0;
    bool ended_ = false;
    int exit_code_ = 0;

    std::deque<MessageAnswer> message_answers_;
    std::deque<MenuAnswer> menu_answers_;
    std::vector<MessageRecord> messages_;
    std::vector<MenuRecord> menus_;
    mutable std::vector<std::string> faults_;
};

} // namespace zorvane::ui
