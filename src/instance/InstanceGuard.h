#pragma once

#include "instance/HandOverMessage.h"
#include "instance/RuntimeFolder.h"

#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>

#include <sys/types.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <vector>

class QLocalSocket;
class QSocketNotifier;
class QTimer;

namespace vok {

// The player's instance name; with the user, the session and the host it names the lock and the
// socket.
inline const QString kInstanceName = QStringLiteral("{7AC38E4F-3C04-4a3f-B853-46E8D6A470B2}");

// Receives the parameters of one hand-over together, in the order they were named.
using HandOverSink = std::function<void(const QStringList&)>;

struct GuardOptions {
    // The folder the private folder of the lock and the socket is made in; empty: the runtime
    // folder, else the cache folder (InstanceRuntimeFolder()).
    QString RuntimeFolder;
    // The logon session the player is unique in.
    QString SessionId = qEnvironmentVariable("XDG_SESSION_ID");
    // Where relative parameters of a second start are resolved; empty: the current folder.
    QString WorkingFolder;
    // A second start tries to hand over once, then again after each pause, this many times: the
    // instance may still be coming up, or may have dropped the connection in a flood.
    int ConnectRetries = 10;
    int RetryDelayMs = 1000;
    // A connection that has not delivered its whole message by then is dropped.
    int ClientTimeoutMs = 5000;
    qsizetype MaxMessageBytes = kMaxHandOverBytes;
    // What all unfinished messages together may hold, and how many connections may wait at once:
    // a flood of connections costs at most about this much.
    qsizetype MaxHeldBytes = 2 * kMaxHandOverBytes;
    int MaxWaitingClients = 32;
    // How often the instance checks that its socket is still there and, after running out of
    // descriptors, tries again to accept.
    int WatchIntervalMs = 1000;
    // The only user whose hand-overs are taken up.
    uid_t AllowedUser = ::geteuid();
};

// The short file name the lock and the socket share, from the instance name, the user id, the
// session id and the host (a home folder may be shared between machines).
QString InstanceKey(const QString& instanceName, uid_t user, const QString& sessionId);

// One running player per user session. The first process to take the lock is the instance and
// listens on a local socket; a later start hands its parameters over that socket and ends. Both
// happen before any application object exists; the instance takes hand-overs up once Serve runs.
// Everything the instance does for a connection runs on the event loop and never waits on the
// other end. The lock is held only while the socket listens.
class InstanceGuard : public QObject {
    Q_OBJECT

  public:
    explicit InstanceGuard(GuardOptions options = {}, QObject* parent = nullptr);
    ~InstanceGuard() override;

    // True when another instance runs: `parameters`, when there are any, were handed to it and
    // this process should end. False: this process is the instance (or no private folder or
    // socket could be had, and it runs unguarded). Needs no application object.
    bool AlreadyRunning(const QStringList& parameters, const QString& instanceName = kInstanceName);

    // From now on hand-overs are taken up and given to `onHandOver`; the sender is answered once
    // it returned. Needs the application object.
    void Serve(HandOverSink onHandOver);

    QString LockFilePath() const;
    QString SocketPath() const;
    bool IsListening() const { return listening_ >= 0; }
    // What unfinished messages hold, and how many connections wait for theirs to complete.
    qsizetype HeldBytes() const { return heldBytes_; }
    int WaitingClients() const { return static_cast<int>(waiting_.size()); }

  private:
    struct Waiting {
        QLocalSocket* Socket;
        QByteArray Received;
    };
    enum class SocketFile { Ours, Missing, Foreign };

    QByteArray SocketAddress() const;
    bool Listen();
    void StartAccepting();
    void StopListening();
    SocketFile SocketFileState() const;
    void Watch();
    bool HandOverTo(const QStringList& parameters) const;
    void AcceptPending();
    void Accept(QLocalSocket* socket);
    void Read(QLocalSocket* socket);
    bool MakeRoom(const QLocalSocket* socket, qsizetype incoming);
    Waiting* Find(const QLocalSocket* socket);
    void Forget(const QLocalSocket* socket);
    void Drop(QLocalSocket* socket, const QString& why);

    GuardOptions options_;
    PrivateFolder folder_;
    QString key_;
    bool called_ = false;
    // The lock outlives the socket: the socket goes first at the end.
    std::unique_ptr<QLockFile> lock_;
    int listening_ = -1;
    dev_t socketDevice_ = 0;
    ino_t socketInode_ = 0;
    QSocketNotifier* notifier_ = nullptr;
    QTimer* watch_ = nullptr;
    bool acceptPaused_ = false;
    std::vector<Waiting> waiting_;  // in the order they connected
    qsizetype heldBytes_ = 0;
    HandOverSink receiver_;
};

}  // namespace vok
