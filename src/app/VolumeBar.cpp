#include "app/VolumeBar.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace vok {

TVolBar::TVolBar(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void TVolBar::SetValue(int value) {
    value = std::clamp(value, 0, MaxValue);
    if (value != value_) {
        value_ = value;
        update();
    }
}

void TVolBar::SetBarColor(const QColor& colour) {
    if (colour != barColor_) {
        barColor_ = colour;
        update();
    }
}

void TVolBar::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const int filled = value_ * height() / MaxValue;
    if (filled > 0) {
        painter.fillRect(QRect(0, height() - filled, width(), filled), barColor_);
    }
}

void TVolBar::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void TVolBar::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    emit MouseUp(event->position().toPoint().y());
}

void TVolBar::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    emit MouseMove(event->position().toPoint().y(), (event->buttons() & Qt::LeftButton) != 0);
}

}  // namespace vok
