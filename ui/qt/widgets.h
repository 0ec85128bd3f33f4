#pragma once

// The Qt widgets a window is built of. They only report what happened; the
// layer decides which handler runs and when.

#include "core/edit_rules.h"
#include "ui/window_definition.h"

#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QWidget>
#include <functional>

namespace zorvane::ui::qt {

enum class WidgetEvent { double_clicked, right_button, close_requested, moved, state_changed };

using Reporter = std::function<void(WidgetEvent)>;

// Draws a picture into rect the way fit says; a null picture draws nothing.
void draw_picture(QPainter& painter, const QRect& rect, const QPixmap& picture, PictureFit fit);

class LayerWindow final : public QWidget {
public:
    LayerWindow(Reporter report, bool drag_by_body, bool ellipse);

    void set_background(QPixmap picture, PictureFit fit);
    bool drag_by_body() const { return drag_by_body_; }
    // Moving by the body: a left press anywhere on the window or one of its
    // labels grabs it, as if its caption had been grabbed.
    void begin_drag(const QPointF& global);
    void continue_drag(const QPointF& global, Qt::MouseButtons buttons);
    void end_drag() { dragging_ = false; }

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    Reporter report_;
    bool drag_by_body_;
    bool ellipse_;
    QPixmap background_;
    PictureFit background_fit_ = PictureFit::top_left;
    bool dragging_ = false;
    QPoint drag_offset_;
};

// A label shows its text as plain text over its picture. It takes the mouse
// only for the events it has handlers for; the rest fall through to the
// window, as they do for a static control.
class LayerLabel final : public QLabel {
public:
    LayerLabel(LayerWindow* window, Reporter report, bool reports_double_click,
               bool reports_right_button);
    void set_picture(QPixmap picture, PictureFit fit);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    LayerWindow* window_;
    Reporter report_;
    bool reports_double_click_;
    bool reports_right_button_;
    QPixmap picture_;
    PictureFit fit_ = PictureFit::top_left;
};

// An edit box that drops typed characters its rule refuses and rewrites its
// text into the rule's normal form when the focus leaves it. Pasted text
// passes unfiltered but is cut to the room the length limit leaves; text set
// by the program passes whole.
class LayerEdit final : public QLineEdit {
public:
    LayerEdit(QWidget* parent, core::InputRule rule);
    // Applies the normal form now, as leaving the box does.
    void apply_normal_form();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // The part of typed that the box keeps, given the room left.
    QString accepted(const QString& typed) const;
    // After the user changed the text: cuts what was inserted to the room left.
    void limit_insertion(const QString& edited);

    core::InputRule rule_;
    QString before_;
};

} // namespace zorvane::ui::qt
