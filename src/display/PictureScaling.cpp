#include "display/PictureScaling.h"

#include <QPainter>

#include <algorithm>
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
    if (rest < kSmoothFrom && target.format() == QImage::Format_RGB16) {
        // Whole pixels only, centred in the fitted place: each pixel repeated `whole` times
        // along its row, and the row copied `whole` times down.
        const QSize size(source.width() * whole, source.height() * whole);
        const QRect place(area.x() + (area.width() - size.width()) / 2,
                          area.y() + (area.height() - size.height()) / 2, size.width(),
                          size.height());
        painter.end();
        BlowUp16(picture.copy(source).convertToFormat(QImage::Format_RGB16), whole, target,
                 place.intersected(target.rect()));
        return;
    }
    const QImage sharp = picture.copy(source).scaled(source.size() * whole, Qt::IgnoreAspectRatio,
                                                     Qt::FastTransformation);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(fitted, sharp);
}

}  // namespace vok
