#include "instance/InstanceGuard.h"

#include "instance/InstanceLog.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>
#include <QPointer>
#include <QSocketNotifier>
#include <QSysInfo>
#include <QThread>
#include <QTimer>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vok {

namespace {

constexpr int kConnectWaitSeconds = 1;
constexpr qsizetype kReplyBytes = 4;
constexpr int kBacklog = 64;
// What the socket of one connection may hold before the guard takes it: little, so many waiting
// connections cost little; the rest waits in the kernel until it is read.
constexpr qint64 kReadChunk = 16 * 1024;

std::optional<sockaddr_un> UnixAddress(const QByteArray& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= static_cast<qsizetype>(sizeof address.sun_path)) {
        return std::nullopt;
    }
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()) + 1);
    return address;
}

void SetSendWait(int socket, int seconds) {
    const timeval wait{seconds, 0};
    ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
}

// One connection to the instance: the whole frame, then its answer, sent once it opened the files
// and started play, as a message sent to its window would return. False when no answer came: no
// instance listened, or the connection was dropped before the message was taken up.
bool HandOverOnce(const QByteArray& socketAddress, const QByteArray& frame) {
    const std::optional<sockaddr_un> address = UnixAddress(socketAddress);
    const Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!address || socket.get() < 0) {
        return false;
    }
    // A full backlog makes connect wait; no longer than this. The answer has no time limit.
    SetSendWait(socket.get(), kConnectWaitSeconds);
    if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) !=
        0) {
        return false;
    }
    SetSendWait(socket.get(), 0);
    for (qsizetype sent = 0; sent < frame.size();) {
        const ssize_t n = ::send(socket.get(), frame.constData() + sent,
                                 static_cast<std::size_t>(frame.size() - sent), MSG_NOSIGNAL);
        if (n < 0 && errno != EINTR) {
            return false;
        }
        sent += std::max<ssize_t>(n, 0);
    }
    char reply[kReplyBytes];
    for (qsizetype got = 0; got < kReplyBytes;) {
        const ssize_t n = ::recv(socket.get(), reply + got, kReplyBytes - got, 0);
        if (n == 0 || (n < 0 && errno != EINTR)) {
            return false;
        }
        got += std::max<ssize_t>(n, 0);
    }
    return true;
}

}  // namespace

QString InstanceKey(const QString& instanceName, uid_t user, const QString& sessionId) {
    const QString identity = QStringLiteral("%1\n%2\n%3\n%4")
                                 .arg(instanceName)
                                 .arg(user)
                                 .arg(sessionId, QSysInfo::machineHostName());
    // Short whatever goes in, so the socket path stays short and a plain file name.
    return QStringLiteral("vok-") +
           QString::fromLatin1(
               QCryptographicHash::hash(identity.toUtf8(), QCryptographicHash::Sha256)
                   .toHex()
                   .left(16));
}

InstanceGuard::InstanceGuard(GuardOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)) {}

InstanceGuard::~InstanceGuard() {
    // The connections go first: what they report on their way out must not reach a guard that is
    // half gone.
    for (QLocalSocket* socket : findChildren<QLocalSocket*>(Qt::FindDirectChildrenOnly)) {
        socket->disconnect();
        delete socket;
    }
    if (IsListening() && SocketFileState() == SocketFile::Ours) {
        ::unlink(SocketAddress().constData());
    }
    StopListening();
}

QByteArray InstanceGuard::SocketAddress() const {
    return folder_.SocketAddress(key_ + QStringLiteral(".socket"));
}

QString InstanceGuard::LockFilePath() const {
    return folder_.Path() + QLatin1Char('/') + key_ + QStringLiteral(".lock");
}

QString InstanceGuard::SocketPath() const {
    return folder_.Path() + QLatin1Char('/') + key_ + QStringLiteral(".socket");
}

bool InstanceGuard::AlreadyRunning(const QStringList& parameters, const QString& instanceName) {
    Q_ASSERT_X(!called_, "AlreadyRunning", "Do not call AlreadyRunning more than once!");
    called_ = true;
    folder_ = InstanceRuntimeFolder(options_.RuntimeFolder);
    if (!folder_.IsValid()) {
        return false;
    }
    key_ = InstanceKey(instanceName, ::geteuid(), options_.SessionId);

    // A lock left by a crashed instance names a process that no longer runs; with no age limit
    // QLockFile takes over exactly such locks and never a live instance's.
    lock_ = std::make_unique<QLockFile>(LockFilePath());
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0)) {
        // Without a socket the lock would only make later starts wait on nobody and open
        // nothing: they had better run as the instance themselves.
        if (!Listen()) {
            lock_->unlock();
        }
        return false;
    }
    if (lock_->error() != QLockFile::LockFailedError) {
        qCWarning(lcInstance) << "cannot take the instance lock" << LockFilePath() << "error"
                              << lock_->error() << "- running without it";
        lock_.reset();
        return false;
    }
    lock_.reset();
    if (!parameters.isEmpty()) {
        const QString working =
            options_.WorkingFolder.isEmpty() ? QDir::currentPath() : options_.WorkingFolder;
        HandOverTo(ResolveParameters(parameters, working));
    }
    return true;
}

void InstanceGuard::Serve(HandOverSink onHandOver) {
    receiver_ = std::move(onHandOver);
    // A process that found another instance, or has no private folder, has nothing to serve.
    if (!lock_ || watch_ != nullptr) {
        return;
    }
    watch_ = new QTimer(this);
    connect(watch_, &QTimer::timeout, this, &InstanceGuard::Watch);
    watch_->start(options_.WatchIntervalMs);
    if (IsListening()) {
        StartAccepting();
    }
}

void InstanceGuard::StartAccepting() {
    notifier_ = new QSocketNotifier(listening_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &InstanceGuard::AcceptPending);
}

bool InstanceGuard::Listen() {
    const QByteArray path = SocketAddress();
    // We hold the lock, so a socket file left here belongs to an instance that is gone.
    ::unlink(path.constData());
    const std::optional<sockaddr_un> address = UnixAddress(path);
    Descriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    struct stat bound {};
    if (!address || socket.get() < 0 ||
        ::bind(socket.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0) {
        qCWarning(lcInstance) << "cannot listen on" << SocketPath() << std::strerror(errno);
        return false;
    }
    if (::listen(socket.get(), kBacklog) != 0 || ::stat(path.constData(), &bound) != 0) {
        qCWarning(lcInstance) << "cannot listen on" << SocketPath() << std::strerror(errno);
        ::unlink(path.constData());
        return false;
    }
    socketDevice_ = bound.st_dev;
    socketInode_ = bound.st_ino;
    listening_ = socket.release();
    if (watch_ != nullptr) {
        StartAccepting();
    }
    return true;
}

void InstanceGuard::StopListening() {
    delete notifier_;
    notifier_ = nullptr;
    if (listening_ >= 0) {
        ::close(listening_);
    }
    listening_ = -1;
    acceptPaused_ = false;
}

InstanceGuard::SocketFile InstanceGuard::SocketFileState() const {
    struct stat info {};
    const QByteArray path = SocketAddress();
    if (::lstat(path.constData(), &info) != 0) {
        return errno == ENOENT ? SocketFile::Missing : SocketFile::Ours;
    }
    return S_ISSOCK(info.st_mode) && info.st_dev == socketDevice_ && info.st_ino == socketInode_
               ? SocketFile::Ours
               : SocketFile::Foreign;
}

void InstanceGuard::Watch() {
    if (IsListening()) {
        switch (SocketFileState()) {
            case SocketFile::Ours:
                if (acceptPaused_) {
                    acceptPaused_ = false;
                    notifier_->setEnabled(true);
                }
                return;
            case SocketFile::Foreign:
                // Our lock was removed behind our back and another player took the name: it is
                // the instance now, and its socket is left alone.
                qCWarning(lcInstance) << "another player listens on" << SocketPath();
                StopListening();
                watch_->stop();
                return;
            case SocketFile::Missing:
                qCWarning(lcInstance) << "the instance socket was removed; listening again";
                StopListening();
                break;
        }
    }
    if (!lock_->isLocked() && !lock_->tryLock(0)) {
        if (lock_->error() == QLockFile::LockFailedError) {
            watch_->stop();  // another start became the instance meanwhile
        }
        return;
    }
    if (!Listen()) {
        lock_->unlock();
    }
}

bool InstanceGuard::HandOverTo(const QStringList& parameters) const {
    const QByteArray frame = EncodeHandOver(parameters);
    if (frame.size() > options_.MaxMessageBytes) {
        qCWarning(lcInstance) << "the parameters are too long to hand over:" << frame.size()
                              << "bytes";
        return false;
    }
    const QByteArray address = SocketAddress();
    for (int attempt = 0;; ++attempt) {
        if (HandOverOnce(address, frame)) {
            return true;
        }
        if (attempt >= options_.ConnectRetries) {
            return false;
        }
        QThread::msleep(static_cast<unsigned long>(options_.RetryDelayMs));
    }
}

void InstanceGuard::AcceptPending() {
    // A bounded number at a time, so a flood cannot keep the event loop here.
    for (int taken = 0; taken < options_.MaxWaitingClients; ++taken) {
        const int connection = ::accept4(listening_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) {
            if (errno == EINTR || errno == ECONNABORTED) {
                continue;
            }
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                // Out of descriptors or memory: the socket keeps listening and the connection
                // stays queued; the next check accepts again, once dropped ones freed some.
                qCWarning(lcInstance) << "cannot accept a hand-over:" << std::strerror(errno);
                acceptPaused_ = true;
                notifier_->setEnabled(false);
            }
            return;
        }
        auto* socket = new QLocalSocket(this);
        if (!socket->setSocketDescriptor(connection)) {
            ::close(connection);
            delete socket;
            continue;
        }
        Accept(socket);
    }
}

void InstanceGuard::Accept(QLocalSocket* socket) {
    connect(socket, &QLocalSocket::disconnected, socket, [this, socket] {
        Forget(socket);
        socket->deleteLater();
    });
    const std::optional<uid_t> peer = PeerUserId(socket->socketDescriptor());
    if (!peer || *peer != options_.AllowedUser) {
        Drop(socket, peer ? QStringLiteral("from user %1").arg(*peer)
                          : QStringLiteral("from an unknown user"));
        return;
    }
    socket->setReadBufferSize(kReadChunk);
    if (WaitingClients() >= options_.MaxWaitingClients) {
        Drop(waiting_.front().Socket, QStringLiteral("waiting longest, to make room for another"));
    }
    waiting_.push_back({socket, {}});
    QTimer::singleShot(options_.ClientTimeoutMs, socket, [this, socket] {
        if (Find(socket) != nullptr) {
            Drop(socket, QStringLiteral("with no complete message in time"));
        }
    });
    connect(socket, &QLocalSocket::readyRead, socket, [this, socket] { Read(socket); });
}

void InstanceGuard::Read(QLocalSocket* socket) {
    const Waiting* waiting = Find(socket);
    if (waiting == nullptr) {
        socket->readAll();  // already answered or dropped
        return;
    }
    // Never more than one byte past the cap is kept.
    const QByteArray chunk = socket->read(options_.MaxMessageBytes + 1 - waiting->Received.size());
    if (!MakeRoom(socket, chunk.size())) {
        return;
    }
    Waiting& entry = *Find(socket);
    entry.Received += chunk;
    heldBytes_ += chunk.size();
    const HandOverDecode decoded = DecodeHandOver(entry.Received, options_.MaxMessageBytes);
    switch (decoded.status) {
        case HandOverDecode::Status::Incomplete:
            return;
        case HandOverDecode::Status::TooLarge:
        case HandOverDecode::Status::Malformed:
            Drop(socket, QStringLiteral("malformed: %1").arg(decoded.error));
            return;
        case HandOverDecode::Status::Complete:
            break;
    }
    Forget(socket);
    // Opening a file may run the event loop; the socket may be gone when it returns.
    const QPointer<QLocalSocket> alive(socket);
    if (receiver_) {
        receiver_(HandedParameters(decoded.message));
    }
    if (alive) {
        socket->write(HandOverReply());
        socket->disconnectFromServer();
    }
}

bool InstanceGuard::MakeRoom(const QLocalSocket* socket, qsizetype incoming) {
    // Over the cap the connection that would hold the most is dropped, so a short message, as a
    // real hand-over is, gets through a flood of long unfinished ones.
    const auto held = [socket, incoming](const Waiting& waiting) {
        return waiting.Received.size() + (waiting.Socket == socket ? incoming : 0);
    };
    while (heldBytes_ + incoming > options_.MaxHeldBytes) {
        QLocalSocket* const largest = std::max_element(waiting_.begin(), waiting_.end(),
                                                       [&held](const Waiting& a, const Waiting& b) {
                                                           return held(a) < held(b);
                                                       })
                                          ->Socket;
        Drop(largest, QStringLiteral("holding the most of what waiting messages may hold"));
        if (largest == socket) {
            return false;
        }
    }
    return true;
}

InstanceGuard::Waiting* InstanceGuard::Find(const QLocalSocket* socket) {
    const auto found = std::find_if(waiting_.begin(), waiting_.end(),
                                    [socket](const Waiting& w) { return w.Socket == socket; });
    return found == waiting_.end() ? nullptr : &*found;
}

void InstanceGuard::Forget(const QLocalSocket* socket) {
    if (const Waiting* waiting = Find(socket)) {
        heldBytes_ -= waiting->Received.size();
        waiting_.erase(waiting_.begin() + (waiting - waiting_.data()));
    }
}

void InstanceGuard::Drop(QLocalSocket* socket, const QString& why) {
    Forget(socket);
    qCWarning(lcInstance).noquote() << "dropped a hand-over" << why;
    socket->abort();
    socket->deleteLater();
}

}  // namespace vok
