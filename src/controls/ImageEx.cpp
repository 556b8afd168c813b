#include "controls/ImageEx.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

namespace vok {

TImageEx::TImageEx(QWidget* parent) : QWidget(parent) {}

void TImageEx::SetPicture(const QPixmap& picture) {
    picture_ = picture;
    update();
}

void TImageEx::ShowImage(const TImageList& list, int index, bool immediately) {
    if (index < 0 || index >= list.Count()) {
        return;
    }
    QPixmap bitmap(list.ImageSize);
    bitmap.fill(Qt::black);
    {
        QPainter painter(&bitmap);
        painter.drawPixmap(0, 0, list.Images[static_cast<std::size_t>(index)]);
    }
    picture_ = bitmap;
    imageIndex_ = index;
    if (immediately) {
        repaint();
    } else {
        update();
    }
}

void TImageEx::paintEvent(QPaintEvent* /*event*/) {
    if (picture_.isNull()) {
        return;
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture_);
}

void TImageEx::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    emit OnMouseEnter(this);
}

void TImageEx::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    emit OnMouseLeave(this);
}

void TImageEx::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton) {
        pressed_ = true;
    }
    emit OnMouseDown(this, event->button());
}

void TImageEx::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton) {
        pressed_ = false;
    }
    // The click's work comes first, so the released picture shows the state after it.
    if (click) {
        emit OnClick(this);
    }
    emit OnMouseUp(this, event->button());
}

}  // namespace vok
