#include "controls/VolumeBar.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cstdint>

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

int TVolBar::ValueAt(int y, int height) {
    if (height <= 0) {
        return 0;
    }
    // Integer division truncates toward zero, like the truncation of the real quotient; 64 bits
    // so that no pointer position can overflow.
    const std::int64_t value = (std::int64_t{height} - y) * MaxValue / height;
    return static_cast<int>(std::clamp<std::int64_t>(value, 0, MaxValue));
}

void TVolBar::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const int filled = value_ * height() / MaxValue;
    if (filled > 0) {
        painter.fillRect(QRect(0, height() - filled, width(), filled), BarColor());
    }
}

void TVolBar::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

void TVolBar::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    emit VolumePicked(ValueAt(event->position().toPoint().y(), height()));
}

void TVolBar::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    if ((event->buttons() & Qt::LeftButton) == 0) {
        return;
    }
    const int value = ValueAt(event->position().toPoint().y(), height());
    if (value != value_) {
        emit VolumePicked(value);
    }
}

}  // namespace vok
