#include "display/PictureScaling.h"

#include <QPainter>

#include <algorithm>

namespace vok {

namespace {

// Below this the smoothing would only blur the whole-factor picture for a few pixels more.
constexpr double kSmoothFrom = 1.15;

}  // namespace

QRect FitCentred(QSize source, const QRect& area) {
    if (source.isEmpty() || area.isEmpty()) {
        return {};
    }
    const QSize fitted = source.scaled(area.size(), Qt::KeepAspectRatio);
    return QRect(area.x() + (area.width() - fitted.width()) / 2,
                 area.y() + (area.height() - fitted.height()) / 2, fitted.width(), fitted.height());
}

void DrawPictureFitted(QImage& target, const QRect& area, const QImage& picture,
                       const QRect& source) {
    QPainter painter(&target);
    painter.fillRect(area, Qt::black);
    const QRect fitted = FitCentred(source.size(), area);
    if (fitted.isEmpty() || picture.isNull()) {
        return;
    }
    const int whole =
        std::max(1, std::min(fitted.width() / source.width(), fitted.height() / source.height()));
    const double rest = static_cast<double>(fitted.width()) / (source.width() * whole);
    if (rest < kSmoothFrom) {
        // Whole pixels only, centred in the fitted place.
        const QSize size(source.width() * whole, source.height() * whole);
        const QRect place(area.x() + (area.width() - size.width()) / 2,
                          area.y() + (area.height() - size.height()) / 2, size.width(),
                          size.height());
        painter.drawImage(place, picture, source);
        return;
    }
    const QImage sharp = picture.copy(source).scaled(source.size() * whole, Qt::IgnoreAspectRatio,
                                                     Qt::FastTransformation);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(fitted, sharp);
}

}  // namespace vok
