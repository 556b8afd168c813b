#include "instance/RuntimeFolder.h"

#include "instance/InstanceLog.h"

#include <QFile>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace vok {

namespace {

constexpr mode_t kPrivateMode = 0700;

// Closes a descriptor on every path out.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

bool Refuse(const QString& path, const char* why) {
    qCWarning(lcInstance) << "cannot use" << path << "for the instance lock:" << why;
    return false;
}

}  // namespace

bool MakePrivateFolder(const QString& path, bool create) {
    const QByteArray native = QFile::encodeName(path);
    if (create && ::mkdir(native.constData(), kPrivateMode) != 0 && errno != EEXIST) {
        return Refuse(path, std::strerror(errno));
    }
    // Opened without following a link, then checked and fixed through the descriptor, so the
    // folder cannot be swapped between the check and the fix.
    const Descriptor folder(
        ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folder.get() < 0) {
        return Refuse(path,
                      errno == ELOOP || errno == ENOTDIR ? "not a folder" : std::strerror(errno));
    }
    struct stat info {};
    if (::fstat(folder.get(), &info) != 0) {
        return Refuse(path, std::strerror(errno));
    }
    if (info.st_uid != ::geteuid()) {
        return Refuse(path, "owned by another user");
    }
    if ((info.st_mode & 07777) != kPrivateMode && ::fchmod(folder.get(), kPrivateMode) != 0) {
        return Refuse(path, std::strerror(errno));
    }
    return true;
}

QString InstanceRuntimeFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && MakePrivateFolder(runtime, false)) {
        return runtime;
    }
    const QString fallback = QStringLiteral("/tmp/vokplayer-%1").arg(::geteuid());
    if (MakePrivateFolder(fallback, true)) {
        return fallback;
    }
    return {};
}

std::optional<uid_t> PeerUserId(qintptr descriptor) {
    struct ucred credentials {};
    socklen_t size = sizeof credentials;
    if (descriptor < 0 ||
        ::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &size) !=
            0 ||
        size != sizeof credentials) {
        return std::nullopt;
    }
    return credentials.uid;
}

}  // namespace vok
