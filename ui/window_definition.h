#pragma once

// Windows are defined ahead of time as data: the window's attributes and an
// ordered list of named controls with their places, initial values and bound
// handlers. Every window layer, simulated or real, builds windows from these
// definitions. Texts are GBK bytes. No toolkit header may enter here.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/edit_rules.h"
#include "core/text.h"

namespace zorvane::ui {

using core::Text;

// 0x00BBGGRR, red in the low byte.
using Colour = std::uint32_t;
inline constexpr Colour red = 255;
inline constexpr Colour green = 0x8000;
inline constexpr Colour black = 0;
// Stands for the system's button-face colour, the default background.
inline constexpr Colour button_face = 0xFF000000;

using WindowId = std::string;

enum class ControlKind { label, edit_box, button, check_box, timer, menu, menu_item };

enum class Border {
    none,
    fixed,
    resizable,
    fixed_tool,
    resizable_tool,
    fixed_sunken,
    resizable_sunken,
};
enum class Shape { rectangle, ellipse };
enum class PictureFit { top_left, tiled, centred, stretched };
enum class HorizontalAlign { left, centre, right };
enum class VerticalAlign { top, centre, bottom };

// A picture shipped with the program, named by asset ("floating_background").
struct Picture {
    std::string asset;
    PictureFit fit = PictureFit::top_left;
};

inline constexpr int default_charset = 1;
inline constexpr int gb2312_charset = 134;

// An empty face with height 0 means the system's default GUI font.
struct Font {
    Text face;
    int height = 0;
    int weight = 400;
    int charset = default_charset;
};

using Handler = std::function<void()>;

struct ControlDefinition {
    ControlKind kind = ControlKind::label;
    Text name;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    // Caption of a label, button, check box or menu item; contents of an edit box.
    Text text;
    Colour text_colour = black;
    Font font;
    HorizontalAlign horizontal_align = HorizontalAlign::left;
    VerticalAlign vertical_align = VerticalAlign::top;
    bool word_wrap = false;
    std::optional<Picture> picture;
    core::InputRule input_rule = core::InputRule::any;
    bool ticked = false;       // check box
    int interval_ms = 0;       // timer; 0 never fires
    Text menu;                 // menu item: the top-level menu it lies under
    bool visible = true;       // a top-level menu that is not visible forms no menu bar

    Handler on_clicked;        // button, check box (after box_ticked changed)
    Handler on_periodic;       // timer
    Handler on_selected;       // menu item, after its pop-up has closed
    Handler on_double_clicked; // label or any control
    Handler on_right_button;   // label or any control
};

struct WindowDefinition {
    WindowId id;
    Text title;
    // Outer rectangle, frame included.
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool centred_at_creation = false;
    Border border = Border::fixed;
    bool system_menu = true;
    bool minimize_box = true;
    bool maximize_box = false;
    bool in_taskbar = true;
    bool always_on_top = false;
    Shape shape = Shape::rectangle;
    bool drag_by_body = false;
    bool esc_closes = false;
    Colour background = button_face;
    std::optional<Picture> background_picture;
    bool visible = true;
    std::vector<ControlDefinition> controls;

    Handler on_created;           // before first shown; one moved event follows at once
    Handler on_moved;             // minimising and restoring move the window too
    Handler on_will_be_destroyed; // controls still exist; the tray icon goes right after
    Handler on_double_clicked;
    Handler on_right_button;
    std::function<void(int code)> on_tray_event; // 1 released, 2 double-click, 3 right button
};

} // namespace zorvane::ui
