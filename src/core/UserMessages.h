#pragma once

#include <QString>

namespace vok {

// What the user is told when a settings or list file could not be replaced.
QString UnableToWriteMessage(const QString& path);

}  // namespace vok
