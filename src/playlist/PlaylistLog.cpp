#include "playlist/PlaylistLog.h"

namespace vok {

Q_LOGGING_CATEGORY(lcPlaylist, "vok.playlist", QtWarningMsg)

}  // namespace vok
