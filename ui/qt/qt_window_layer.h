#pragma once

// The real window layer on Qt 6 Widgets. Windows are built from their
// definitions: labels, edit boxes, buttons and check boxes become Qt widgets,
// timers QTimers, menu items the actions of a pop-up QMenu, the tray icon a
// QSystemTrayIcon. Texts cross as GBK bytes and are converted here; no Qt
// header leaks out of this folder, so the program's entry needs none.
//
// Events reach the handlers one at a time. An event that arrives while a
// handler runs (only possible when something inside it spins the event loop)
// is held and delivered after that handler has returned, timer ticks merged
// into one; the nested loops of show_message and show_context_menu are the
// exception, where handlers run behind the box or menu as they should.

#include "ui/window_layer.h"

#include <memory>

namespace zorvane::ui {

class QtWindowLayer final : public WindowLayer {
public:
    // Uses the running QApplication, or creates one (forcing the X11 platform
    // on a Wayland session first, see prefer_x11_on_wayland). While the layer
    // lives, the program's fatal stop shows its error box on screen.
    QtWindowLayer();
    ~QtWindowLayer() override;
    QtWindowLayer(const QtWindowLayer&) = delete;
    QtWindowLayer& operator=(const QtWindowLayer&) = delete;

    void define_window(WindowDefinition definition) override;
    PropertyValue property_value(const ControlRef& control, Property property) const override;
    void assign_property(const ControlRef& control, Property property,
                         const PropertyValue& value) override;
    bool open_window(const WindowId& window) override;
    bool window_exists(const WindowId& window) const override;
    void discard_window(const WindowId& window) override;
    void place_window(const WindowId& window, int left, int top, std::optional<int> width,
                      std::optional<int> height) override;
    int primary_screen_width() const override;
    void show_context_menu(const WindowId& window, const Text& menu, MenuMode mode) override;
    void update_tray_icon(const WindowId& window, const core::ByteBuffer& icon,
                          const Text& tip) override;
    int show_message(const Text& text, int flags, const Text& caption) override;
    [[noreturn]] void end_program(int exit_code) override;
    int run() override;

    // Whether the desktop has a notification area. Without one, hiding a
    // minimised window would leave no way back to it, so a window_shown 0
    // written to a minimised window is refused there: it stays minimised in
    // the taskbar.
    bool tray_available() const;

    // The toolkit object behind a window or control (a QWidget*, QTimer* or
    // QSystemTrayIcon*), for tests that drive the real widgets; null when
    // there is none. A control name of "" gives the window.
    void* native_handle(const ControlRef& control) const;
    void* native_tray_icon(const WindowId& window) const;

    // Lets tests pretend the desktop has (or lacks) a notification area.
    void override_tray_available(std::optional<bool> available);

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

// Qt cannot place windows or keep them on top under Wayland, which the
// floating window needs, so a Wayland session runs the program through
// XWayland: QT_QPA_PLATFORM=xcb unless the user chose a platform. Call before
// the QApplication exists.
void prefer_x11_on_wayland();

// The fatal stop's error box (a core::FatalStopDisplay): caption and message
// are GBK texts; returns when the user has closed the box.
void show_fatal_stop_box(const std::string& caption, const std::string& message);

} // namespace zorvane::ui
