#include "instance/InstanceLog.h"

Q_LOGGING_CATEGORY(lcInstance, "vok.instance", QtWarningMsg)
