#include "controls/ButtonPictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace vok {

namespace {

struct Look {
    QColor top;
    QColor bottom;
    QColor border;
    QColor symbol;
    qreal shift;
};

Look LookFor(PictureState state) {
    switch (state) {
        case PictureState::Pressed:
            return {QColor(8, 8, 8), QColor(48, 48, 48), QColor(0, 160, 0), QColor(0, 255, 0), 1};
        case PictureState::Lit:
            return {QColor(20, 64, 20), QColor(4, 24, 4), QColor(0, 255, 0), QColor(255, 255, 0),
                    0};
        case PictureState::Released:
            break;
    }
    return {QColor(72, 72, 72), QColor(18, 18, 18), QColor(96, 96, 96), QColor(0, 192, 0), 0};
}

void DrawSymbol(QPainter& painter, TransportSymbol symbol, QRectF box) {
    const qreal cx = box.center().x();
    const qreal cy = box.center().y();
    const qreal half = box.height() / 2;
    QPainterPath path;
    switch (symbol) {
        case TransportSymbol::Play:
            path.addPolygon(QPolygonF({QPointF(cx - half * 0.8, cy - half), QPointF(cx + half, cy),
                                       QPointF(cx - half * 0.8, cy + half)}));
            break;
        case TransportSymbol::Pause:
            path.addRect(QRectF(cx - half, cy - half, half * 0.75, half * 2));
            path.addRect(QRectF(cx + half * 0.25, cy - half, half * 0.75, half * 2));
            break;
        case TransportSymbol::Stop:
            path.addRect(QRectF(cx - half, cy - half, half * 2, half * 2));
            break;
        case TransportSymbol::Prev:
            path.addRect(QRectF(cx - half, cy - half, half * 0.5, half * 2));
            path.addPolygon(QPolygonF({QPointF(cx + half, cy - half), QPointF(cx - half * 0.5, cy),
                                       QPointF(cx + half, cy + half)}));
            break;
        case TransportSymbol::Next:
            path.addRect(QRectF(cx + half * 0.5, cy - half, half * 0.5, half * 2));
            path.addPolygon(QPolygonF({QPointF(cx - half, cy - half), QPointF(cx + half * 0.5, cy),
                                       QPointF(cx - half, cy + half)}));
            break;
    }
    path.setFillRule(Qt::WindingFill);
    painter.fillPath(path, painter.brush());
}

TImageList MakeList(TransportSymbol symbol, QSize size, int count) {
    TImageList list;
    list.ImageSize = size;
    for (int i = 0; i < count; ++i) {
        list.Images.push_back(
            QPixmap::fromImage(DrawTransportPicture(symbol, size, static_cast<PictureState>(i))));
    }
    return list;
}

}  // namespace

QImage DrawTransportPicture(TransportSymbol symbol, QSize size, PictureState state) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);  // the control panel's colour shows in the corners
    const Look look = LookFor(state);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF face(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
    QLinearGradient fill(face.topLeft(), face.bottomLeft());
    fill.setColorAt(0, look.top);
    fill.setColorAt(1, look.bottom);
    painter.setPen(QPen(look.border, 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(face, 3, 3);
    const qreal inset = size.height() * 0.26;
    const QRectF box =
        face.adjusted(inset, inset, -inset, -inset).translated(look.shift, look.shift);
    painter.setPen(Qt::NoPen);
    painter.setBrush(look.symbol);
    DrawSymbol(painter, symbol, box);
    return image;
}

TImageList PrevKnappar() {
    return MakeList(TransportSymbol::Prev, QSize(16, 16), 2);
}
TImageList StopKnappar() {
    return MakeList(TransportSymbol::Stop, QSize(16, 16), 2);
}
TImageList PlayKnappar() {
    return MakeList(TransportSymbol::Play, QSize(16, 15), 3);
}
TImageList PausKnappar() {
    return MakeList(TransportSymbol::Pause, QSize(16, 15), 3);
}
TImageList NextKnappar() {
    return MakeList(TransportSymbol::Next, QSize(16, 16), 2);
}

TImageList KnapparFor(const QString& buttonName) {
    if (buttonName == QLatin1String("PrevBtn")) {
        return PrevKnappar();
    }
    if (buttonName == QLatin1String("StopBtn")) {
        return StopKnappar();
    }
    if (buttonName == QLatin1String("PlayBtn")) {
        return PlayKnappar();
    }
    if (buttonName == QLatin1String("PausBtn")) {
        return PausKnappar();
    }
    if (buttonName == QLatin1String("NextBtn")) {
        return NextKnappar();
    }
    return {};
}

int ReleasedImageIndex(const QString& buttonName, int channelActive) {
    if (buttonName == QLatin1String("PlayBtn")) {
        return channelActive == ChannelPlaying ? 2 : 0;
    }
    if (buttonName == QLatin1String("PausBtn")) {
        return channelActive == ChannelPaused ? 2 : 0;
    }
    return 0;
}

void BtnMouseDown(TImageEx* sender) {
    if (sender != nullptr) {
        sender->ShowImage(KnapparFor(sender->objectName()), 1, true);
    }
}

void BtnMouseUp(TImageEx* sender, int channelActive) {
    if (sender != nullptr) {
        const QString name = sender->objectName();
        sender->ShowImage(KnapparFor(name), ReleasedImageIndex(name, channelActive));
    }
}

}  // namespace vok
