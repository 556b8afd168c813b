#pragma once

#include "instance/HandOverMessage.h"

#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>

#include <sys/types.h>
#include <unistd.h>

#include <memory>

class QLocalServer;
class QLocalSocket;

namespace vok {

// The player's instance name; with the user and the session it names the lock and the socket.
inline const QString kInstanceName = QStringLiteral("{7AC38E4F-3C04-4a3f-B853-46E8D6A470B2}");

struct GuardOptions {
    // Where the lock and the socket live; empty: InstanceRuntimeFolder().
    QString RuntimeFolder;
    // The logon session the player is unique in.
    QString SessionId = qEnvironmentVariable("XDG_SESSION_ID");
    // Where relative parameters of a second start are resolved; empty: the current folder.
    QString WorkingFolder;
    // A second start tries to connect once, then again after each pause, this many times.
    int ConnectRetries = 10;
    int RetryDelayMs = 1000;
    // A connection that has not delivered its whole message by then is dropped.
    int ClientTimeoutMs = 5000;
    qsizetype MaxMessageBytes = kMaxHandOverBytes;
    // The only user whose hand-overs are taken up.
    uid_t AllowedUser = ::geteuid();
};

// The file name the lock and the socket share: instance name, user id and a file-safe form of
// the session id, when there is one.
QString InstanceKey(const QString& instanceName, uid_t user, const QString& sessionId);

// One running player per user session. The first process to take the lock is the instance and
// listens on a local socket; a later start hands its parameters over that socket and ends.
// Everything the instance does for a connection runs on the event loop and never waits on the
// other end.
class InstanceGuard : public QObject {
    Q_OBJECT

  public:
    explicit InstanceGuard(GuardOptions options = {}, QObject* parent = nullptr);
    ~InstanceGuard() override;

    // True when another instance runs: `parameters`, when there are any, were handed to it and
    // this process should end. False: this process is the instance (or no private folder could
    // be had, and it runs unguarded).
    bool AlreadyRunning(const QStringList& parameters, const QString& instanceName = kInstanceName);

    // Where handed-over parameters go, one by one; the sender is answered once it returned.
    void SetReceiver(ParameterSink onParameter) { receiver_ = std::move(onParameter); }

    QString LockFilePath() const { return base_ + QStringLiteral(".lock"); }
    QString SocketPath() const { return base_ + QStringLiteral(".socket"); }
    bool IsListening() const;

  private:
    void Listen();
    void HandOverTo(const QStringList& parameters) const;
    void Accept(QLocalSocket* socket);
    void Drop(QLocalSocket* socket, const QString& why) const;

    GuardOptions options_;
    QString base_;
    bool called_ = false;
    // The lock outlives the server: the socket goes first at the end.
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
    ParameterSink receiver_;
};

}  // namespace vok
