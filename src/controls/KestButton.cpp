#include "controls/KestButton.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

namespace vok {

TKestButton::TKestButton(QWidget* parent) : QWidget(parent) {
    // Paints its whole rectangle.
    setAttribute(Qt::WA_OpaquePaintEvent);
    QFont captionFont = font();
    captionFont.setPointSize(12);
    setFont(captionFont);
}

void TKestButton::SetCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void TKestButton::SetColor(TColor& field, TColor color) {
    field = color;
    update();
}

void TKestButton::SetFontColor(TColor color) {
    SetColor(fontColor_, color);
}
void TKestButton::SetTextColorMO(TColor color) {
    SetColor(textColorMO_, color);
}
void TKestButton::SetBgFromColor(TColor color) {
    SetColor(bgFromColor_, color);
}
void TKestButton::SetBgToColor(TColor color) {
    SetColor(bgToColor_, color);
}
void TKestButton::SetBgOMFromColor(TColor color) {
    SetColor(bgOMFromColor_, color);
}
void TKestButton::SetBgOMToColor(TColor color) {
    SetColor(bgOMToColor_, color);
}

QPoint TKestButton::CaptionOrigin(QSize caption, QSize button) {
    const int x = caption.width() > button.width() ? 0 : button.width() / 2 - caption.width() / 2;
    const int y =
        caption.height() > button.height() ? 0 : button.height() / 2 - caption.height() / 2;
    return {x, y};
}

void TKestButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const bool lit = mouseOver_ && isEnabled();
    DrawVerticalGradient(painter, width(), height(), lit ? bgOMFromColor_ : bgFromColor_,
                         lit ? bgOMToColor_ : bgToColor_);
    if (caption_.isEmpty()) {
        return;
    }
    painter.setFont(font());
    const TColor color = !isEnabled() ? colors::Gray : lit ? textColorMO_ : fontColor_;
    painter.setPen(ToQColor(color));
    const QFontMetrics metrics = painter.fontMetrics();
    const QSize size(metrics.horizontalAdvance(caption_), metrics.height());
    const QPoint origin = CaptionOrigin(size, this->size());
    painter.drawText(origin.x(), origin.y() + metrics.ascent(), caption_);
}

void TKestButton::enterEvent(QEnterEvent* event) {
    mouseOver_ = true;
    update();
    QWidget::enterEvent(event);
    emit OnMouseEnter(this);
}

void TKestButton::leaveEvent(QEvent* event) {
    mouseOver_ = false;
    update();
    QWidget::leaveEvent(event);
    emit OnMouseLeave(this);
}

void TKestButton::mousePressEvent(QMouseEvent* event) {
    pressed_ = isEnabled() && event->button() == Qt::LeftButton;
    event->accept();
}

void TKestButton::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && isEnabled() && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    event->accept();
    if (click) {
        emit OnClick(this);
    }
}

void TKestButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        pressed_ = false;
        update();
    }
    QWidget::changeEvent(event);
}

}  // namespace vok
