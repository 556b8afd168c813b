#include "instance/InstanceGuard.h"

#include "instance/InstanceLog.h"
#include "instance/RuntimeFolder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace vok {

namespace {

constexpr int kConnectWaitMs = 1000;
constexpr qsizetype kReplyBytes = 4;

// Session ids are short and plain; anything else is hashed so the socket path stays a valid,
// short file name (a socket path holds at most 107 bytes).
QString FileSafe(const QString& text) {
    static constexpr qsizetype kMaxPlain = 16;
    const bool plain =
        text.size() <= kMaxPlain && std::all_of(text.begin(), text.end(), [](QChar c) {
            return c.isLetterOrNumber() && c.unicode() < 128;
        });
    if (plain) {
        return text;
    }
    return QString::fromLatin1(
        QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha1).toHex().left(kMaxPlain));
}

}  // namespace

QString InstanceKey(const QString& instanceName, uid_t user, const QString& sessionId) {
    const QString key = QStringLiteral("%1-%2").arg(instanceName).arg(user);
    return sessionId.isEmpty() ? key : key + QLatin1Char('-') + FileSafe(sessionId);
}

InstanceGuard::InstanceGuard(GuardOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)) {}

InstanceGuard::~InstanceGuard() {
    delete server_;
    server_ = nullptr;
}

bool InstanceGuard::IsListening() const {
    return server_ != nullptr && server_->isListening();
}

bool InstanceGuard::AlreadyRunning(const QStringList& parameters, const QString& instanceName) {
    Q_ASSERT_X(!called_, "AlreadyRunning", "Do not call AlreadyRunning more than once!");
    called_ = true;
    QString folder = options_.RuntimeFolder;
    if (folder.isEmpty()) {
        folder = InstanceRuntimeFolder();
    } else if (!MakePrivateFolder(folder, true)) {
        folder.clear();
    }
    if (folder.isEmpty()) {
        return false;
    }
    base_ = folder + QLatin1Char('/') + InstanceKey(instanceName, ::geteuid(), options_.SessionId);

    // A lock left by a crashed instance names a process that no longer runs; with no age limit
    // QLockFile takes over exactly such locks and never a live instance's.
    lock_ = std::make_unique<QLockFile>(LockFilePath());
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0)) {
        Listen();
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

void InstanceGuard::Listen() {
    // We hold the lock, so a socket file left here belongs to an instance that is gone.
    QLocalServer::removeServer(SocketPath());
    server_ = new QLocalServer;
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(SocketPath())) {
        qCWarning(lcInstance) << "cannot listen on" << SocketPath() << server_->errorString();
        return;
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            Accept(socket);
        }
    });
}

void InstanceGuard::HandOverTo(const QStringList& parameters) const {
    const QByteArray frame = EncodeHandOver(parameters);
    if (frame.size() > options_.MaxMessageBytes) {
        qCWarning(lcInstance) << "the parameters are too long to hand over:" << frame.size()
                              << "bytes";
        return;
    }
    for (int attempt = 0;; ++attempt) {
        QLocalSocket socket;
        socket.connectToServer(SocketPath());
        if (socket.waitForConnected(kConnectWaitMs)) {
            socket.write(frame);
            while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(-1)) {
            }
            // The instance answers once it opened the files and started play, as a message
            // sent to its window would return; an instance that goes away ends the wait.
            while (socket.bytesAvailable() < kReplyBytes && socket.waitForReadyRead(-1)) {
            }
            return;
        }
        // The instance may still be coming up: it holds the lock but does not listen yet.
        if (attempt >= options_.ConnectRetries) {
            return;
        }
        QThread::msleep(static_cast<unsigned long>(options_.RetryDelayMs));
    }
}

void InstanceGuard::Accept(QLocalSocket* socket) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    const std::optional<uid_t> peer = PeerUserId(socket->socketDescriptor());
    if (!peer || *peer != options_.AllowedUser) {
        Drop(socket, peer ? QStringLiteral("from user %1").arg(*peer)
                          : QStringLiteral("from an unknown user"));
        return;
    }
    auto* deadline = new QTimer(socket);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, socket,
            [this, socket] { Drop(socket, QStringLiteral("with no complete message in time")); });
    deadline->start(options_.ClientTimeoutMs);

    auto received = std::make_shared<QByteArray>();
    connect(socket, &QLocalSocket::readyRead, socket, [this, socket, deadline, received] {
        if (!deadline->isActive()) {
            socket->readAll();  // already answered or dropped
            return;
        }
        // Never more than one byte past the cap is kept.
        received->append(socket->read(options_.MaxMessageBytes + 1 - received->size()));
        const HandOverDecode decoded = DecodeHandOver(*received, options_.MaxMessageBytes);
        switch (decoded.status) {
            case HandOverDecode::Status::Incomplete:
                return;
            case HandOverDecode::Status::TooLarge:
            case HandOverDecode::Status::Malformed:
                deadline->stop();
                Drop(socket, QStringLiteral("malformed: %1").arg(decoded.error));
                return;
            case HandOverDecode::Status::Complete:
                break;
        }
        deadline->stop();
        received->clear();
        // Opening a file may run the event loop; the socket may be gone when it returns.
        const QPointer<QLocalSocket> alive(socket);
        if (receiver_) {
            ReceiveParameters(decoded.message, receiver_);
        }
        if (alive) {
            socket->write(HandOverReply());
            socket->disconnectFromServer();
        }
    });
}

void InstanceGuard::Drop(QLocalSocket* socket, const QString& why) const {
    qCWarning(lcInstance).noquote() << "dropped a hand-over" << why;
    socket->abort();
    socket->deleteLater();
}

}  // namespace vok
