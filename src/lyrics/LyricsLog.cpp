#include "lyrics/LyricsLog.h"

namespace vok {

Q_LOGGING_CATEGORY(lcLyrics, "vok.lyrics", QtWarningMsg)

}  // namespace vok
