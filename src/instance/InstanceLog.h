#pragma once

#include <QLoggingCategory>

// Dropped hand-over connections and guard set-up failures ("vok.instance"); debug and info are off
// unless QT_LOGGING_RULES switches them on.
Q_DECLARE_LOGGING_CATEGORY(lcInstance)
