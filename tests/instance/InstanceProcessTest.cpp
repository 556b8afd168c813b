// Real processes meeting through the guard: instance_probe runs it as the player would.
#include "instance/InstanceGuard.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QStandardPaths>

#include <unistd.h>

#include <memory>
#include <vector>

namespace vok {
namespace {

// Generous: only a fault ever waits this long.
constexpr int kLimitMs = 20000;
// Short pauses between connection attempts; the retry test uses the real second.
const QString kFastRetry = QStringLiteral("20");

class InstanceProcessTest : public testing::Test {
  protected:
    void TearDown() override {
        for (const auto& probe : probes) {
            if (probe->state() != QProcess::NotRunning) {
                probe->kill();
                probe->waitForFinished(kLimitMs);
            }
        }
    }

    QProcess& Start(const QString& delayMs, const QStringList& rest,
                    const QString& workingFolder = {}) {
        probes.push_back(std::make_unique<QProcess>());
        QProcess& probe = *probes.back();
        if (!workingFolder.isEmpty()) {
            probe.setWorkingDirectory(workingFolder);
        }
        probe.setProcessEnvironment(environment);
        probe.start(QStringLiteral(VOK_INSTANCE_PROBE), QStringList{parent, delayMs} + rest);
        EXPECT_TRUE(probe.waitForStarted(kLimitMs));
        return probe;
    }

    // The next line the probe prints; empty when it ended or said nothing in time.
    static QString NextLine(QProcess& probe) {
        const QDeadlineTimer limit(kLimitMs);
        while (!probe.canReadLine()) {
            if (limit.hasExpired() ||
                !probe.waitForReadyRead(static_cast<int>(limit.remainingTime()))) {
                return {};
            }
        }
        return QString::fromUtf8(probe.readLine()).trimmed();
    }

    // Ends with 0 having found the instance.
    static void EndsAsSecond(QProcess& probe) {
        EXPECT_EQ(NextLine(probe), QStringLiteral("running"));
        ASSERT_TRUE(probe.waitForFinished(kLimitMs));
        EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(probe.exitCode(), 0);
    }

    QStringList Held() const {
        return QDir(dir.FilePath(QStringLiteral("vokplayer")))
            .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    }

    test::TempDir dir;
    // The folder the probes' private folder is in; "-": found from the environment.
    QString parent = dir.Path();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    std::vector<std::unique_ptr<QProcess>> probes;
};

TEST_F(InstanceProcessTest, ASecondStartHandsOverItsFilesResolvedFromItsOwnFolderAndEnds) {
    QProcess& first = Start(kFastRetry, {});
    ASSERT_EQ(NextLine(first), QStringLiteral("instance"));

    const QString songs = dir.MakeDir(QStringLiteral("songs"));
    EndsAsSecond(
        Start(kFastRetry, {QStringLiteral("twinkle.vok"), QStringLiteral("/AUTOQUIT")}, songs));
    EXPECT_EQ(NextLine(first),
              QStringLiteral("received ") + songs + QStringLiteral("/twinkle.vok"));
    EXPECT_EQ(NextLine(first), QStringLiteral("received /AUTOQUIT"));

    // Without parameters nothing is sent: the next thing the first hears is the third start.
    EndsAsSecond(Start(kFastRetry, {}));
    EndsAsSecond(Start(kFastRetry, {QStringLiteral("/QUIT")}));
    EXPECT_EQ(NextLine(first), QStringLiteral("received /QUIT"));
    ASSERT_TRUE(first.waitForFinished(kLimitMs));
    EXPECT_EQ(first.exitCode(), 0);

    EXPECT_TRUE(Held().isEmpty()) << "a closed instance leaves neither lock nor socket behind";
}

TEST_F(InstanceProcessTest, AStartWhileTheFirstIsComingUpIsRetriedEverySecond) {
    QProcess& first =
        Start(kFastRetry, {QStringLiteral("--come-up-after"), QStringLiteral("1500")});
    ASSERT_EQ(NextLine(first), QStringLiteral("locked"));
    QProcess& second = Start(QStringLiteral("1000"), {QStringLiteral("/a.vok")});
    EXPECT_EQ(NextLine(first), QStringLiteral("instance"));
    EXPECT_EQ(NextLine(first), QStringLiteral("received /a.vok"));
    EndsAsSecond(second);
}

TEST_F(InstanceProcessTest, WhenNobodyEverListensTheAttemptsRunOutSilently) {
    QProcess& stuck =
        Start(kFastRetry, {QStringLiteral("--come-up-after"), QStringLiteral("60000")});
    ASSERT_EQ(NextLine(stuck), QStringLiteral("locked"));
    QProcess& second = Start(
        kFastRetry, {QStringLiteral("--retries"), QStringLiteral("3"), QStringLiteral("/a.vok")});
    EndsAsSecond(second);
    EXPECT_TRUE(second.readAllStandardError().isEmpty());
}

TEST_F(InstanceProcessTest, AKilledInstanceBlocksNothingAndTheNextStartTakesOver) {
    QProcess& first = Start(kFastRetry, {});
    ASSERT_EQ(NextLine(first), QStringLiteral("instance"));
    first.kill();
    ASSERT_TRUE(first.waitForFinished(kLimitMs));
    ASSERT_EQ(Held().size(), 2) << "the lock and the socket are left behind";

    QProcess& next = Start(kFastRetry, {QStringLiteral("/b.vok")});
    ASSERT_EQ(NextLine(next), QStringLiteral("instance"));
    EndsAsSecond(Start(kFastRetry, {QStringLiteral("/c.vok")}));
    EXPECT_EQ(NextLine(next), QStringLiteral("received /c.vok"));
}

TEST_F(InstanceProcessTest, OutOfDescriptorsTheInstanceKeepsListeningAndAnswersOnceSomeAreFree) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    // The sanitizer's runtime opens descriptors of its own, so a limit of a few spare ones
    // starves it rather than the guard.
    GTEST_SKIP() << "not under a sanitizer";
#endif
    QProcess& first = Start(kFastRetry, {QStringLiteral("--max-files"), QStringLiteral("4")});
    ASSERT_EQ(NextLine(first), QStringLiteral("instance"));
    std::vector<std::unique_ptr<QLocalSocket>> idle(12);
    for (auto& socket : idle) {
        socket = std::make_unique<QLocalSocket>();
        socket->connectToServer(dir.Path() + QStringLiteral("/vokplayer/") +
                                InstanceKey(kInstanceName, ::geteuid(), QStringLiteral("probe")) +
                                QStringLiteral(".socket"));
    }
    // Queued behind them, it is taken once they have timed out and freed their descriptors.
    EndsAsSecond(Start(kFastRetry, {QStringLiteral("/after.vok")}));
    EXPECT_EQ(NextLine(first), QStringLiteral("received /after.vok"));
    EXPECT_TRUE(first.readAllStandardError().contains("cannot accept"));
}

TEST_F(InstanceProcessTest, TheRealPlayerHandsOverWithoutADisplayThroughALongRuntimeFolder) {
    const QString runtime = dir.MakeDir(QString(199 - dir.Path().size(), QLatin1Char('r')));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    parent = QStringLiteral("-");
    QProcess& first = Start(kFastRetry, {});
    ASSERT_EQ(NextLine(first), QStringLiteral("instance"));
    QProcess player;
    environment.insert(QStringLiteral("XDG_SESSION_ID"), QStringLiteral("probe"));
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(QLatin1String(name));
    }
    player.setProcessEnvironment(environment);
    player.start(QStringLiteral(VOK_PLAYER), {QStringLiteral("/a.vok"), QStringLiteral("/b.vok")});
    ASSERT_TRUE(player.waitForFinished(kLimitMs));
    EXPECT_EQ(player.exitCode(), 0) << player.readAllStandardError().toStdString();
    EXPECT_EQ(NextLine(first), QStringLiteral("received /a.vok"));
    EXPECT_EQ(NextLine(first), QStringLiteral("received /b.vok"));
}

TEST_F(InstanceProcessTest, AnotherUserNeitherReachesTheInstanceNorUsesItsFolder) {
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (::geteuid() != 0 || setpriv.isEmpty()) {
        GTEST_SKIP() << "needs root and setpriv to start a process as another user";
    }
    QProcess& first = Start(kFastRetry, {});
    ASSERT_EQ(NextLine(first), QStringLiteral("instance"));

    probes.push_back(std::make_unique<QProcess>());
    QProcess& other = *probes.back();
    other.start(setpriv, {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                          QStringLiteral("--clear-groups"), QStringLiteral(VOK_INSTANCE_PROBE),
                          dir.Path(), kFastRetry, QStringLiteral("/x.vok")});
    EXPECT_EQ(NextLine(other), QStringLiteral("unguarded"));
    EndsAsSecond(Start(kFastRetry, {QStringLiteral("/mine.vok")}));
    EXPECT_EQ(NextLine(first), QStringLiteral("received /mine.vok")) << "nothing came before";
}

TEST_F(InstanceProcessTest, OfStartsAtTheSameMomentExactlyOneBecomesTheInstance) {
    for (int round = 0; round < 3; ++round) {
        test::TempDir roundDir;
        std::vector<std::unique_ptr<QProcess>> together;
        for (int i = 0; i < 3; ++i) {
            together.push_back(std::make_unique<QProcess>());
            together.back()->start(QStringLiteral(VOK_INSTANCE_PROBE),
                                   {roundDir.Path(), kFastRetry});
        }
        // All have spoken before the instance is ended: a start still coming up would take
        // over the lock of an ended one.
        QStringList said;
        for (const auto& probe : together) {
            said.append(NextLine(*probe));
        }
        for (const auto& probe : together) {
            probe->kill();
            probe->waitForFinished(kLimitMs);
        }
        EXPECT_EQ(said.count(QStringLiteral("instance")), 1) << said.join(u',').toStdString();
        EXPECT_EQ(said.count(QStringLiteral("running")), 2) << said.join(u',').toStdString();
    }
}

}  // namespace
}  // namespace vok
