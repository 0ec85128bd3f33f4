// The real window layer on Qt's offscreen platform, driven through the real
// widgets. Texts given to the layer are GBK bytes, written as escapes here
// because this file's literals are UTF-8.

#include "core/fatal_stop.h"
#include "ui/qt/qt_window_layer.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QCursor>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

// Fontconfig keeps its caches until the process ends; that is not ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

namespace zorvane::ui {
namespace {

using namespace std::chrono_literals;

QApplication& application() {
    static int argc = 1;
    static char name[] = "ui_qt_test";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Never destroyed: at exit Qt's own globals may already be gone.
    static auto* app = new QApplication(argc, argv);
    return *app;
}

const WindowId test_window = "test";

ControlDefinition control(ControlKind kind, Text name,
                          core::InputRule rule = core::InputRule::any) {
    ControlDefinition definition;
    definition.kind = kind;
    definition.name = std::move(name);
    definition.width = 60;
    definition.height = 24;
    definition.input_rule = rule;
    return definition;
}

// Runs what is queued now (discards, held events, selected items) without
// waiting for any timer.
void handle_queue() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents();
}

// Processes events until done() holds; the bound only stops a broken test.
template <typename Done>
bool spin_until(Done done) {
    for (int i = 0; i < 2000 && !done(); ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(1ms);
    }
    return done();
}

class QtLayerTest : public ::testing::Test {
protected:
    QtLayerTest() {
        application();
        layer_ = std::make_unique<QtWindowLayer>();
        definition_.id = test_window;
        definition_.title = "Zorvane";
        definition_.width = 435;
        definition_.height = 417;
        definition_.centred_at_creation = true;
        definition_.esc_closes = true;
        definition_.on_created = [this] { events_.push_back("created"); };
        definition_.on_moved = [this] { events_.push_back("moved"); };
        definition_.on_will_be_destroyed = [this] { events_.push_back("destroyed"); };
        definition_.on_tray_event = [this](int code) {
            events_.push_back("tray " + std::to_string(code));
        };
        ControlDefinition label = control(ControlKind::label, "name");
        label.text = "\xb9\xc9\xc6\xb1"; // 股票
        definition_.controls.push_back(label);
        definition_.controls.push_back(control(ControlKind::edit_box, "any"));
        definition_.controls.push_back(
            control(ControlKind::edit_box, "code", core::InputRule::stock_code));
        definition_.controls.push_back(
            control(ControlKind::edit_box, "shares", core::InputRule::share_count));
        definition_.controls.push_back(
            control(ControlKind::edit_box, "cost", core::InputRule::cost_price));
        ControlDefinition box = control(ControlKind::check_box, "box");
        box.on_clicked = [this] { events_.push_back("box clicked"); };
        definition_.controls.push_back(box);
        ControlDefinition open = control(ControlKind::menu_item, "open");
        open.text = "open";
        open.menu = "tray";
        open.on_selected = [this] { events_.push_back("open selected"); };
        definition_.controls.push_back(open);
        ControlDefinition quit = control(ControlKind::menu_item, "quit");
        quit.text = "quit";
        quit.menu = "tray";
        quit.on_selected = [this] { events_.push_back("quit selected"); };
        definition_.controls.push_back(quit);
    }

    ~QtLayerTest() override {
        layer_.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void open() {
        layer_->define_window(definition_);
        ASSERT_TRUE(layer_->open_window(test_window));
    }

    template <typename Widget = QWidget>
    Widget* widget(const Text& name = {}) {
        return static_cast<Widget*>(
            static_cast<QObject*>(layer_->native_handle({test_window, name})));
    }

    void add_timer(const Text& name, int interval, Handler handler) {
        ControlDefinition timer = control(ControlKind::timer, name);
        timer.interval_ms = interval;
        timer.on_periodic = std::move(handler);
        definition_.controls.push_back(timer);
    }

    std::unique_ptr<QtWindowLayer> layer_;
    WindowDefinition definition_;
    std::vector<std::string> events_;
};

TEST_F(QtLayerTest, CreatesCentredWithOuterSizeThenMovesThenShows) {
    bool shown_in_created = true;
    definition_.on_created = [this, &shown_in_created] {
        events_.push_back("created");
        shown_in_created = widget()->isVisible();
    };
    open();
    EXPECT_EQ(events_, (std::vector<std::string>{"created", "moved"}));
    EXPECT_FALSE(shown_in_created);
    QWidget* window = widget();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->frameGeometry().size(), QSize(435, 417));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(window->pos(), QPoint((screen.width() - 435) / 2, (screen.height() - 417) / 2));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Zorvane"));
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "not resizable";
    EXPECT_EQ(layer_->primary_screen_width(), screen.width());

    // Opening it again only activates it.
    events_.clear();
    EXPECT_TRUE(layer_->open_window(test_window));
    EXPECT_TRUE(events_.empty());
    EXPECT_FALSE(layer_->open_window("undefined"));
}

TEST_F(QtLayerTest, PropertiesGoThroughTheControls) {
    open();
    const ControlRef name{test_window, "name"};
    EXPECT_EQ(text_property(*layer_, name, Property::label_text), "\xb9\xc9\xc6\xb1");
    EXPECT_EQ(widget<QLabel>("name")->text(), QStringLiteral("股票"));

    layer_->assign_property(name, Property::label_colour, std::int64_t{green});
    EXPECT_EQ(number_property(*layer_, name, Property::label_colour), green);
    EXPECT_EQ(widget("name")->palette().color(QPalette::WindowText), QColor(0, 0x80, 0));
    layer_->assign_property(name, Property::label_colour, std::int64_t{0x00FF8000});
    EXPECT_EQ(widget("name")->palette().color(QPalette::WindowText), QColor(0, 0x80, 0xFF))
        << "0x00BBGGRR, red in the low byte";

    const ControlRef any{test_window, "any"};
    layer_->assign_property(any, Property::edit_text, Text("\xc6\xb1 12"));
    EXPECT_EQ(widget<QLineEdit>("any")->text(), QStringLiteral("票 12"));
    widget<QLineEdit>("any")->setText(QStringLiteral("股"));
    EXPECT_EQ(text_property(*layer_, any, Property::edit_text), "\xb9\xc9");
    EXPECT_EQ(widget("any")->palette().color(QPalette::Text), QColor(Qt::black));
    EXPECT_EQ(widget("any")->palette().color(QPalette::Base), QColor(Qt::white));

    const ControlRef box{test_window, "box"};
    EXPECT_EQ(number_property(*layer_, box, Property::box_ticked), 0);
    layer_->assign_property(box, Property::box_ticked, std::int64_t{1});
    EXPECT_TRUE(widget<QCheckBox>("box")->isChecked());
    widget<QCheckBox>("box")->click();
    EXPECT_EQ(number_property(*layer_, box, Property::box_ticked), 0)
        << "the click handler sees the new state";
    EXPECT_EQ(events_.back(), "box clicked");

    // The window's caption is its title.
    EXPECT_EQ(text_property(*layer_, {test_window, ""}, Property::label_text), "Zorvane");
    layer_->assign_property({test_window, ""}, Property::label_text, Text("\xb9\xc9"));
    EXPECT_EQ(widget()->windowTitle(), QStringLiteral("股"));
}

TEST_F(QtLayerTest, LabelsShowMarkupAsTheCharactersItIs) {
    open();
    const ControlRef name{test_window, "name"};
    layer_->assign_property(name, Property::label_text, Text("<b>A</b>&amp;"));
    EXPECT_EQ(widget<QLabel>("name")->textFormat(), Qt::PlainText);
    EXPECT_EQ(widget<QLabel>("name")->text(), QStringLiteral("<b>A</b>&amp;"));
}

TEST_F(QtLayerTest, UndecodableBytesShowAsReplacementAndReadBackUnchanged) {
    open();
    const struct {
        const char* name;
        Text gbk;
        QString shown;
    } rows[] = {
        {"lone lead byte at the end", "A\xb9", QStringLiteral("A\uFFFD")},
        {"invalid pair",
         "\xff\xff"
         "B",
         QStringLiteral("B")},
        {"invalid byte before a valid pair", "\xff\xb9\xc9", QStringLiteral("股")},
    };
    const ControlRef name{test_window, "name"};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        layer_->assign_property(name, Property::label_text, row.gbk);
        EXPECT_EQ(text_property(*layer_, name, Property::label_text), row.gbk);
        const QString shown = widget<QLabel>("name")->text();
        EXPECT_TRUE(shown.contains(row.shown)) << shown.toStdString();
        EXPECT_TRUE(shown.contains(QChar(0xFFFD))) << "never vanishes silently";
    }
}

TEST_F(QtLayerTest, TypedCharactersFollowTheBoxRules) {
    open();
    const struct {
        const char* box;
        const char* typed;
        const char* kept;
    } rows[] = {
        {"code", "00a0-01x23", "000-01"}, // digits and "-", at most six
        {"shares", "1a2-.3", "12-3"},
        {"cost", "1.5x-", "1.5-"},
        {"any", "a|b 1", "a|b 1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.box);
        auto* edit = widget<QLineEdit>(row.box);
        QTest::keyClicks(edit, row.typed);
        EXPECT_EQ(edit->text().toStdString(), row.kept);
        QTest::keyClick(edit, Qt::Key_Backspace);
        EXPECT_EQ(edit->text().size(), static_cast<qsizetype>(std::string(row.kept).size()) - 1)
            << "editing keys always work";
    }
    // Pasted text is not filtered, only cut to the room the limit leaves.
    auto* code = widget<QLineEdit>("code");
    code->clear();
    QGuiApplication::clipboard()->setText(QStringLiteral("1|a"));
    code->paste();
    EXPECT_EQ(code->text(), QStringLiteral("1|a"));
    code->setCursorPosition(1);
    QGuiApplication::clipboard()->setText(QStringLiteral("xyz"));
    code->paste();
    EXPECT_EQ(code->text(), QStringLiteral("1xyz|a"));
    code->paste();
    EXPECT_EQ(code->text(), QStringLiteral("1xyz|a")) << "no room left";
    // Texts the program sets are not cut.
    layer_->assign_property({test_window, "code"}, Property::edit_text, Text("12345678"));
    EXPECT_EQ(code->text(), QStringLiteral("12345678"));
}

TEST_F(QtLayerTest, NormalFormsApplyWhenTheFocusLeaves) {
    open();
    QWidget* window = widget();
    QApplication::setActiveWindow(window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    const struct {
        const char* box;
        const char* typed;
        const char* left;
    } rows[] = {
        {"shares", "007", "7"}, {"shares", "0", ""},          {"cost", "12.3456789", "12.3457"},
        {"cost", "0", ""},      {"code", "000001", "000001"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.box) + " " + row.typed);
        auto* edit = widget<QLineEdit>(row.box);
        edit->clear();
        edit->setFocus();
        QTest::keyClicks(edit, row.typed);
        EXPECT_EQ(edit->text().toStdString(), row.typed) << "not while typing";
        widget("any")->setFocus();
        EXPECT_EQ(edit->text().toStdString(), row.left);
    }
    // Texts the program sets stay as set.
    layer_->assign_property({test_window, "shares"}, Property::edit_text, Text("007"));
    EXPECT_EQ(text_property(*layer_, {test_window, "shares"}, Property::edit_text), "007");
}

TEST_F(QtLayerTest, DiscardHappensAfterTheHandlerReturns) {
    bool exists_in_handler = false;
    ControlDefinition close = control(ControlKind::button, "close");
    close.on_clicked = [this, &exists_in_handler] {
        layer_->discard_window(test_window);
        exists_in_handler = layer_->window_exists(test_window);
    };
    definition_.controls.push_back(close);
    add_timer("clock", 1, [] {});
    open();
    layer_->assign_property({test_window, "any"}, Property::edit_text, Text("changed"));
    QPointer<QTimer> timer(widget<QTimer>("clock"));
    events_.clear();

    widget<QPushButton>("close")->click();
    EXPECT_TRUE(exists_in_handler);
    EXPECT_TRUE(layer_->window_exists(test_window));
    handle_queue();
    EXPECT_FALSE(layer_->window_exists(test_window));
    EXPECT_EQ(events_, (std::vector<std::string>{"destroyed"}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(timer.isNull()) << "timers stop with the window";

    // Reopened, it starts from its definition again.
    events_.clear();
    ASSERT_TRUE(layer_->open_window(test_window));
    EXPECT_EQ(events_, (std::vector<std::string>{"created", "moved"}));
    EXPECT_EQ(text_property(*layer_, {test_window, "any"}, Property::edit_text), "");
}

TEST_F(QtLayerTest, OpeningAWindowWhoseDiscardIsPendingCreatesItAnew) {
    open();
    events_.clear();
    layer_->discard_window(test_window);
    ASSERT_TRUE(layer_->open_window(test_window));
    EXPECT_EQ(events_, (std::vector<std::string>{"destroyed", "created", "moved"}));
    handle_queue();
    EXPECT_TRUE(layer_->window_exists(test_window))
        << "the old discard does not hit the new window";
}

TEST_F(QtLayerTest, EscClosesLikeTheCloseButton) {
    open();
    QApplication::setActiveWindow(widget());
    ASSERT_TRUE(QTest::qWaitForWindowActive(widget()));
    events_.clear();
    QTest::keyClick(widget("any"), Qt::Key_Escape);
    handle_queue();
    EXPECT_EQ(events_, (std::vector<std::string>{"destroyed"}));
    EXPECT_FALSE(layer_->window_exists(test_window));
}

TEST_F(QtLayerTest, WindowStateMinimisesRestoresAndCentres) {
    open();
    const ControlRef window{test_window, ""};
    QWidget* widget_ = widget();
    widget_->move(10, 20);
    handle_queue();
    events_.clear();

    layer_->assign_property(window, Property::window_state, std::int64_t{2});
    EXPECT_EQ(number_property(*layer_, window, Property::window_state), 2);
    handle_queue();
    EXPECT_EQ(events_, (std::vector<std::string>{"moved"})) << "minimising moves the window";

    layer_->assign_property(window, Property::window_state, std::int64_t{7}); // clamped to 3
    EXPECT_EQ(number_property(*layer_, window, Property::window_state), 3);
    layer_->assign_property(window, Property::window_state, std::int64_t{1});
    EXPECT_EQ(number_property(*layer_, window, Property::window_state), 0);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(widget_->pos(), QPoint((screen.width() - 435) / 2, (screen.height() - 417) / 2));

    // A hidden window only keeps the value.
    layer_->assign_property(window, Property::window_shown, std::int64_t{0});
    EXPECT_EQ(number_property(*layer_, window, Property::window_shown), 0);
    layer_->assign_property(window, Property::window_state, std::int64_t{2});
    EXPECT_EQ(number_property(*layer_, window, Property::window_state), 0);
    EXPECT_FALSE(widget_->isVisible());
}

TEST_F(QtLayerTest, AMinimisedWindowHidesOnlyWhereATrayCanBringItBack) {
    open();
    const ControlRef window{test_window, ""};
    layer_->assign_property(window, Property::window_state, std::int64_t{2});

    layer_->override_tray_available(false);
    layer_->assign_property(window, Property::window_shown, std::int64_t{0});
    EXPECT_EQ(number_property(*layer_, window, Property::window_shown), 1)
        << "it stays minimised in the taskbar";

    layer_->override_tray_available(true);
    layer_->assign_property(window, Property::window_shown, std::int64_t{0});
    EXPECT_EQ(number_property(*layer_, window, Property::window_shown), 0);

    // Opening it restores it, which shows it.
    ASSERT_TRUE(layer_->open_window(test_window));
    EXPECT_EQ(number_property(*layer_, window, Property::window_shown), 1);
    EXPECT_EQ(number_property(*layer_, window, Property::window_state), 0);
}

TEST_F(QtLayerTest, PlaceWindowMovesTheOuterRectangle) {
    open();
    handle_queue();
    events_.clear();
    layer_->place_window(test_window, 30, 40, std::nullopt, std::nullopt);
    EXPECT_EQ(widget()->pos(), QPoint(30, 40));
    EXPECT_EQ(widget()->frameGeometry().size(), QSize(435, 417));
    handle_queue();
    EXPECT_EQ(events_, (std::vector<std::string>{"moved"}));

    events_.clear();
    layer_->place_window(test_window, 30, 40, 435, 417);
    handle_queue();
    EXPECT_TRUE(events_.empty()) << "nothing happens when nothing would change";

    layer_->place_window(test_window, 30, 40, 200, std::nullopt);
    EXPECT_EQ(widget()->frameGeometry().size(), QSize(200, 417));
}

TEST_F(QtLayerTest, EventsArrivingInsideAHandlerWaitAndTicksMerge) {
    int slow_calls = 0;
    int fast_calls = 0;
    int fast_during_slow = -1;
    int raw_fast_ticks = 0;
    add_timer("slow", 1, [&] {
        if (++slow_calls > 1) {
            return;
        }
        // Something inside the handler spins the event loop while the fast
        // timer falls due several times; its handler must not run inside.
        const int before = raw_fast_ticks;
        spin_until([&] { return raw_fast_ticks >= before + 3; });
        fast_during_slow = fast_calls;
        widget<QTimer>("slow")->stop();
        widget<QTimer>("fast")->stop();
    });
    add_timer("fast", 1, [&] { ++fast_calls; });
    open();
    QObject::connect(widget<QTimer>("fast"), &QTimer::timeout, [&] { ++raw_fast_ticks; });
    widget<QTimer>("fast")->stop();
    // Only the slow timer's first tick may start; the fast one ticks inside it.
    QTimer::singleShot(0, [&] { widget<QTimer>("fast")->start(); });
    ASSERT_TRUE(spin_until([&] { return fast_during_slow >= 0; }));
    handle_queue();
    EXPECT_EQ(fast_during_slow, 0);
    EXPECT_GE(raw_fast_ticks, 3);
    EXPECT_EQ(fast_calls, 1) << "the ticks missed meanwhile arrive once";
}

TEST_F(QtLayerTest, ATimerBlockedByItsHandlerTicksOnceAfterwards) {
    int calls = 0;
    add_timer("clock", 300, [&] {
        if (++calls == 1) {
            std::this_thread::sleep_for(1500ms); // a slow quote request
        }
    });
    open();
    ASSERT_TRUE(spin_until([&] { return calls >= 1; }));
    for (int pass = 0; pass < 3; ++pass) {
        QCoreApplication::processEvents();
    }
    EXPECT_LE(calls, 2) << "never several ticks in a row to catch up";
}

TEST_F(QtLayerTest, MessageBoxAnswersWhileTimersRunBehindIt) {
    const struct {
        const char* name;
        int flags;
        QMessageBox::StandardButton pressed;
        int answer;
    } rows[] = {
        {"ok", message_ok, QMessageBox::Ok, answer_ok},
        {"yes", message_yes_no, QMessageBox::Yes, answer_yes},
        {"no", message_yes_no, QMessageBox::No, answer_no},
    };
    QMessageBox::StandardButton press = QMessageBox::Ok;
    int ticks = 0;
    QString caption;
    QString text;
    add_timer("clock", 5, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || ++ticks < 3) {
            return;
        }
        caption = box->windowTitle();
        text = box->text();
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        box->button(press)->click();
    });
    open();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ticks = 0;
        press = row.pressed;
        EXPECT_EQ(layer_->show_message("<i>\xb1\xa3", row.flags, "\xb4\xed\xce\xf3"), row.answer);
        EXPECT_EQ(ticks, 3) << "the timer ran behind the box";
        EXPECT_EQ(caption, QStringLiteral("错误"));
        EXPECT_EQ(text, QStringLiteral("<i>保"));
    }
}

TEST_F(QtLayerTest, MenuItemIsSelectedAfterTheMenuHasClosed) {
    open();
    const QPoint cursor(500, 400);
    QCursor::setPos(cursor);
    const struct {
        const char* name;
        MenuMode mode;
        int item;
        const char* selected;
    } rows[] = {
        {"window mode", MenuMode::window, 1, "quit selected"},
        {"tray mode", MenuMode::tray, 0, "open selected"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QStringList shown;
        QRect place;
        QTimer::singleShot(0, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            place = menu->geometry();
            for (QAction* action : menu->actions()) {
                shown << action->text();
            }
            menu->setActiveAction(menu->actions().at(row.item));
            QTest::keyClick(menu, Qt::Key_Return);
        });
        events_.clear();
        layer_->show_context_menu(test_window, "tray", row.mode);
        EXPECT_EQ(shown, (QStringList{"open", "quit"}));
        if (row.mode == MenuMode::window) {
            EXPECT_EQ(place.topLeft(), cursor + QPoint(3, 3));
        } else {
            EXPECT_EQ(place.right() + 1, cursor.x() - 5) << "to the left of the pointer";
            EXPECT_EQ(place.top(), cursor.y() - 5);
        }
        EXPECT_TRUE(events_.empty()) << "not inside the menu";
        handle_queue();
        EXPECT_EQ(events_, (std::vector<std::string>{row.selected}));
    }

    events_.clear();
    layer_->show_context_menu(test_window, "no such menu", MenuMode::tray);
    handle_queue();
    EXPECT_TRUE(events_.empty());
}

core::ByteBuffer icon_file() {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "ico").write(image);
    return core::ByteBuffer(bytes.begin(), bytes.end());
}

TEST_F(QtLayerTest, OneTrayIconPerWindowWithItsCodesAndShortTip) {
    open();
    const core::ByteBuffer icon = icon_file();
    ASSERT_FALSE(icon.empty());
    layer_->update_tray_icon(test_window, icon, "Zorvane");
    auto* tray = static_cast<QSystemTrayIcon*>(layer_->native_tray_icon(test_window));
    ASSERT_NE(tray, nullptr);
    EXPECT_FALSE(tray->icon().isNull());
    EXPECT_EQ(tray->toolTip(), QStringLiteral("Zorvane"));

    const Text long_tip(70, 'x');
    layer_->update_tray_icon(test_window, icon, long_tip);
    EXPECT_EQ(layer_->native_tray_icon(test_window), tray) << "replaced in place";
    EXPECT_EQ(tray->toolTip(), QString(62, 'x'));

    events_.clear();
    for (const auto reason :
         {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick, QSystemTrayIcon::Trigger,
          QSystemTrayIcon::Context, QSystemTrayIcon::MiddleClick}) {
        emit tray->activated(reason);
    }
    handle_queue();
    EXPECT_EQ(events_, (std::vector<std::string>{"tray 1", "tray 2", "tray 1", "tray 3"}));

    // A tray that reports a double-click as two quick activations.
    events_.clear();
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    emit tray->activated(QSystemTrayIcon::Trigger);
    emit tray->activated(QSystemTrayIcon::Trigger);
    handle_queue();
    EXPECT_EQ(events_, (std::vector<std::string>{"tray 1", "tray 2", "tray 1"}));

    layer_->update_tray_icon(test_window, {}, {});
    EXPECT_EQ(layer_->native_tray_icon(test_window), nullptr);

    // It goes with its window.
    layer_->update_tray_icon(test_window, icon, "Zorvane");
    QPointer<QSystemTrayIcon> again(
        static_cast<QSystemTrayIcon*>(layer_->native_tray_icon(test_window)));
    layer_->discard_window(test_window);
    handle_queue();
    EXPECT_TRUE(again.isNull());
}

TEST_F(QtLayerTest, FloatingWindowIsRoundOnTopOffTheTaskbarAndDraggable) {
    WindowDefinition floating;
    floating.id = test_window;
    floating.border = Border::none;
    floating.system_menu = false;
    floating.minimize_box = false;
    floating.width = 100;
    floating.height = 100;
    floating.left = 0;
    floating.top = 50;
    floating.in_taskbar = false;
    floating.always_on_top = true;
    floating.shape = Shape::ellipse;
    floating.drag_by_body = true;
    floating.background_picture = Picture{"missing picture", PictureFit::stretched};
    floating.on_double_clicked = [this] { events_.push_back("window double"); };
    floating.on_right_button = [this] { events_.push_back("window right"); };
    ControlDefinition label = control(ControlKind::label, "name");
    label.left = 16;
    label.top = 24;
    label.font.face = "\xba\xda\xcc\xe5"; // 黑体
    label.font.height = 16;
    label.font.charset = gb2312_charset;
    label.picture = Picture{"missing strip", PictureFit::tiled};
    label.on_double_clicked = [this] { events_.push_back("label double"); };
    label.on_right_button = [this] { events_.push_back("label right"); };
    floating.controls.push_back(label);
    definition_ = floating;
    open();

    QWidget* window = widget();
    EXPECT_EQ(window->pos(), QPoint(0, 50));
    EXPECT_EQ(window->size(), QSize(100, 100));
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(window->windowType(), Qt::Tool);
    EXPECT_TRUE(window->mask().contains(QPoint(50, 50)));
    EXPECT_FALSE(window->mask().contains(QPoint(2, 2))) << "the corners are not the window";
    EXPECT_EQ(widget("name")->font().families().front(), QStringLiteral("黑体"));
    EXPECT_TRUE(widget("name")->font().families().contains(QStringLiteral("WenQuanYi Micro Hei")));
    EXPECT_EQ(widget("name")->font().pixelSize(), 16);
    window->repaint(); // missing pictures draw nothing and break nothing

    events_.clear();
    QTest::mouseDClick(widget("name"), Qt::LeftButton);
    QTest::mouseDClick(window, Qt::LeftButton, {}, QPoint(50, 80));
    QTest::mousePress(widget("name"), Qt::RightButton);
    QTest::mousePress(window, Qt::RightButton, {}, QPoint(50, 80));
    handle_queue();
    EXPECT_EQ(events_, (std::vector<std::string>{"label double", "window double", "label right",
                                                 "window right"}));

    // Dragging the label moves the window by the same distance.
    QTest::mousePress(widget("name"), Qt::LeftButton, {}, QPoint(5, 5));
    QMouseEvent drag(QEvent::MouseMove, QPointF(25, 15),
                     widget("name")->mapToGlobal(QPointF(25, 15)), Qt::NoButton, Qt::LeftButton,
                     {});
    QApplication::sendEvent(widget("name"), &drag);
    QTest::mouseRelease(widget("name"), Qt::LeftButton, {}, QPoint(25, 15));
    EXPECT_EQ(window->pos(), QPoint(20, 60));
}

TEST_F(QtLayerTest, RunEndsWithZeroWhenTheLastWindowIsGone) {
    EXPECT_EQ(layer_->run(), 0) << "no window, no loop";
    open();
    QTimer::singleShot(0, [this] { layer_->discard_window(test_window); });
    EXPECT_EQ(layer_->run(), 0);
    EXPECT_FALSE(layer_->window_exists(test_window));
    EXPECT_EQ(events_.back(), "destroyed");
}

using QtLayerDeathTest = QtLayerTest;

TEST_F(QtLayerDeathTest, EndProgramEndsAtOnceWithItsCode) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    open();
    EXPECT_EXIT(
        {
            // Were the window destroyed first, its handler would end differently.
            layer_->discard_window(test_window);
            definition_.on_will_be_destroyed = [] { std::_Exit(9); };
            layer_->end_program(3);
        },
        ::testing::ExitedWithCode(3), "");
}

TEST_F(QtLayerDeathTest, FatalStopShowsItsErrorBoxAndEndsWithMinusOne) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            QTimer::singleShot(0, [] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                const bool right = box && box->windowTitle() == QStringLiteral("错误") &&
                                   box->icon() == QMessageBox::Critical &&
                                   box->text().startsWith(QStringLiteral("运行时出错!"));
                if (!right) {
                    std::_Exit(5);
                }
                box->accept();
            });
            core::stop_out_of_memory(4096);
        },
        ::testing::ExitedWithCode(255), "");
}

TEST_F(QtLayerTest, PicturesAndTheIconAreCompiledIn) {
    for (const char* name :
         {":/assets/floating_background.jpg", ":/assets/label_strip.jpg", ":/assets/zorvane.ico"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(QPixmap(QString::fromLatin1(name)).isNull());
    }
    EXPECT_FALSE(QApplication::windowIcon().isNull());
}

} // namespace
} // namespace zorvane::ui
