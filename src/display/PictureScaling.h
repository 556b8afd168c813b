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
// Draws again, as DrawPictureFitted does, only the part of the fitted picture that shows the
// pixels `changed` of `picture` (inside `source`), and returns the area of `target` it drew.
QRect DrawPictureChange(QImage& target, const QRect& area, const QImage& picture,
                        const QRect& source, const QRect& changed);

}  // namespace vok
