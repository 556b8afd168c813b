#include "core/UserMessages.h"

namespace vok {

QString UnableToWriteMessage(const QString& path) {
    return QStringLiteral("Unable to write to %1").arg(path);
}

}  // namespace vok
