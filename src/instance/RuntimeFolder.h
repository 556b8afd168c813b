#pragma once

#include <QString>

#include <sys/types.h>

#include <optional>

namespace vok {

// Makes `path` a folder only this user can enter: created with mode 0700 when missing (and
// `create` is set); an existing one must be a real folder, not a link, owned by this user, and
// its mode is set to 0700. False, with the reason logged, when it cannot be made so.
bool MakePrivateFolder(const QString& path, bool create);

// Where the instance lock and socket live: $XDG_RUNTIME_DIR when it is such a folder, else
// /tmp/vokplayer-<uid>. Empty when neither can be used safely.
QString InstanceRuntimeFolder();

// The user id of the process at the other end of a connected local socket (SO_PEERCRED); none
// when the descriptor is not such a socket.
std::optional<uid_t> PeerUserId(qintptr descriptor);

}  // namespace vok
