#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

#include <optional>
#include <utility>

namespace vok {

// Closes a descriptor on every path out, unless it is released.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor();
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

  private:
    int fd_;
};

// The player's own folder inside the runtime or the cache folder.
inline const QString kPrivateFolderName = QStringLiteral("vokplayer");

// The player's own folder inside a parent folder, held open while this object lives: only this
// user can enter it. The parent itself is never changed.
class PrivateFolder {
  public:
    PrivateFolder() = default;
    ~PrivateFolder();
    PrivateFolder(PrivateFolder&& other) noexcept;
    PrivateFolder& operator=(PrivateFolder&& other) noexcept;
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    // `parent`/vokplayer, made with mode 0700 when missing. An existing one must be a real folder
    // (not a link) of this user with mode 0700; it is used as it is or refused, never changed.
    // The parent must belong to this user or to root and, when others may write to it, carry the
    // sticky bit, so nobody else can swap the folder. Invalid, with Refusal() saying why, else.
    static PrivateFolder Open(const QString& parent);

    bool IsValid() const { return descriptor_ >= 0; }
    const QString& Path() const { return path_; }
    const QString& Refusal() const { return refusal_; }

    // `name` inside the folder as a local-socket address: its path when that fits an address,
    // else the same file reached through the descriptor held, so a folder of any length works.
    QByteArray SocketAddress(const QString& name) const;

  private:
    QString path_;
    QString refusal_;
    int descriptor_ = -1;
};

// Where the instance lock and socket live: the private folder in $XDG_RUNTIME_DIR, else in the
// user's cache folder ($XDG_CACHE_HOME or ~/.cache). A place refused is reported with a warning
// that is always shown; invalid when neither can be used safely. With `parent` given, only the
// private folder in it is tried.
PrivateFolder InstanceRuntimeFolder(const QString& parent = QString());

// The user id of the process at the other end of a connected local socket (SO_PEERCRED); none
// when the descriptor is not such a socket.
std::optional<uid_t> PeerUserId(qintptr descriptor);

}  // namespace vok
