#pragma once

#include <QLoggingCategory>

namespace vok {

// "vok.lyrics": warnings only, unless QT_LOGGING_RULES="vok.*.debug=true" switches on the rest.
Q_DECLARE_LOGGING_CATEGORY(lcLyrics)

}  // namespace vok
