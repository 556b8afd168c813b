#pragma once

#include <QImage>
#include <QRect>

namespace vok {

// Where a picture of `source` size goes inside `area`: as large as fits with its aspect kept,
// centred.
QRect FitCentred(QSize source, const QRect& area);

// Draws `source` of `picture` as large as fits into `area` of `target`, centred, black around.
// Blocky picture letters stay sharp: the largest whole factor that fits is taken pixel for pixel;
// only the rest of the way, when it is more than a small step, is smoothed.
void DrawPictureFitted(QImage& target, const QRect& area, const QImage& picture,
                       const QRect& source);

}  // namespace vok
