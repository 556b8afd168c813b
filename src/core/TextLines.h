#pragma once

#include <QString>
#include <QStringList>

namespace vok {

// Every line of the text; CR LF, LF and CR all end a line, and a last line without an end counts.
QStringList SplitLines(QStringView text);

// The text without the characters at or below the space (blanks, tabs, control characters) at
// either end, as fixed-width fields padded on Windows need.
QString TrimControls(QStringView text);

}  // namespace vok
