#include "ui/qt/widgets.h"

#include "ui/qt/qt_text.h"

#include <QCloseEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <algorithm>

namespace zorvane::ui::qt {

void draw_picture(QPainter& painter, const QRect& rect, const QPixmap& picture, PictureFit fit) {
    if (picture.isNull()) {
        return;
    }
    switch (fit) {
    case PictureFit::top_left:
        painter.drawPixmap(rect.topLeft(), picture);
        break;
    case PictureFit::tiled:
        painter.drawTiledPixmap(rect, picture);
        break;
    case PictureFit::centred: {
        // Scaled down proportionally when larger, never up.
        QPixmap shown = picture;
        if (shown.width() > rect.width() || shown.height() > rect.height()) {
            shown = shown.scaled(rect.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
        }
        painter.drawPixmap(rect.x() + (rect.width() - shown.width()) / 2,
                           rect.y() + (rect.height() - shown.height()) / 2, shown);
        break;
    }
    case PictureFit::stretched:
        painter.drawPixmap(rect, picture);
        break;
    }
}

LayerWindow::LayerWindow(Reporter report, bool drag_by_body, bool ellipse)
    : report_(std::move(report))
    , drag_by_body_(drag_by_body)
    , ellipse_(ellipse) {}

void LayerWindow::set_background(QPixmap picture, PictureFit fit) {
    background_ = std::move(picture);
    background_fit_ = fit;
    update();
}

void LayerWindow::begin_drag(const QPointF& global) {
    dragging_ = true;
    drag_offset_ = global.toPoint() - pos();
}

void LayerWindow::continue_drag(const QPointF& global, Qt::MouseButtons buttons) {
    if (!dragging_ || !(buttons & Qt::LeftButton)) {
        dragging_ = false;
        return;
    }
    const QPoint target = global.toPoint() - drag_offset_;
    if (target != pos()) {
        move(target);
    }
}

bool LayerWindow::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    // The window manager's frame becomes known only after the window is
    // shown; the layer then fits the client area into the outer size.
    if (event->type() == QEvent::Show) {
        report_(WidgetEvent::moved);
    }
    return handled;
}

void LayerWindow::closeEvent(QCloseEvent* event) {
    // The layer destroys the window itself, after the will-be-destroyed handler.
    event->ignore();
    report_(WidgetEvent::close_requested);
}

void LayerWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    report_(WidgetEvent::moved);
}

void LayerWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        report_(WidgetEvent::state_changed);
    }
}

void LayerWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (ellipse_) {
        setMask(QRegion(rect(), QRegion::Ellipse));
    }
    report_(WidgetEvent::moved);
}

void LayerWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        report_(WidgetEvent::right_button);
    } else if (event->button() == Qt::LeftButton && drag_by_body_) {
        begin_drag(event->globalPosition());
    }
    event->accept();
}

void LayerWindow::mouseMoveEvent(QMouseEvent* event) {
    continue_drag(event->globalPosition(), event->buttons());
    event->accept();
}

void LayerWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        end_drag();
    }
    event->accept();
}

void LayerWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    // A right double-click is a second right press.
    if (event->button() == Qt::LeftButton) {
        report_(WidgetEvent::double_clicked);
    } else if (event->button() == Qt::RightButton) {
        report_(WidgetEvent::right_button);
    }
    event->accept();
}

void LayerWindow::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (!background_.isNull()) {
        QPainter painter(this);
        draw_picture(painter, rect(), background_, background_fit_);
    }
}

LayerLabel::LayerLabel(LayerWindow* window, Reporter report, bool reports_double_click,
                       bool reports_right_button)
    : QLabel(window)
    , window_(window)
    , report_(std::move(report))
    , reports_double_click_(reports_double_click)
    , reports_right_button_(reports_right_button) {
    // Names come from the network: "<b>" is shown as the characters it is.
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::NoTextInteraction);
}

void LayerLabel::set_picture(QPixmap picture, PictureFit fit) {
    picture_ = std::move(picture);
    fit_ = fit;
    update();
}

void LayerLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton && reports_right_button_) {
        report_(WidgetEvent::right_button);
        event->accept();
    } else if (event->button() == Qt::LeftButton && window_->drag_by_body()) {
        window_->begin_drag(event->globalPosition());
        event->accept();
    } else {
        event->ignore();
    }
}

void LayerLabel::mouseMoveEvent(QMouseEvent* event) {
    if (window_->drag_by_body()) {
        window_->continue_drag(event->globalPosition(), event->buttons());
        event->accept();
    } else {
        event->ignore();
    }
}

void LayerLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (window_->drag_by_body() && event->button() == Qt::LeftButton) {
        window_->end_drag();
        event->accept();
    } else {
        event->ignore();
    }
}

void LayerLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && reports_double_click_) {
        report_(WidgetEvent::double_clicked);
        event->accept();
    } else if (event->button() == Qt::RightButton && reports_right_button_) {
        report_(WidgetEvent::right_button);
        event->accept();
    } else {
        event->ignore();
    }
}

void LayerLabel::paintEvent(QPaintEvent* event) {
    if (!picture_.isNull()) {
        QPainter painter(this);
        draw_picture(painter, rect(), picture_, fit_);
    }
    QLabel::paintEvent(event);
}

LayerEdit::LayerEdit(QWidget* parent, core::InputRule rule)
    : QLineEdit(parent)
    , rule_(rule) {
    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Text, Qt::black);
    setPalette(colours);
    if (core::length_limit(rule_) > 0) {
        connect(this, &QLineEdit::textEdited, this, &LayerEdit::limit_insertion);
        connect(this, &QLineEdit::textChanged, this,
                [this](const QString& text) { before_ = text; });
    }
}

void LayerEdit::limit_insertion(const QString& edited) {
    const qsizetype limit = core::length_limit(rule_);
    if (edited.size() <= limit || edited.size() <= before_.size()) {
        return;
    }
    // What was inserted lies between the parts the edit left unchanged.
    qsizetype head = 0;
    while (head < before_.size() && edited[head] == before_[head]) {
        ++head;
    }
    qsizetype tail = 0;
    while (tail < before_.size() - head &&
           edited[edited.size() - 1 - tail] == before_[before_.size() - 1 - tail]) {
        ++tail;
    }
    const qsizetype room = std::max<qsizetype>(0, limit - head - tail);
    const qsizetype inserted = edited.size() - head - tail;
    const QString kept =
        edited.left(head) + edited.mid(head, std::min(room, inserted)) + edited.right(tail);
    setText(kept);
    setCursorPosition(static_cast<int>(head + std::min(room, inserted)));
}

QString LayerEdit::accepted(const QString& typed) const {
    if (rule_ == core::InputRule::any) {
        return typed;
    }
    const int limit = core::length_limit(rule_);
    qsizetype room = limit > 0 ? limit - (text().size() - selectedText().size()) : typed.size();
    QString kept;
    for (const QChar character : typed) {
        if (room <= 0) {
            break;
        }
        const Text bytes = from_qt(QString(character));
        bool ok = !bytes.empty();
        for (const char byte : bytes) {
            ok = ok && core::accepts_typed(rule_, byte);
        }
        if (ok) {
            kept += character;
            --room;
        }
    }
    return kept;
}

void LayerEdit::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    const bool is_character = !typed.isEmpty() && typed.front().isPrint() &&
                              !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (is_character && accepted(typed) != typed) {
        // Dropped, like a refused WM_CHAR; editing keys never get here.
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void LayerEdit::inputMethodEvent(QInputMethodEvent* event) {
    const QString kept = accepted(event->commitString());
    if (kept == event->commitString()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(kept, event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&filtered);
}

void LayerEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    apply_normal_form();
}

void LayerEdit::apply_normal_form() {
    if (rule_ == core::InputRule::any) {
        return;
    }
    const Text shown = from_qt(text());
    const Text normal = core::normal_form(rule_, shown);
    if (normal != shown) {
        setText(to_qt(normal));
    }
}

} // namespace zorvane::ui::qt
