#pragma once

#include <QString>
#include <utility>

#include "core/UserMessages.h"

namespace vok {

// How a write of a settings or list file ended. A failed write leaves the old file whole; Message
// is what the user is shown then.
struct [[nodiscard]] WriteResult {
    bool Ok = false;
    QString Message;

    static WriteResult Written() { return {true, {}}; }
    static WriteResult Failed(QString message) { return {false, std::move(message)}; }
    // "Unable to write to <path>".
    static WriteResult UnableToWrite(const QString& path) {
        return Failed(UnableToWriteMessage(path));
    }
};

}  // namespace vok
