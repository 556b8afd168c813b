#pragma once

#include <QString>

namespace vok {

// Time text of a whole number of milliseconds as hh:mm:ss; each number gets one leading "0" unless
// it already has exactly two characters, so 100 hours read "0100".
QString FormatTime(int ms);

}  // namespace vok
