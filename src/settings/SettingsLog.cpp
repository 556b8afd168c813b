#include "settings/SettingsLog.h"

namespace vok {

Q_LOGGING_CATEGORY(lcSettings, "vok.settings", QtWarningMsg)

}  // namespace vok
