#pragma once

#include "support/ImageProbe.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>

namespace vok::test {

// What the control paints over a magenta backdrop, so unpainted pixels show.
inline QImage Render(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    widget.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

inline QRgb Rgb(int r, int g, int b) {
    return qRgb(r, g, b);
}

inline void SendEnter(QWidget& widget) {
    QEnterEvent event(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QCoreApplication::sendEvent(&widget, &event);
}

inline void SendLeave(QWidget& widget) {
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(&widget, &event);
}

inline void SendMouse(QWidget& widget, QEvent::Type type, QPoint at,
                      Qt::MouseButton button = Qt::LeftButton) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::MouseButtons();
    QMouseEvent event(type, QPointF(at), widget.mapToGlobal(QPointF(at)), button, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
}

inline void Click(QWidget& widget, QPoint releaseAt = {2, 2},
                  Qt::MouseButton button = Qt::LeftButton) {
    SendMouse(widget, QEvent::MouseButtonPress, {2, 2}, button);
    SendMouse(widget, QEvent::MouseButtonRelease, releaseAt, button);
}

// True when some pixel of the image has exactly this colour.
inline bool HasColor(const QImage& image, QRgb color) {
    return AnyPixel(image, QColor(color));
}

}  // namespace vok::test
