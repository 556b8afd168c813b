#pragma once

#include <QLoggingCategory>

// The player's decisions and the failures it reports to the user ("vok.player"); debug and info
// are off unless QT_LOGGING_RULES switches them on.
Q_DECLARE_LOGGING_CATEGORY(lcPlayer)
