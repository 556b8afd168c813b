#include "instance/RuntimeFolder.h"

#include <QDebug>
#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <utility>

namespace vok {

namespace {

constexpr mode_t kPrivateMode = 0700;

// Why a parent folder cannot hold the private folder; null when it can.
const char* ParentRefusal(const struct stat& info) {
    if (info.st_uid != ::geteuid() && info.st_uid != 0) {
        return "it belongs to another user";
    }
    // Whoever may write to it could put a folder of their own in place of ours, unless the
    // sticky bit keeps them from renaming what is not theirs.
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (info.st_mode & S_ISVTX) == 0) {
        return "other users may write to it";
    }
    return nullptr;
}

QString UserCacheFolder() {
    const QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    return QDir::isAbsolutePath(cache) ? cache : QDir::homePath() + QStringLiteral("/.cache");
}

void WarnRefused(const PrivateFolder& folder, const char* consequence) {
    // Shown whatever the logging rules: without it two players could run and nobody would know.
    qWarning().noquote() << QStringLiteral(
                                "vokplayer: cannot keep the instance lock in %1 (%2); %3")
                                .arg(folder.Path(), folder.Refusal(), QLatin1String(consequence));
}

}  // namespace

Descriptor::~Descriptor() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

PrivateFolder::~PrivateFolder() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
}

PrivateFolder::PrivateFolder(PrivateFolder&& other) noexcept
    : path_(std::move(other.path_)),
      refusal_(std::move(other.refusal_)),
      descriptor_(std::exchange(other.descriptor_, -1)) {}

PrivateFolder& PrivateFolder::operator=(PrivateFolder&& other) noexcept {
    if (this != &other) {
        if (descriptor_ >= 0) {
            ::close(descriptor_);
        }
        path_ = std::move(other.path_);
        refusal_ = std::move(other.refusal_);
        descriptor_ = std::exchange(other.descriptor_, -1);
    }
    return *this;
}

PrivateFolder PrivateFolder::Open(const QString& parent) {
    PrivateFolder folder;
    folder.path_ = parent + QLatin1Char('/') + kPrivateFolderName;
    const auto refuse = [&folder](const char* why) {
        folder.refusal_ = QString::fromLocal8Bit(why);
        return std::move(folder);
    };
    const Descriptor parentFolder(
        ::open(QFile::encodeName(parent).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat info {};
    if (parentFolder.get() < 0 || ::fstat(parentFolder.get(), &info) != 0) {
        return refuse(std::strerror(errno));
    }
    if (const char* why = ParentRefusal(info)) {
        return refuse(why);
    }
    const QByteArray name = QFile::encodeName(kPrivateFolderName);
    const bool made = ::mkdirat(parentFolder.get(), name.constData(), kPrivateMode) == 0;
    if (!made && errno != EEXIST) {
        return refuse(std::strerror(errno));
    }
    // Opened without following a link and checked through the descriptor, so what is checked is
    // what is used.
    Descriptor own(::openat(parentFolder.get(), name.constData(),
                            O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (own.get() < 0) {
        return refuse(errno == ELOOP || errno == ENOTDIR ? "not a folder of its own"
                                                         : std::strerror(errno));
    }
    if (::fstat(own.get(), &info) != 0) {
        return refuse(std::strerror(errno));
    }
    if (info.st_uid != ::geteuid()) {
        return refuse("it belongs to another user");
    }
    if (made) {
        // Just made, so ours to set: the umask may have left it narrower than 0700.
        if (::fchmod(own.get(), kPrivateMode) != 0) {
            return refuse(std::strerror(errno));
        }
    } else if ((info.st_mode & 07777) != kPrivateMode) {
        return refuse("its mode is not 0700, and it is left as it is");
    }
    folder.descriptor_ = own.release();
    return folder;
}

QByteArray PrivateFolder::SocketAddress(const QString& name) const {
    const QByteArray direct = QFile::encodeName(path_ + QLatin1Char('/') + name);
    if (direct.size() < static_cast<qsizetype>(sizeof(sockaddr_un::sun_path))) {
        return direct;
    }
    // The kernel resolves the descriptor's entry to this very folder, in this process.
    return QByteArrayLiteral("/proc/self/fd/") + QByteArray::number(descriptor_) + '/' +
           QFile::encodeName(name);
}

PrivateFolder InstanceRuntimeFolder(const QString& parent) {
    if (!parent.isEmpty()) {
        PrivateFolder folder = PrivateFolder::Open(parent);
        if (!folder.IsValid()) {
            WarnRefused(folder, "the player runs without it");
        }
        return folder;
    }
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) {
        PrivateFolder folder = PrivateFolder::Open(runtime);
        if (folder.IsValid()) {
            return folder;
        }
        WarnRefused(folder, "the cache folder is used instead");
    }
    const QString cache = UserCacheFolder();
    // The user's cache folder may not exist yet; made here, it is made private.
    ::mkdir(QFile::encodeName(cache).constData(), kPrivateMode);
    PrivateFolder folder = PrivateFolder::Open(cache);
    if (!folder.IsValid()) {
        WarnRefused(folder, "the player runs without it, and a second start opens a second player");
    }
    return folder;
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
