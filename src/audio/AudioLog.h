#pragma once

#include <QLoggingCategory>

// Messages of the audio layer. Warnings (a file that cannot be played, and why) are on by default;
// debug and info output is switched on with QT_LOGGING_RULES="vok.audio.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcAudio)
