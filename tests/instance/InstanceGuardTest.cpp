// The instance's side of a hand-over, in this process, with raw sockets as the other ends.
#include "instance/InstanceGuard.h"
#include "instance/RuntimeFolder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QLocalSocket>
#include <QTimer>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <memory>

namespace vok {
namespace {

QStringList& InstanceLog() {
    static QStringList lines;
    return lines;
}

void KeepInstanceLog(QtMsgType, const QMessageLogContext& context, const QString& text) {
    if (context.category != nullptr && QByteArray(context.category) == "vok.instance") {
        InstanceLog().append(text);
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
        options.AllowedUser = allowed;
        guard = std::make_unique<InstanceGuard>(options);
        EXPECT_FALSE(guard->AlreadyRunning({QStringLiteral("own.vok")}));
        EXPECT_TRUE(guard->IsListening());
        guard->SetReceiver([this](const QString& parameter) { received.append(parameter); });
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

TEST_F(InstanceGuardTest, TheRuntimeFolderIsMadePrivateOrRefused) {
    const QString fresh = dir.FilePath(QStringLiteral("fresh"));
    EXPECT_FALSE(MakePrivateFolder(fresh, false));
    ASSERT_TRUE(MakePrivateFolder(fresh, true));
    EXPECT_EQ(Mode(fresh), 0700U);

    const QString open = dir.MakeDir(QStringLiteral("open"));
    ::chmod(QFile::encodeName(open).constData(), 0777);
    ASSERT_TRUE(MakePrivateFolder(open, true));
    EXPECT_EQ(Mode(open), 0700U);

    const QString link = dir.FilePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(open, link));
    EXPECT_FALSE(MakePrivateFolder(link, true)) << "a link may point anywhere";
    const QString file = dir.Write(QStringLiteral("file"), "x");
    EXPECT_FALSE(MakePrivateFolder(file, true));

    // Without a usable folder the player runs unguarded rather than not at all.
    GuardOptions options;
    options.RuntimeFolder = file;
    InstanceGuard unguarded(options);
    EXPECT_FALSE(unguarded.AlreadyRunning({QStringLiteral("a.vok")}));
    EXPECT_FALSE(unguarded.IsListening());
}

TEST_F(InstanceGuardTest, TheNameCarriesInstanceUserAndSessionAsAShortFileName) {
    EXPECT_EQ(InstanceKey(kInstanceName, 1000, QStringLiteral("c2")),
              QStringLiteral("{7AC38E4F-3C04-4a3f-B853-46E8D6A470B2}-1000-c2"));
    EXPECT_EQ(InstanceKey(kInstanceName, 0, QString()),
              QStringLiteral("{7AC38E4F-3C04-4a3f-B853-46E8D6A470B2}-0"));
    const QString odd = InstanceKey(kInstanceName, 1000, QStringLiteral("../../etc/x y"));
    EXPECT_FALSE(odd.contains(QLatin1Char('/')));
    EXPECT_NE(odd, InstanceKey(kInstanceName, 1000, QStringLiteral("../../etc/x z")));
    EXPECT_LE(InstanceKey(kInstanceName, 1000, QString(500, QLatin1Char('s'))).size(), 60);
}

}  // namespace
}  // namespace vok
