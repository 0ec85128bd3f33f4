#include "ui/qt/qt_window_layer.h"

#include "core/fatal_stop.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/widgets.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QCursor>
#include <QElapsedTimer>
#include <QFont>
#include <QIcon>
#include <QImageReader>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <set>

namespace zorvane::ui {

namespace {

using qt::from_qt;
using qt::to_qt;

// The tray's tip holds at most this many bytes of the program's text.
constexpr std::size_t tip_limit = 62;

QPixmap asset_picture(const std::string& asset) {
    // Pictures are compiled into the program; a missing one draws nothing.
    const QString name = QString::fromStdString(asset);
    QPixmap picture(QStringLiteral(":/assets/") + name + QStringLiteral(".jpg"));
    if (picture.isNull()) {
        picture.load(QStringLiteral(":/assets/") + name + QStringLiteral(".png"));
    }
    return picture;
}

// The windows were laid out for a 12-pixel default GUI font with narrow
// digits: six of them must fit a code box 45 pixels wide.
QFont default_gui_font() {
    QFont font = QApplication::font();
    font.setFamilies(
        {QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Micro Hei"), font.family()});
    font.setPixelSize(12);
    return font;
}

QFont make_font(const Font& font) {
    QFont made = default_gui_font();
    if (font.face.empty() && font.height == 0) {
        return made;
    }
    // Faces the system may lack are followed by ones that have the same
    // style and the CJK glyphs, so "黑体" still looks like a black face.
    QStringList families;
    families << (font.face.empty() ? QApplication::font().family() : to_qt(font.face));
    if (!font.face.empty() || font.charset == gb2312_charset) {
        families << QStringLiteral("SimHei") << QStringLiteral("WenQuanYi Micro Hei")
                 << QStringLiteral("Noto Sans CJK SC") << QStringLiteral("Droid Sans Fallback");
    }
    made.setFamilies(families);
    if (font.height > 0) {
        made.setPixelSize(font.height);
    }
    made.setWeight(static_cast<QFont::Weight>(std::clamp(font.weight, 1, 1000)));
    return made;
}

QIcon icon_from_bytes(const core::ByteBuffer& bytes) {
    // Every image of the icon file goes in, so the tray picks the size it needs.
    QByteArray data(reinterpret_cast<const char*>(bytes.data()),
                    static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    QIcon icon;
    for (int i = 0; i < std::max(1, reader.imageCount()); ++i) {
        if (!reader.jumpToImage(i) && i > 0) {
            break;
        }
        const QImage image = reader.read();
        if (!image.isNull()) {
            icon.addPixmap(QPixmap::fromImage(image));
        }
    }
    return icon;
}

int answer_of(int button) {
    switch (button) {
    case QMessageBox::Cancel:
        return 1;
    case QMessageBox::Abort:
        return 2;
    case QMessageBox::Retry:
        return 3;
    case QMessageBox::Ignore:
        return 4;
    case QMessageBox::Yes:
        return answer_yes;
    case QMessageBox::No:
        return answer_no;
    default:
        return answer_ok;
    }
}

QMessageBox::StandardButtons buttons_of(int flags) {
    switch (flags & 0xF) {
    case 1:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case 2:
        return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case 3:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case message_yes_no:
        return QMessageBox::Yes | QMessageBox::No;
    case 5:
        return QMessageBox::Retry | QMessageBox::Cancel;
    default:
        return QMessageBox::Ok;
    }
}

QMessageBox::Icon icon_of(int flags) {
    switch (flags & 0xF0) {
    case 0x10:
        return QMessageBox::Critical;
    case 0x20:
        return QMessageBox::Question;
    case 0x30:
        return QMessageBox::Warning;
    case 0x40:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

Qt::WindowFlags flags_of(const WindowDefinition& definition) {
    Qt::WindowFlags flags = Qt::Window;
    const bool tool_frame =
        definition.border == Border::fixed_tool || definition.border == Border::resizable_tool;
    // A window kept off the taskbar is a tool window, as it is on Windows.
    if (tool_frame || !definition.in_taskbar) {
        flags = Qt::Tool;
    }
    if (definition.border == Border::none) {
        flags |= Qt::FramelessWindowHint;
    } else {
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (definition.system_menu) {
            flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
            if (definition.minimize_box) {
                flags |= Qt::WindowMinimizeButtonHint;
            }
            if (definition.maximize_box) {
                flags |= Qt::WindowMaximizeButtonHint;
            }
        }
    }
    if (definition.always_on_top) {
        flags |= Qt::WindowStaysOnTopHint;
    }
    return flags;
}

bool fixed_size(Border border) {
    return border != Border::resizable && border != Border::resizable_tool &&
           border != Border::resizable_sunken;
}

} // namespace

class QtWindowLayer::Impl {
public:
    struct OpenControl {
        const ControlDefinition* definition = nullptr;
        QWidget* widget = nullptr; // owned by the window
        QTimer* timer = nullptr;   // owned by the window
        Text label_text;
        Colour colour = black;
    };

    struct OpenWindow {
        WindowDefinition definition;
        Text title;
        std::uint64_t serial = 0;
        qt::LayerWindow* widget = nullptr;
        std::map<Text, OpenControl> controls;
        std::unique_ptr<QSystemTrayIcon> tray;
        QSize outer;
        QMargins applied_frame;
        QPoint reported_place;
        bool reported_minimised = false;
        QElapsedTimer last_trigger;
        // Where the window was put; held until the window manager agrees.
        std::optional<QPoint> settle_place;
        int settle_tries = 0;
        bool discard_pending = false;
        bool destroying = false;
    };

    std::unique_ptr<QApplication> own_app;
    QObject anchor; // queued calls die with the layer
    std::map<WindowId, WindowDefinition> definitions;
    std::map<WindowId, std::unique_ptr<OpenWindow>> windows;
    std::uint64_t next_serial = 1;
    std::optional<bool> tray_override;
    bool running = false;
    // The frame a window manager put around the last bordered window; the
    // first guess for the next one.
    QMargins known_frame;

    // Handler depth, and the depth at which each nested loop of a message box
    // or menu was entered. Events run only at the innermost loop's depth.
    int depth = 0;
    std::vector<int> loop_depths{0};
    struct Held {
        const void* merge_key;
        std::function<void()> call;
    };
    std::deque<Held> held;
    bool release_posted = false;

    OpenWindow* find(const WindowId& id) {
        const auto it = windows.find(id);
        return it == windows.end() ? nullptr : it->second.get();
    }
    const OpenWindow* find(const WindowId& id) const {
        const auto it = windows.find(id);
        return it == windows.end() ? nullptr : it->second.get();
    }
    OpenWindow* find(const WindowId& id, std::uint64_t serial) {
        OpenWindow* window = find(id);
        return window && window->serial == serial ? window : nullptr;
    }
    const OpenControl* control(const ControlRef& ref) const {
        const OpenWindow* window = find(ref.window);
        if (!window) {
            return nullptr;
        }
        const auto it = window->controls.find(ref.control);
        return it == window->controls.end() ? nullptr : &it->second;
    }
    OpenControl* control(const ControlRef& ref) {
        return const_cast<OpenControl*>(std::as_const(*this).control(ref));
    }

    void post(std::function<void()> call) {
        QMetaObject::invokeMethod(&anchor, std::move(call), Qt::QueuedConnection);
    }

    // Runs call as an event handler: at once when no handler is running (or
    // only the one that opened the innermost message box or menu); otherwise
    // held until that handler returns. Held calls with the same merge key
    // collapse into one, which is how ticks missed meanwhile merge.
    void deliver(const void* merge_key, std::function<void()> call) {
        if (depth != loop_depths.back()) {
            const bool merged =
                merge_key && std::any_of(held.begin(), held.end(),
                                         [&](const Held& h) { return h.merge_key == merge_key; });
            if (!merged) {
                held.push_back({merge_key, std::move(call)});
            }
            return;
        }
        ++depth;
        struct Leave {
            int& depth;
            ~Leave() { --depth; }
        } leave{depth};
        call();
        if (!held.empty()) {
            release_held();
        }
    }

    void release_held() {
        if (release_posted) {
            return;
        }
        release_posted = true;
        post([this] {
            release_posted = false;
            std::deque<Held> now;
            now.swap(held);
            for (Held& h : now) {
                deliver(h.merge_key, std::move(h.call));
            }
        });
    }

    // Nested loops of message boxes and menus run handlers behind them.
    struct NestedLoop {
        Impl& impl;
        explicit NestedLoop(Impl& i)
            : impl(i) {
            impl.loop_depths.push_back(impl.depth);
        }
        ~NestedLoop() {
            impl.loop_depths.pop_back();
            if (!impl.held.empty()) {
                impl.release_held();
            }
        }
        NestedLoop(const NestedLoop&) = delete;
        NestedLoop& operator=(const NestedLoop&) = delete;
    };

    // Handler lookups at the moment an event is delivered: the window may
    // have gone, or been created anew, since the event arose.
    void fire_window(const WindowId& id, std::uint64_t serial, Handler WindowDefinition::*slot,
                     const void* merge_key = nullptr) {
        deliver(merge_key, [this, id, serial, slot] {
            if (OpenWindow* window = find(id, serial)) {
                const Handler handler = window->definition.*slot;
                if (handler) {
                    handler();
                }
            }
        });
    }

    void fire_control(const WindowId& id, std::uint64_t serial, const Text& name,
                      Handler ControlDefinition::*slot, const void* merge_key = nullptr) {
        deliver(merge_key, [this, id, serial, name, slot] {
            OpenWindow* window = find(id, serial);
            if (!window) {
                return;
            }
            const auto it = window->controls.find(name);
            if (it == window->controls.end()) {
                return;
            }
            const Handler handler = it->second.definition->*slot;
            if (handler) {
                handler();
            }
        });
    }

    bool tray_available() const {
        return tray_override.value_or(QSystemTrayIcon::isSystemTrayAvailable());
    }

    QMargins frame_of(OpenWindow& window) {
        if (window.definition.border == Border::none) {
            return {};
        }
        if (window.widget->isVisible()) {
            const QRect outer = window.widget->frameGeometry();
            const QRect inner = window.widget->geometry();
            const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                                 outer.right() - inner.right(), outer.bottom() - inner.bottom());
            // Right after a window is shown its frame may not be known yet.
            if (!frame.isNull()) {
                known_frame = frame;
                return frame;
            }
        }
        return known_frame;
    }

    // Qt sizes the client area; the program gives outer sizes.
    void fit_client(OpenWindow& window) {
        const QMargins frame = frame_of(window);
        window.applied_frame = frame;
        const QSize client(std::max(1, window.outer.width() - frame.left() - frame.right()),
                           std::max(1, window.outer.height() - frame.top() - frame.bottom()));
        if (fixed_size(window.definition.border)) {
            window.widget->setFixedSize(client);
        } else {
            window.widget->resize(client);
        }
    }

    QSize outer_size(OpenWindow& window) {
        const QMargins frame = frame_of(window);
        return window.widget->size().grownBy(frame);
    }

    void centre(OpenWindow& window) {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const QSize outer = outer_size(window);
        const QPoint target(screen.x() + (screen.width() - outer.width()) / 2,
                            screen.y() + (screen.height() - outer.height()) / 2);
        window.widget->move(target);
        // A window shown again is placed anew by the window manager, which Qt
        // learns only later; so the request goes out even when Qt believes
        // the window is there already, and again while the window manager
        // puts it elsewhere.
        window.settle_place = target;
        window.settle_tries = 0;
        if (QWindow* handle = window.widget->windowHandle(); handle && window.widget->isVisible()) {
            handle->setFramePosition(target);
        }
    }

    void settle(OpenWindow& window) {
        if (!window.settle_place || !window.widget->isVisible() || window.widget->isMinimized()) {
            return;
        }
        QWindow* handle = window.widget->windowHandle();
        if (!handle || window.widget->pos() == *window.settle_place || ++window.settle_tries > 5) {
            window.settle_place.reset();
            return;
        }
        handle->setFramePosition(*window.settle_place);
    }

    void widget_event(const WindowId& id, std::uint64_t serial, qt::WidgetEvent event) {
        OpenWindow* window = find(id, serial);
        if (!window || window->destroying) {
            return;
        }
        switch (event) {
        case qt::WidgetEvent::double_clicked:
            fire_window(id, serial, &WindowDefinition::on_double_clicked);
            break;
        case qt::WidgetEvent::right_button:
            fire_window(id, serial, &WindowDefinition::on_right_button);
            break;
        case qt::WidgetEvent::close_requested:
            // The close button (or Esc) destroys the window, as on Windows;
            // from the queue, so no handler runs inside Qt's close event.
            post([this, id, serial] {
                deliver(nullptr, [this, id, serial] {
                    if (find(id, serial)) {
                        destroy(id);
                    }
                });
            });
            break;
        case qt::WidgetEvent::moved:
        case qt::WidgetEvent::state_changed:
            if (window->widget->isVisible() && frame_of(*window) != window->applied_frame) {
                fit_client(*window);
            }
            settle(*window);
            // Minimising and restoring count as moves; the handler runs after
            // Qt has finished with the change.
            post([this, id, serial] { report_move(id, serial); });
            break;
        }
    }

    void tray_activated(const WindowId& id, std::uint64_t serial,
                        QSystemTrayIcon::ActivationReason reason) {
        OpenWindow* window = find(id, serial);
        if (!window) {
            return;
        }
        std::vector<int> codes;
        switch (reason) {
        case QSystemTrayIcon::Trigger:
            // Notification areas spoken to over D-Bus report a double-click
            // as two activations; it still arrives as 1, 2, 1.
            if (window->last_trigger.isValid() &&
                window->last_trigger.elapsed() <= QApplication::doubleClickInterval()) {
                window->last_trigger.invalidate();
                codes = {2, 1};
            } else {
                window->last_trigger.start();
                codes = {1};
            }
            break;
        case QSystemTrayIcon::DoubleClick:
            window->last_trigger.invalidate();
            codes = {2};
            break;
        case QSystemTrayIcon::Context:
            codes = {3};
            break;
        default:
            return;
        }
        // From the queue: the tray may report inside its own mouse handling,
        // and the handler may open a menu.
        for (const int code : codes) {
            post([this, id, serial, code] {
                deliver(nullptr, [this, id, serial, code] {
                    OpenWindow* target = find(id, serial);
                    if (!target) {
                        return;
                    }
                    const auto handler = target->definition.on_tray_event;
                    if (handler) {
                        handler(code);
                    }
                });
            });
        }
    }

    void report_move(const WindowId& id, std::uint64_t serial) {
        OpenWindow* window = find(id, serial);
        if (!window || window->destroying) {
            return;
        }
        const QPoint place = window->widget->pos();
        const bool minimised = window->widget->isMinimized();
        if (place == window->reported_place && minimised == window->reported_minimised) {
            return;
        }
        window->reported_place = place;
        window->reported_minimised = minimised;
        fire_window(id, serial, &WindowDefinition::on_moved);
    }

    void build_controls(OpenWindow& window) {
        const WindowId id = window.definition.id;
        const std::uint64_t serial = window.serial;
        for (const ControlDefinition& definition : window.definition.controls) {
            OpenControl& open = window.controls[definition.name];
            open.definition = &definition;
            open.label_text = definition.text;
            open.colour = definition.text_colour;
            const QRect place(definition.left, definition.top, definition.width, definition.height);
            const Text name = definition.name;
            switch (definition.kind) {
            case ControlKind::label: {
                auto* label = new qt::LayerLabel(
                    window.widget,
                    [this, id, serial, name](qt::WidgetEvent event) {
                        fire_control(id, serial, name,
                                     event == qt::WidgetEvent::double_clicked
                                         ? &ControlDefinition::on_double_clicked
                                         : &ControlDefinition::on_right_button);
                    },
                    static_cast<bool>(definition.on_double_clicked),
                    static_cast<bool>(definition.on_right_button));
                label->setGeometry(place);
                label->setText(to_qt(definition.text));
                label->setFont(make_font(definition.font));
                label->setWordWrap(definition.word_wrap);
                Qt::Alignment align =
                    definition.horizontal_align == HorizontalAlign::centre  ? Qt::AlignHCenter
                    : definition.horizontal_align == HorizontalAlign::right ? Qt::AlignRight
                                                                            : Qt::AlignLeft;
                align |= definition.vertical_align == VerticalAlign::centre   ? Qt::AlignVCenter
                         : definition.vertical_align == VerticalAlign::bottom ? Qt::AlignBottom
                                                                              : Qt::AlignTop;
                label->setAlignment(align);
                if (definition.picture) {
                    label->set_picture(asset_picture(definition.picture->asset),
                                       definition.picture->fit);
                }
                open.widget = label;
                paint_colour(open);
                break;
            }
            case ControlKind::edit_box: {
                auto* edit = new qt::LayerEdit(window.widget, definition.input_rule);
                edit->setGeometry(place);
                edit->setText(to_qt(definition.text));
                open.widget = edit;
                break;
            }
            case ControlKind::button: {
                auto* button = new QPushButton(to_qt(definition.text), window.widget);
                button->setGeometry(place);
                button->setAutoDefault(false);
                QObject::connect(button, &QPushButton::clicked, &anchor, [this, id, serial, name] {
                    fire_control(id, serial, name, &ControlDefinition::on_clicked);
                });
                open.widget = button;
                break;
            }
            case ControlKind::check_box: {
                auto* box = new QCheckBox(to_qt(definition.text), window.widget);
                box->setGeometry(place);
                box->setChecked(definition.ticked);
                QObject::connect(box, &QCheckBox::clicked, &anchor, [this, id, serial, name] {
                    fire_control(id, serial, name, &ControlDefinition::on_clicked);
                });
                open.widget = box;
                break;
            }
            case ControlKind::timer:
                // A timer without a handler would only wake the program up.
                if (definition.interval_ms > 0 && definition.on_periodic) {
                    auto* timer = new QTimer(window.widget);
                    timer->setInterval(definition.interval_ms);
                    QObject::connect(
                        timer, &QTimer::timeout, &anchor, [this, id, serial, name, timer] {
                            fire_control(id, serial, name, &ControlDefinition::on_periodic, timer);
                        });
                    timer->start();
                    open.timer = timer;
                }
                break;
            case ControlKind::menu:
            case ControlKind::menu_item:
                break;
            }
        }
    }

    void paint_colour(OpenControl& open) {
        if (!open.widget) {
            return;
        }
        QPalette colours = open.widget->palette();
        colours.setColor(QPalette::WindowText, qt::to_qcolor(open.colour));
        open.widget->setPalette(colours);
    }

    bool create(const WindowId& id) {
        const auto found = definitions.find(id);
        if (found == definitions.end()) {
            return false;
        }
        auto window = std::make_unique<OpenWindow>();
        window->definition = found->second;
        window->serial = next_serial++;
        const std::uint64_t serial = window->serial;
        const WindowDefinition& definition = window->definition;
        window->widget = new qt::LayerWindow(
            [this, id, serial](qt::WidgetEvent event) { widget_event(id, serial, event); },
            definition.drag_by_body, definition.shape == Shape::ellipse);
        window->widget->setWindowFlags(flags_of(definition));
        window->widget->setFont(default_gui_font());
        window->widget->setWindowTitle(to_qt(definition.title));
        window->title = definition.title;
        if (definition.background != button_face) {
            QPalette colours = window->widget->palette();
            colours.setColor(QPalette::Window, qt::to_qcolor(definition.background));
            window->widget->setPalette(colours);
            window->widget->setAutoFillBackground(true);
        }
        if (definition.background_picture) {
            window->widget->set_background(asset_picture(definition.background_picture->asset),
                                           definition.background_picture->fit);
        }
        if (definition.esc_closes) {
            auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window->widget);
            QObject::connect(escape, &QShortcut::activated, window->widget, &QWidget::close);
        }
        window->outer = QSize(definition.width, definition.height);
        OpenWindow& open = *window;
        windows[id] = std::move(window);
        build_controls(open);
        fit_client(open);
        if (definition.centred_at_creation) {
            centre(open);
        } else {
            open.widget->move(definition.left, definition.top);
        }

        if (const Handler created = open.definition.on_created) {
            created();
        }
        OpenWindow* still = find(id, serial);
        if (!still) {
            return true;
        }
        still->reported_place = still->widget->pos();
        still->reported_minimised = still->widget->isMinimized();
        if (const Handler moved = still->definition.on_moved) {
            moved();
        }
        still = find(id, serial);
        if (still && still->definition.visible && !still->discard_pending) {
            still->widget->show();
        }
        return true;
    }

    void destroy(const WindowId& id) {
        OpenWindow* window = find(id);
        if (!window || window->destroying) {
            return;
        }
        window->destroying = true;
        const std::uint64_t serial = window->serial;
        if (const Handler closing = window->definition.on_will_be_destroyed) {
            closing();
        }
        window = find(id, serial);
        if (!window) {
            return;
        }
        window->tray.reset();
        for (auto& [name, open] : window->controls) {
            if (open.timer) {
                open.timer->stop();
            }
        }
        window->widget->hide();
        window->widget->deleteLater();
        windows.erase(id);
        if (windows.empty() && running) {
            QCoreApplication::exit(0);
        }
    }
};

void prefer_x11_on_wayland() {
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
}

QtWindowLayer::QtWindowLayer()
    : impl_(std::make_unique<Impl>()) {
    if (!QCoreApplication::instance()) {
        prefer_x11_on_wayland();
        static int argc = 1;
        static char name[] = "zorvane";
        static char* argv[] = {name, nullptr};
        impl_->own_app = std::make_unique<QApplication>(argc, argv);
    }
    // The layer ends the loop itself when the last of its windows is gone.
    QApplication::setQuitOnLastWindowClosed(false);
    if (QApplication::windowIcon().isNull()) {
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/assets/zorvane.ico")));
    }
    core::set_fatal_stop_display(&show_fatal_stop_box);
}

QtWindowLayer::~QtWindowLayer() {
    core::set_fatal_stop_display(nullptr);
    for (auto& [id, window] : impl_->windows) {
        window->tray.reset();
        delete window->widget;
    }
    impl_->windows.clear();
}

void QtWindowLayer::define_window(WindowDefinition definition) {
    const WindowId id = definition.id;
    impl_->definitions[id] = std::move(definition);
}

PropertyValue QtWindowLayer::property_value(const ControlRef& ref, Property property) const {
    if (ref.control.empty()) {
        const Impl::OpenWindow* window = impl_->find(ref.window);
        if (!window) {
            return std::int64_t{0};
        }
        if (property == Property::window_state) {
            if (window->widget->isMinimized()) {
                return std::int64_t{2};
            }
            return std::int64_t{window->widget->isMaximized() ? 3 : 0};
        }
        if (property == Property::window_shown) {
            return std::int64_t{window->widget->isVisible() ? 1 : 0};
        }
        if (property == Property::label_text) {
            return window->title;
        }
        return std::int64_t{0};
    }
    const Impl::OpenControl* open = impl_->control(ref);
    switch (property) {
    case Property::label_text:
        return open ? open->label_text : Text{};
    case Property::edit_text:
        if (const auto* edit = open ? dynamic_cast<const QLineEdit*>(open->widget) : nullptr) {
            return from_qt(edit->text());
        }
        return Text{};
    case Property::label_colour:
        return std::int64_t{open ? open->colour : 0};
    case Property::box_ticked:
        if (const auto* box = open ? dynamic_cast<const QCheckBox*>(open->widget) : nullptr) {
            return std::int64_t{box->isChecked() ? 1 : 0};
        }
        return std::int64_t{0};
    case Property::window_state:
    case Property::window_shown:
        return std::int64_t{0};
    }
    return std::int64_t{0};
}

void QtWindowLayer::assign_property(const ControlRef& ref, Property property,
                                    const PropertyValue& value) {
    const Text* text = std::get_if<Text>(&value);
    const std::int64_t* number = std::get_if<std::int64_t>(&value);
    if (ref.control.empty()) {
        Impl::OpenWindow* window = impl_->find(ref.window);
        if (window && text && property == Property::label_text) {
            // A window's caption is its title.
            window->title = *text;
            window->widget->setWindowTitle(to_qt(*text));
        }
        if (!window || !number) {
            return;
        }
        QWidget* widget = window->widget;
        if (property == Property::window_shown) {
            if (*number == 0) {
                // Hidden while minimised with no tray to bring it back, the
                // window would be lost: it stays minimised in the taskbar.
                if (widget->isMinimized() && !impl_->tray_available()) {
                    return;
                }
                widget->hide();
            } else {
                widget->show();
            }
        } else if (property == Property::window_state) {
            if (!widget->isVisible()) {
                return;
            }
            switch (std::clamp<std::int64_t>(*number, 0, 3)) {
            case 0:
                widget->showNormal();
                break;
            case 1:
                widget->showNormal();
                impl_->centre(*window);
                widget->raise();
                widget->activateWindow();
                break;
            case 2:
                widget->showMinimized();
                break;
            default:
                widget->showMaximized();
                break;
            }
        }
        return;
    }
    Impl::OpenControl* open = impl_->control(ref);
    if (!open) {
        return;
    }
    switch (property) {
    case Property::label_text:
        if (auto* label = dynamic_cast<QLabel*>(open->widget); label && text) {
            open->label_text = *text;
            label->setText(to_qt(*text));
        }
        break;
    case Property::edit_text:
        if (auto* edit = dynamic_cast<QLineEdit*>(open->widget); edit && text) {
            edit->setText(to_qt(*text));
        }
        break;
    case Property::label_colour:
        if (number) {
            open->colour = static_cast<Colour>(*number);
            impl_->paint_colour(*open);
        }
        break;
    case Property::box_ticked:
        if (auto* box = dynamic_cast<QCheckBox*>(open->widget); box && number) {
            box->setChecked(*number != 0);
        }
        break;
    case Property::window_state:
    case Property::window_shown:
        break;
    }
}

bool QtWindowLayer::open_window(const WindowId& id) {
    Impl::OpenWindow* window = impl_->find(id);
    if (window && window->discard_pending) {
        impl_->destroy(id);
        window = impl_->find(id);
    }
    if (!window) {
        return impl_->create(id);
    }
    QWidget* widget = window->widget;
    if (widget->isMinimized()) {
        // Restoring also shows a window hidden in the tray.
        widget->setWindowState(widget->windowState() & ~Qt::WindowMinimized);
        widget->show();
    }
    widget->raise();
    widget->activateWindow();
    return true;
}

bool QtWindowLayer::window_exists(const WindowId& id) const {
    return impl_->find(id) != nullptr;
}

void QtWindowLayer::discard_window(const WindowId& id) {
    Impl::OpenWindow* window = impl_->find(id);
    if (!window || window->discard_pending) {
        return;
    }
    window->discard_pending = true;
    const std::uint64_t serial = window->serial;
    impl_->post([this, id, serial] {
        if (impl_->find(id, serial)) {
            impl_->destroy(id);
        }
    });
}

void QtWindowLayer::place_window(const WindowId& id, int left, int top, std::optional<int> width,
                                 std::optional<int> height) {
    Impl::OpenWindow* window = impl_->find(id);
    if (!window) {
        return;
    }
    const QSize outer = impl_->outer_size(*window);
    const QSize wanted(width.value_or(outer.width()), height.value_or(outer.height()));
    if (window->widget->pos() == QPoint(left, top) && wanted == outer) {
        return;
    }
    if (wanted != outer) {
        window->outer = wanted;
        impl_->fit_client(*window);
    }
    window->widget->move(left, top);
}

int QtWindowLayer::primary_screen_width() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().width() : 0;
}

void QtWindowLayer::show_context_menu(const WindowId& id, const Text& menu_name, MenuMode mode) {
    Impl::OpenWindow* window = impl_->find(id);
    if (!window) {
        return;
    }
    QMenu menu;
    std::map<QAction*, Text> items;
    for (const ControlDefinition& definition : window->definition.controls) {
        if (definition.kind == ControlKind::menu_item && definition.menu == menu_name) {
            items[menu.addAction(to_qt(definition.text))] = definition.name;
        }
    }
    if (items.empty()) {
        return;
    }
    const QPoint cursor = QCursor::pos();
    QPoint place = cursor + QPoint(3, 3);
    if (mode == MenuMode::tray) {
        if (window->widget->isVisible()) {
            window->widget->raise();
            window->widget->activateWindow();
        }
        place = QPoint(cursor.x() - 5 - menu.sizeHint().width(), cursor.y() - 5);
    }
    const std::uint64_t serial = window->serial;
    QAction* chosen = nullptr;
    {
        Impl::NestedLoop loop(*impl_);
        chosen = menu.exec(place);
    }
    if (chosen) {
        // The item's handler runs from the queue, after the menu has gone.
        const Text name = items[chosen];
        impl_->post([this, id, serial, name] {
            impl_->fire_control(id, serial, name, &ControlDefinition::on_selected);
        });
    }
}

void QtWindowLayer::update_tray_icon(const WindowId& id, const core::ByteBuffer& icon,
                                     const Text& tip) {
    Impl::OpenWindow* window = impl_->find(id);
    if (!window) {
        return;
    }
    if (icon.empty()) {
        window->tray.reset();
        return;
    }
    if (!window->tray) {
        window->tray = std::make_unique<QSystemTrayIcon>();
        const std::uint64_t serial = window->serial;
        QObject::connect(window->tray.get(), &QSystemTrayIcon::activated, &impl_->anchor,
                         [this, id, serial](QSystemTrayIcon::ActivationReason reason) {
                             impl_->tray_activated(id, serial, reason);
                         });
    }
    window->tray->setIcon(icon_from_bytes(icon));
    window->tray->setToolTip(to_qt(std::string_view(tip).substr(0, tip_limit)));
    window->tray->show();
}

int QtWindowLayer::show_message(const Text& text, int flags, const Text& caption) {
    QMessageBox box(icon_of(flags), to_qt(caption), to_qt(text), buttons_of(flags));
    box.setTextFormat(Qt::PlainText);
    // A caption and a close button, no minimise or maximise box.
    box.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                       Qt::WindowCloseButtonHint);
    // No owner, and modal for the whole program.
    box.setWindowModality(Qt::ApplicationModal);
    int result = 0;
    {
        Impl::NestedLoop loop(*impl_);
        result = box.exec();
    }
    return answer_of(result);
}

void QtWindowLayer::end_program(int exit_code) {
    // At once: no window is destroyed first, so no will-be-destroyed handler runs.
    std::fflush(nullptr);
    std::_Exit(exit_code);
}

int QtWindowLayer::run() {
    if (impl_->windows.empty()) {
        return 0;
    }
    impl_->running = true;
    const int code = QApplication::exec();
    impl_->running = false;
    return code;
}

bool QtWindowLayer::tray_available() const {
    return impl_->tray_available();
}

void* QtWindowLayer::native_handle(const ControlRef& ref) const {
    if (ref.control.empty()) {
        const Impl::OpenWindow* window = impl_->find(ref.window);
        return window ? window->widget : nullptr;
    }
    const Impl::OpenControl* open = impl_->control(ref);
    if (!open) {
        return nullptr;
    }
    return open->timer ? static_cast<void*>(open->timer) : static_cast<void*>(open->widget);
}

void* QtWindowLayer::native_tray_icon(const WindowId& id) const {
    const Impl::OpenWindow* window = impl_->find(id);
    return window ? window->tray.get() : nullptr;
}

void QtWindowLayer::override_tray_available(std::optional<bool> available) {
    impl_->tray_override = available;
}

void show_fatal_stop_box(const std::string& caption, const std::string& message) {
    QMessageBox box(QMessageBox::Critical, to_qt(caption), to_qt(message), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

} // namespace zorvane::ui
