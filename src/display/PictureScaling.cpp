#include "display/PictureScaling.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace vok {

namespace {

// Below this the smoothing would only blur the whole-factor picture for a few pixels more.
constexpr double kSmoothFrom = 1.15;

// Copies `small` enlarged `factor` times into `place` of `target` (both 16-bit), as far as it
// fits there.
void BlowUp16(const QImage& small, int factor, QImage& target, const QRect& place) {
    const int width = std::min(small.width() * factor, place.width());
    std::vector<std::uint16_t> row(static_cast<std::size_t>(std::max(width, 0)));
    for (int y = 0; y < small.height(); ++y) {
        const auto* in = reinterpret_cast<const std::uint16_t*>(small.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            row[static_cast<std::size_t>(x)] = in[x / factor];
        }
        for (int repeat = 0; repeat < factor; ++repeat) {
            const int line = place.top() + y * factor + repeat;
            if (line > place.bottom()) {
                return;
            }
            std::memcpy(reinterpret_cast<std::uint16_t*>(target.scanLine(line)) + place.left(),
                        row.data(), row.size() * sizeof(std::uint16_t));
        }
    }
}

}  // namespace

QRect FitCentred(QSize source, const QRect& area) {
    if (source.isEmpty() || area.isEmpty()) {
        return {};
    }
    const QSize fitted = source.scaled(area.size(), Qt::KeepAspectRatio);
    return QRect(area.x() + (area.width() - fitted.width()) / 2,
                 area.y() + (area.height() - fitted.height()) / 2, fitted.width(), fitted.height());
}

namespace {

// How a picture's `source` is fitted into an area: the whole factor, and either the place of the
// whole-pixel enlargement or the smoothed rest of the way.
struct Fitting {
    QRect Fitted;
    int Whole = 1;
    bool Smooth = false;
    QRect Place;  // the whole-pixel enlargement, clipped to the target
};

Fitting FittingFor(const QImage& target, const QRect& area, const QRect& source) {
    Fitting fitting;
    fitting.Fitted = FitCentred(source.size(), area);
    if (fitting.Fitted.isEmpty()) {
        return fitting;
    }
    fitting.Whole = std::max(1, std::min(fitting.Fitted.width() / source.width(),
                                         fitting.Fitted.height() / source.height()));
    const double rest =
        static_cast<double>(fitting.Fitted.width()) / (source.width() * fitting.Whole);
    fitting.Smooth = !(rest < kSmoothFrom && target.format() == QImage::Format_RGB16);
    // Whole pixels only, centred in the fitted place.
    const QSize size(source.width() * fitting.Whole, source.height() * fitting.Whole);
    fitting.Place =
        QRect(area.x() + (area.width() - size.width()) / 2,
              area.y() + (area.height() - size.height()) / 2, size.width(), size.height())
            .intersected(target.rect());
    return fitting;
}

// The smoothed picture onto `target`, within `clip` when one is given: each target pixel comes
// from its own place in the picture, so a clipped draw gives the pixels of the whole one.
void DrawSmoothed(QImage& target, const Fitting& fitting, const QImage& picture,
                  const QRect& source, const QRect& clip) {
    const QImage sharp = picture.copy(source).scaled(source.size() * fitting.Whole,
                                                     Qt::IgnoreAspectRatio, Qt::FastTransformation);
    QPainter painter(&target);
    if (!clip.isNull()) {
        painter.setClipRect(clip);
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(fitting.Fitted, sharp);
}

}  // namespace

void DrawPictureFitted(QImage& target, const QRect& area, const QImage& picture,
                       const QRect& source) {
    {
        QPainter painter(&target);
        painter.fillRect(area, Qt::black);
    }
    const Fitting fitting = FittingFor(target, area, source);
    if (fitting.Fitted.isEmpty() || picture.isNull()) {
        return;
    }
    if (!fitting.Smooth) {
        // Each pixel repeated `whole` times along its row, and the row copied `whole` times down.
        BlowUp16(picture.copy(source).convertToFormat(QImage::Format_RGB16), fitting.Whole, target,
                 fitting.Place);
        return;
    }
    DrawSmoothed(target, fitting, picture, source, QRect());
}

QRect DrawPictureChange(QImage& target, const QRect& area, const QImage& picture,
                        const QRect& source, const QRect& changed) {
    const Fitting fitting = FittingFor(target, area, source);
    const QRect inside = changed.intersected(source).translated(-source.topLeft());
    if (fitting.Fitted.isEmpty() || picture.isNull() || inside.isEmpty()) {
        return {};
    }
    const int whole = fitting.Whole;
    if (!fitting.Smooth) {
        const QRect place =
            QRect(fitting.Place.x() + inside.x() * whole, fitting.Place.y() + inside.y() * whole,
                  inside.width() * whole, inside.height() * whole)
                .intersected(fitting.Place);
        if (place.isEmpty()) {
            return {};
        }
        BlowUp16(
            picture.copy(inside.translated(source.topLeft())).convertToFormat(QImage::Format_RGB16),
            whole, target, place);
        return place;
    }
    // A smoothed pixel blends its neighbours: the changed pixels reach a little further out,
    // so the rows drawn again take two source rows more above and below.
    const double scaleX = static_cast<double>(fitting.Fitted.width()) / source.width();
    const double scaleY = static_cast<double>(fitting.Fitted.height()) / source.height();
    const QRect reach(
        QPoint(fitting.Fitted.x() + static_cast<int>(std::floor((inside.left() - 2) * scaleX)),
               fitting.Fitted.y() + static_cast<int>(std::floor((inside.top() - 2) * scaleY))),
        QPoint(fitting.Fitted.x() + static_cast<int>(std::ceil((inside.right() + 3) * scaleX)),
               fitting.Fitted.y() + static_cast<int>(std::ceil((inside.bottom() + 3) * scaleY))));
    // Whole rows: the painter steps along a row from its first pixel, and a row begun anywhere
    // else can round a pixel differently.
    const QRect rows(fitting.Fitted.left(), reach.top(), fitting.Fitted.width(), reach.height());
    const QRect clip = rows.intersected(fitting.Fitted).intersected(target.rect());
    if (clip.isEmpty()) {
        return {};
    }
    DrawSmoothed(target, fitting, picture, source, clip);
    return clip;
}

}  // namespace vok
