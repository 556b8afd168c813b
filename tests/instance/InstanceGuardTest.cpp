// The instance's side of a hand-over, in this process, with raw sockets as the other ends.
#include "instance/InstanceGuard.h"
#include "instance/RuntimeFolder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QTimer>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <vector>

namespace vok {
namespace {

QStringList& InstanceLog() {
    static QStringList lines;
    return lines;
}

// The guard's log, and warnings of the default category, shown whatever the logging rules.
void KeepInstanceLog(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    const QByteArray category(context.category);
    if (category == "vok.instance" || (category == "default" && type == QtWarningMsg)) {
        InstanceLog().append(category == "default" ? QStringLiteral("shown: ") + text : text);
    }
}

// Runs the event loop until `done` holds; false after a generous limit, so a fault fails the
// test instead of hanging it.
bool RunUntil(const std::function<bool()>& done) {
    const QDeadlineTimer limit(10000);
    while (!done()) {
        if (limit.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

mode_t Mode(const QString& path) {
    struct stat info {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

class InstanceGuardTest : public testing::Test {
  protected:
    void SetUp() override {
        previousHandler = qInstallMessageHandler(KeepInstanceLog);
        InstanceLog().clear();
    }
    void TearDown() override { qInstallMessageHandler(previousHandler); }

    InstanceGuard& Instance(uid_t allowed = ::geteuid()) {
        GuardOptions options;
        options.RuntimeFolder = dir.Path();
        options.SessionId = QStringLiteral("test");
        options.ClientTimeoutMs = 300;
        options.MaxMessageBytes = 4096;
        options.MaxHeldBytes = 8192;
        options.MaxWaitingClients = 4;
        options.WatchIntervalMs = 20;
        options.AllowedUser = allowed;
        guard = std::make_unique<InstanceGuard>(options);
        EXPECT_FALSE(guard->AlreadyRunning({QStringLiteral("own.vok")}));
        EXPECT_TRUE(guard->IsListening());
        guard->Serve([this](const QStringList& parameters) { received += parameters; });
        return *guard;
    }

    std::unique_ptr<QLocalSocket> Client(const QByteArray& sent = {}) {
        auto socket = std::make_unique<QLocalSocket>();
        socket->connectToServer(guard->SocketPath());
        EXPECT_TRUE(socket->waitForConnected(5000));
        if (!sent.isEmpty()) {
            socket->write(sent);
            socket->flush();
        }
        return socket;
    }

    static bool Gone(const QLocalSocket& socket) {
        return socket.state() == QLocalSocket::UnconnectedState;
    }

    test::TempDir dir;
    std::unique_ptr<InstanceGuard> guard;
    QStringList received;
    QtMessageHandler previousHandler = nullptr;
};

TEST_F(InstanceGuardTest, AHandOverIsTakenUpInOrderAndAnsweredAfterwards) {
    Instance();
    int seenWhenAnswered = -1;
    const auto client =
        Client(EncodeHandOver({QStringLiteral("/a/x.vok"), QStringLiteral("/AUTOQUIT")}));
    QObject::connect(client.get(), &QLocalSocket::readyRead,
                     [&] { seenWhenAnswered = static_cast<int>(received.size()); });
    ASSERT_TRUE(RunUntil([&] { return Gone(*client); }));
    EXPECT_EQ(received, (QStringList{QStringLiteral("/a/x.vok"), QStringLiteral("/AUTOQUIT")}));
    EXPECT_EQ(seenWhenAnswered, 2) << "the answer comes after every parameter was taken up";
    EXPECT_EQ(client->readAll(), HandOverReply());
    EXPECT_TRUE(InstanceLog().isEmpty());

    // A socket file removed from under the instance is made anew, and answered on.
    ASSERT_TRUE(QFile::remove(guard->SocketPath()));
    ASSERT_TRUE(RunUntil([&] { return QFileInfo::exists(guard->SocketPath()); }));
    const auto later = Client(EncodeHandOver({QStringLiteral("/b.vok")}));
    ASSERT_TRUE(RunUntil([&] { return received.size() == 3 && Gone(*later); }));
}

TEST_F(InstanceGuardTest, AFloodStaysWithinItsCapsAndAHandOverDuringItIsStillAnswered) {
    Instance();
    const QByteArray partial = EncodeHandOver({QString(1990, QLatin1Char('x'))}).chopped(8);
    std::vector<std::unique_ptr<QLocalSocket>> flood;
    for (int i = 0; i < 12; ++i) {
        flood.push_back(Client(partial));
    }
    const auto good = Client(EncodeHandOver({QStringLiteral("/good.vok")}));
    qsizetype most = 0;
    ASSERT_TRUE(RunUntil([&] {
        most = qMax(most, guard->HeldBytes());
        EXPECT_LE(guard->WaitingClients(), 4);
        return Gone(*good);
    }));
    EXPECT_LE(most, 8192);
    EXPECT_EQ(received, QStringList{QStringLiteral("/good.vok")});
    EXPECT_EQ(good->readAll(), HandOverReply());
}

TEST_F(InstanceGuardTest, OversizeAndMalformedMessagesAreDroppedAndLogged) {
    Instance();
    QByteArray oversize(4, '\0');
    oversize[0] = static_cast<char>(0xFD);
    oversize[1] = 0x0F;  // 4093 + 4 bytes: one past the cap
    QByteArray trailing = EncodeHandOver({QStringLiteral("x")});
    trailing.append('!');
    for (const QByteArray& sent : {oversize, QByteArray("\x06\0\0\0\0\0\0\0\0\0", 10), trailing}) {
        InstanceLog().clear();
        const auto client = Client(sent);
        ASSERT_TRUE(RunUntil([&] { return Gone(*client); }));
        EXPECT_EQ(client->bytesAvailable(), 0) << "no answer to a dropped message";
        ASSERT_EQ(InstanceLog().size(), 1);
        EXPECT_TRUE(InstanceLog().constFirst().startsWith(QLatin1String("dropped")));
    }
    EXPECT_TRUE(received.isEmpty());
}

TEST_F(InstanceGuardTest, SilentAndSlowClientsNeverBlockAndAreDroppedAfterTheirTime) {
    Instance();
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(5);

    const auto silent = Client();
    const QByteArray frame = EncodeHandOver({QStringLiteral("/slow.vok")});
    const auto slow = Client(frame.left(frame.size() - 1));
    // A good client meanwhile is served at once, while the other two sit connected.
    const auto good = Client(EncodeHandOver({QStringLiteral("/good.vok")}));
    ASSERT_TRUE(RunUntil([&] { return Gone(*good); }));
    EXPECT_EQ(received, QStringList{QStringLiteral("/good.vok")});
    EXPECT_FALSE(Gone(*silent));
    EXPECT_FALSE(Gone(*slow));

    const int ticksBefore = ticks;
    ASSERT_TRUE(RunUntil([&] { return Gone(*silent) && Gone(*slow); }));
    EXPECT_GT(ticks, ticksBefore) << "the event loop kept running while they sat";
    EXPECT_EQ(InstanceLog().size(), 2);
    EXPECT_EQ(received, QStringList{QStringLiteral("/good.vok")});
}

TEST_F(InstanceGuardTest, AnotherUsersMessageIsDropped) {
    Instance(::geteuid() + 1);
    const auto client = Client(EncodeHandOver({QStringLiteral("/x.vok")}));
    ASSERT_TRUE(RunUntil([&] { return Gone(*client); }));
    EXPECT_TRUE(received.isEmpty());
    ASSERT_EQ(InstanceLog().size(), 1);
    EXPECT_TRUE(InstanceLog().constFirst().contains(QString::number(::geteuid())));

    // The peer's user as the kernel reports it, and nothing for what is no socket.
    int ends[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
    EXPECT_EQ(PeerUserId(ends[0]), ::geteuid());
    ::close(ends[0]);
    ::close(ends[1]);
    EXPECT_FALSE(PeerUserId(ends[0]).has_value());
    EXPECT_FALSE(PeerUserId(-1).has_value());
}

TEST_F(InstanceGuardTest, ThePrivateFolderIsMadeInsideAndNothingElseIsChanged) {
    const QString runtime = dir.MakeDir(QStringLiteral("run"));
    ::chmod(QFile::encodeName(runtime).constData(), 01755);
    const PrivateFolder made = PrivateFolder::Open(runtime);
    ASSERT_TRUE(made.IsValid());
    EXPECT_EQ(Mode(runtime), 01755U) << "a folder the player did not make is left as it is";
    EXPECT_EQ(Mode(made.Path()), 0700U);

    const QString open = dir.MakeDir(QStringLiteral("open/vokplayer"));
    ::chmod(QFile::encodeName(open).constData(), 0777);
    ASSERT_TRUE(QFile::link(open, dir.MakeDir(QStringLiteral("linked")) + "/vokplayer"));
    dir.Write(QStringLiteral("file/vokplayer"), "x");
    for (const char* refused : {"open", "linked", "file", "missing"}) {
        EXPECT_FALSE(PrivateFolder::Open(dir.FilePath(QLatin1String(refused))).IsValid())
            << refused;
    }
    EXPECT_EQ(Mode(open), 0777U);

    // Without a private folder, or a socket, the player runs unguarded and holds no lock.
    GuardOptions options;
    options.RuntimeFolder = dir.FilePath(QStringLiteral("file"));
    InstanceGuard unguarded(options);
    EXPECT_FALSE(unguarded.AlreadyRunning({QStringLiteral("a.vok")}));
    EXPECT_FALSE(unguarded.IsListening());
    options.RuntimeFolder = runtime;
    options.SessionId = QStringLiteral("test");
    dir.MakeDir(QStringLiteral("run/vokplayer/") +
                InstanceKey(kInstanceName, ::geteuid(), options.SessionId) + ".socket/x");
    InstanceGuard socketless(options);
    EXPECT_FALSE(socketless.AlreadyRunning({QStringLiteral("a.vok")}));
    EXPECT_FALSE(socketless.IsListening());
    EXPECT_FALSE(QFileInfo::exists(socketless.LockFilePath()));
}

TEST_F(InstanceGuardTest, WithoutAUsableRuntimeFolderThePrivateCacheFolderIsUsedAndAWarningShown) {
    const QString runtime = dir.MakeDir(QStringLiteral("run"));
    ASSERT_TRUE(QFile::link(dir.MakeDir(QStringLiteral("theirs")), runtime + "/vokplayer"));
    const QString cache = dir.FilePath(QStringLiteral("cache"));
    const QByteArray before = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache));
    qunsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(InstanceRuntimeFolder().Path(), cache + "/vokplayer");
    EXPECT_TRUE(InstanceLog().isEmpty());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    EXPECT_EQ(InstanceRuntimeFolder().Path(), cache + "/vokplayer");
    qputenv("XDG_RUNTIME_DIR", before);
    qunsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(Mode(cache + "/vokplayer"), 0700U);
    ASSERT_EQ(InstanceLog().size(), 1);
    EXPECT_TRUE(
        InstanceLog().constFirst().startsWith("shown: vokplayer: cannot keep the instance "
                                              "lock in " +
                                              runtime + "/vokplayer ("));
}

TEST_F(InstanceGuardTest, TheNameIsShortAndDiffersByInstanceUserAndSession) {
    const QString key = InstanceKey(kInstanceName, 1000, QStringLiteral("c2"));
    EXPECT_EQ(InstanceKey(kInstanceName, 1000, QString(500, QLatin1Char('/'))).size(), 20);
    EXPECT_NE(InstanceKey(QStringLiteral("other"), 1000, QStringLiteral("c2")), key);
    EXPECT_NE(InstanceKey(kInstanceName, 0, QStringLiteral("c2")), key);
    EXPECT_NE(InstanceKey(kInstanceName, 1000, QString()), key);
}

}  // namespace
}  // namespace vok
