// Holding off the screensaver while a song plays, against a screensaver service of our own on a
// private session bus (the test runs under dbus-run-session).

#include "PlayerFixture.h"
#include "player/ScreenAwake.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>

namespace vok::test {

// The desktop's screensaver as far as the player uses it.
class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

  public:
    int held = 0;
    std::uint32_t lastCookie = 0;
    QStringList reasons;

  public slots:
    Q_SCRIPTABLE uint Inhibit(const QString& application, const QString& reason) {
        ++held;
        reasons << application + QStringLiteral(": ") + reason;
        return ++lastCookie + 100;
    }
    Q_SCRIPTABLE void UnInhibit(uint cookie) {
        if (cookie == lastCookie + 100) {
            --held;
        }
    }
};

namespace {

bool WaitFor(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return done();
}

class ScreenAwakeTest : public PlayerFixture {
  protected:
    void SetUp() override {
        PlayerFixture::SetUp();
        if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
            GTEST_SKIP() << "no session bus";
        }
        service = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "screensaver");
        ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));
        ASSERT_TRUE(service.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), &saver,
                                           QDBusConnection::ExportScriptableSlots));
    }
    void TearDown() override {
        PlayerFixture::TearDown();
        service.unregisterService(QStringLiteral("org.freedesktop.ScreenSaver"));
        QDBusConnection::disconnectFromBus("screensaver");
    }

    FakeScreenSaver saver;
    QDBusConnection service{QString()};
};

TEST_F(ScreenAwakeTest, TheScreensaverIsHeldOffWhilePlayingAndReleasedOnPauseStopAndClose) {
    dialogs.Picks = {Tone()};
    PlayerController& player = Start();
    player.MP3BtnClick();
    EXPECT_TRUE(WaitFor([] { return true; }) && saver.held == 0) << "loading is not playing";

    player.PlayBtnClick();
    ASSERT_TRUE(WaitFor([this] { return saver.held == 1; }));
    EXPECT_EQ(saver.reasons, QStringList{QStringLiteral("vokplayer: Playing a song")});
    player.PausBtnClick();
    EXPECT_TRUE(WaitFor([this] { return saver.held == 0; }));
    player.PausBtnClick();
    EXPECT_TRUE(WaitFor([this] { return saver.held == 1; }));
    player.Stoppa();
    EXPECT_TRUE(WaitFor([this] { return saver.held == 0; }));

    player.PlayBtnClick();
    ASSERT_TRUE(WaitFor([this] { return saver.held == 1; }));
    Close();
    EXPECT_TRUE(WaitFor([this] { return saver.held == 0; })) << "closing lets go";
}

TEST_F(ScreenAwakeTest, ARequestStillOnItsWayWhenPlaybackStopsIsTakenBack) {
    ScreenAwake awake(QDBusConnection::sessionBus());
    awake.SetPlaying(true);
    awake.SetPlaying(false);  // before the reply
    EXPECT_TRUE(WaitFor([this] { return saver.lastCookie == 1 && saver.held == 0; }));
    EXPECT_FALSE(awake.Holding());
}

}  // namespace
}  // namespace vok::test

#include "ScreenAwakeTest.moc"
