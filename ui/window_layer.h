#pragma once

// The one way the logic reaches the screen. A layer owns the windows, their
// controls and the dispatching of events; the logic owns the handlers bound in
// the window definitions. Everything runs on one GUI thread: handlers run one
// at a time and are re-entered only through the nested loop of an open message
// box or pop-up menu. A timer tick that falls due while a handler runs is
// delivered once afterwards, never several times.
//
// Implementations: ui/simulated (no screen; drives every logic test) and
// ui/qt (the real screen). Texts crossing this interface are GBK bytes.

#include <cstdint>
#include <optional>
#include <variant>

#include "core/text.h"
#include "ui/window_definition.h"

namespace zorvane::ui {

enum class Property { label_text, edit_text, label_colour, box_ticked, window_state, window_shown };

// A text for label_text and edit_text, an integer for the others.
using PropertyValue = std::variant<Text, std::int64_t>;

// A named control of a window; an empty control name addresses the window itself.
struct ControlRef {
    WindowId window;
    Text control;
};

enum class MenuMode { window, tray };

// show_message flags and results, as the Windows message box has them.
inline constexpr int message_ok = 0;
inline constexpr int message_yes_no = 4;
inline constexpr int answer_ok = 0;
inline constexpr int answer_yes = 5;
inline constexpr int answer_no = 6;

class WindowLayer {
public:
    virtual ~WindowLayer() = default;

    // Makes a window definition known; open_window creates windows from it.
    virtual void define_window(WindowDefinition definition) = 0;

    virtual PropertyValue property_value(const ControlRef& control, Property property) const = 0;
    // window_state is clamped to 0..3 and acts only while the window is shown:
    // 0 normal, 1 restore and centre on the primary screen, 2 minimise, 3 maximise.
    virtual void assign_property(const ControlRef& control, Property property,
                                 const PropertyValue& value) = 0;

    // Creates the window (created, then moved, then shown if defined visible);
    // an open one is restored when minimised, else activated. A pending
    // discard is completed first. False when the window cannot be created.
    virtual bool open_window(const WindowId& window) = 0;
    virtual bool window_exists(const WindowId& window) const = 0;
    // Destruction happens after the current handler has returned.
    virtual void discard_window(const WindowId& window) = 0;
    virtual void place_window(const WindowId& window, int left, int top,
                              std::optional<int> width = std::nullopt,
                              std::optional<int> height = std::nullopt) = 0;
    virtual int primary_screen_width() const = 0;

    // Pops up the items under `menu`; returns when it has closed. The chosen
    // item's selected event follows from the queue.
    virtual void show_context_menu(const WindowId& window, const Text& menu, MenuMode mode) = 0;
    // Adds or replaces the window's one tray icon; an empty icon removes it.
    // The tip is cut to 62 bytes.
    virtual void update_tray_icon(const WindowId& window, const core::ByteBuffer& icon,
                                  const Text& tip) = 0;
    // Modal for the whole program; timers keep firing behind it.
    virtual int show_message(const Text& text, int flags, const Text& caption) = 0;
    // Ends the program at once with exit_code; no will-be-destroyed handler runs.
    [[noreturn]] virtual void end_program(int exit_code) = 0;

    // Runs the event loop while any window exists; gives the program's exit code.
    virtual int run() = 0;
};

// Typed reads and writes for the logic's convenience.
Text text_property(const WindowLayer& layer, const ControlRef& control, Property property);
std::int64_t number_property(const WindowLayer& layer, const ControlRef& control,
                             Property property);

} // namespace zorvane::ui
