// The player as an MPRIS 2 media player, driven over a private session bus (the test runs under
// dbus-run-session) by a client connection of its own, the way a desktop's media controls do.

#include "PlayerFixture.h"
#include "player/Mpris.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QElapsedTimer>

namespace vok::test {

// Collects the PropertiesChanged signals the player sends.
class ChangeListener : public QObject {
    Q_OBJECT

  public:
    QList<QVariantMap> changes;

  public slots:
    void Changed(const QString& interfaceName, const QVariantMap& changed, const QStringList&) {
        if (interfaceName == QLatin1String(Mpris::kPlayerInterface)) {
            changes << changed;
        }
    }
};

namespace {

const QString kRoot = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayer = QString::fromLatin1(Mpris::kPlayerInterface);

bool WaitFor(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return done();
}

QVariant Plain(const QVariant& value) {
    // Maps come back still marshalled; everything else arrives as itself.
    if (value.canConvert<QDBusArgument>()) {
        return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
    }
    return value;
}

class MprisTest : public PlayerFixture {
  protected:
    void SetUp() override {
        PlayerFixture::SetUp();
        if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
            GTEST_SKIP() << "no session bus";
        }
        client = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "mpris-client");
        ASSERT_TRUE(client.isConnected());
        client.connect(QString(), QString::fromLatin1(Mpris::kObjectPath),
                       QStringLiteral("org.freedesktop.DBus.Properties"),
                       QStringLiteral("PropertiesChanged"), &listener,
                       SLOT(Changed(QString, QVariantMap, QStringList)));
    }
    void TearDown() override {
        mpris.reset();
        PlayerFixture::TearDown();
        QDBusConnection::disconnectFromBus("mpris-client");
    }

    PlayerController& StartWithMpris(const QStringList& parameters = {}) {
        PlayerController& player = Start(parameters);
        mpris = Mpris::Start(player, {[this] { ++raised; }, [this] { ++quit; }});
        return player;
    }

    // The service answers on this thread, so the call is waited for with the event loop running.
    QDBusMessage Call(const QString& interfaceName, const QString& method,
                      const QVariantList& arguments = {}) {
        QDBusMessage message = QDBusMessage::createMethodCall(
            QString::fromLatin1(Mpris::kServiceName), QString::fromLatin1(Mpris::kObjectPath),
            interfaceName, method);
        message.setArguments(arguments);
        QDBusPendingCall pending = client.asyncCall(message);
        WaitFor([&pending] { return pending.isFinished(); });
        QCoreApplication::processEvents();  // the queued state announcements
        return pending.reply();
    }
    QVariant Get(const QString& name, const QString& interfaceName = kPlayer) {
        const QDBusMessage reply = Call(QStringLiteral("org.freedesktop.DBus.Properties"),
                                        QStringLiteral("Get"), {interfaceName, name});
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        return reply.arguments().isEmpty()
                   ? QVariant()
                   : Plain(reply.arguments().constFirst().value<QDBusVariant>().variant());
    }
    QVariantMap Metadata() { return Get(QStringLiteral("Metadata")).toMap(); }
    QString Status() { return Get(QStringLiteral("PlaybackStatus")).toString(); }
    QString TrackId() {
        return Metadata().value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path();
    }

    // Two songs of the 12 s tone in the playlist.
    void TwoSongs(PlayerController& player) {
        Tone();
        dialogs.FilePicks = {Lyrics(QStringLiteral("a.vok"), QStringLiteral("tone.mp3")),
                             LyricFileWriter(2)
                                 .Title(QStringLiteral("Second"))
                                 .Artist(QStringLiteral("Other"))
                                 .SongFile(QStringLiteral("tone.mp3"))
                                 .Line(500, 1500, QStringLiteral("Only line"))
                                 .Write(dir.FilePath(QStringLiteral("b.vok")))};
        player.AddFilesBtnClick();
        ASSERT_EQ(player.Playlist().Count(), 2);
    }

    QDBusConnection client{QString()};
    ChangeListener listener;
    std::unique_ptr<Mpris> mpris;
    int raised = 0;
    int quit = 0;
};

TEST_F(MprisTest, RootInterfaceNamesThePlayerAndForwardsRaiseAndQuit) {
    StartWithMpris();
    ASSERT_TRUE(mpris);
    EXPECT_EQ(Get(QStringLiteral("Identity"), kRoot).toString(),
              QStringLiteral("Kestrovane Vokalento"));
    EXPECT_EQ(Get(QStringLiteral("DesktopEntry"), kRoot).toString(),
              QStringLiteral("org.kestrovane.Vokalento"));
    const QStringList types = Get(QStringLiteral("SupportedMimeTypes"), kRoot).toStringList();
    EXPECT_TRUE(types.contains(QStringLiteral("application/x-vokalento")));
    EXPECT_TRUE(types.contains(QStringLiteral("audio/x-vokalento-playlist")));
    EXPECT_TRUE(types.contains(QStringLiteral("audio/mpeg")));

    Call(kRoot, QStringLiteral("Raise"));
    Call(kRoot, QStringLiteral("Quit"));
    EXPECT_EQ(raised, 1);
    EXPECT_EQ(quit, 1);

    // Nothing loaded: stopped, no track, nothing to pause or seek; a second player gets no name.
    EXPECT_EQ(Status(), QStringLiteral("Stopped"));
    EXPECT_EQ(TrackId(), QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));
    EXPECT_FALSE(Get(QStringLiteral("CanPause")).toBool());
    EXPECT_FALSE(Get(QStringLiteral("CanSeek")).toBool());
    EXPECT_TRUE(Get(QStringLiteral("CanControl")).toBool());
    EXPECT_FALSE(Mpris::Start(*controller, {}));
    EXPECT_EQ(Get(QStringLiteral("Identity"), kRoot).toString(),
              QStringLiteral("Kestrovane Vokalento"))
        << "the refused second one leaves the first on the bus";
}

TEST_F(MprisTest, PlayPauseNextSeekAndVolumeGoThroughThePlayerAndAreAnnounced) {
    PlayerController& player = StartWithMpris();
    ASSERT_TRUE(mpris);
    TwoSongs(player);
    player.SpelaVOK(0);
    PlayFor(1.0);
    ASSERT_EQ(Status(), QStringLiteral("Playing"));
    QVariantMap metadata = Metadata();
    EXPECT_EQ(metadata.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("Tone"));
    EXPECT_EQ(metadata.value(QStringLiteral("xesam:artist")).toStringList(),
              QStringList{QStringLiteral("Test")});
    EXPECT_NEAR(metadata.value(QStringLiteral("mpris:length")).toLongLong(), 12'000'000, 100'000);
    const QString firstTrack = TrackId();
    EXPECT_TRUE(firstTrack.startsWith(QStringLiteral("/org/kestrovane/Vokalento/track/")));
    EXPECT_TRUE(WaitFor([this] {
        return !listener.changes.isEmpty() &&
               listener.changes.last().value(QStringLiteral("PlaybackStatus")) ==
                   QStringLiteral("Playing");
    })) << "the start is announced";

    // PlayPause is the Space key: pause, then resume.
    Call(kPlayer, QStringLiteral("PlayPause"));
    EXPECT_EQ(player.State(), PlayState::Paused);
    EXPECT_EQ(Status(), QStringLiteral("Paused"));
    EXPECT_TRUE(WaitFor([this] {
        return listener.changes.last().value(QStringLiteral("PlaybackStatus")) ==
               QStringLiteral("Paused");
    }));
    Call(kPlayer, QStringLiteral("PlayPause"));
    EXPECT_EQ(Status(), QStringLiteral("Playing"));
    Call(kPlayer, QStringLiteral("Play"));  // already playing: no pause
    EXPECT_EQ(player.State(), PlayState::Playing);

    // Seek by an offset, then to a position of this track; a stale track id is ignored.
    const qint64 before = Get(QStringLiteral("Position")).toLongLong();
    EXPECT_NEAR(before, 1'000'000, 300'000);
    Call(kPlayer, QStringLiteral("Seek"), {qlonglong{5'000'000}});
    PlayFor(0.05);
    EXPECT_NEAR(Get(QStringLiteral("Position")).toLongLong(), 6'000'000, 500'000);
    const QDBusMessage moved =
        Call(kPlayer, QStringLiteral("SetPosition"),
             {QVariant::fromValue(QDBusObjectPath(firstTrack)), qlonglong{2'000'000}});
    EXPECT_EQ(moved.type(), QDBusMessage::ReplyMessage) << moved.errorMessage().toStdString();
    PlayFor(0.05);
    EXPECT_NEAR(Get(QStringLiteral("Position")).toLongLong(), 2'000'000, 500'000);
    Call(kPlayer, QStringLiteral("SetPosition"),
         {QVariant::fromValue(
              QDBusObjectPath(QStringLiteral("/org/kestrovane/Vokalento/track/stale"))),
          qlonglong{9'000'000}});
    PlayFor(0.05);
    EXPECT_LT(Get(QStringLiteral("Position")).toLongLong(), 4'000'000);
    // While paused no tick runs: the new place must be read and shown at once.
    Call(kPlayer, QStringLiteral("Pause"));
    Call(kPlayer, QStringLiteral("SetPosition"),
         {QVariant::fromValue(QDBusObjectPath(firstTrack)), qlonglong{7'000'000}});
    EXPECT_EQ(Get(QStringLiteral("Position")).toLongLong(), 7'000'000);
    Call(kPlayer, QStringLiteral("Play"));

    // Next plays the second entry: a new track, its own title, announced.
    Call(kPlayer, QStringLiteral("Next"));
    PlayFor(0.5);
    EXPECT_EQ(player.PlayIndex(), 1);
    metadata = Metadata();
    EXPECT_EQ(metadata.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("Second"));
    EXPECT_NE(TrackId(), firstTrack);
    EXPECT_TRUE(WaitFor([this] {
        return listener.changes.last()
                   .value(QStringLiteral("Metadata"))
                   .value<QDBusArgument>()
                   .currentType() != QDBusArgument::UnknownType;
    }));

    // Volume 0 ... 1 is the player's 0 ... 255, clamped.
    client.call(
        QDBusMessage::createMethodCall(
            QString::fromLatin1(Mpris::kServiceName), QString::fromLatin1(Mpris::kObjectPath),
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"))
            << kPlayer << QStringLiteral("Volume") << QVariant::fromValue(QDBusVariant(0.5)),
        QDBus::NoBlock);
    EXPECT_TRUE(WaitFor([&player] { return player.Engine().Volume() == 128; }));
    EXPECT_NEAR(Get(QStringLiteral("Volume")).toDouble(), 128.0 / 255.0, 1e-9);
    mpris->SetVolume(7.0);
    EXPECT_EQ(player.Engine().Volume(), 255);
    // Rate is the tempo, in its steps and limits.
    mpris->SetRate(0.93);
    EXPECT_EQ(player.TempoPercent(), 95);
    mpris->SetRate(3.0);
    EXPECT_NEAR(Get(QStringLiteral("Rate")).toDouble(), 1.2, 1e-9);
    EXPECT_NEAR(Get(QStringLiteral("MinimumRate")).toDouble(), 0.8, 1e-9);

    Call(kPlayer, QStringLiteral("Stop"));
    EXPECT_EQ(Status(), QStringLiteral("Stopped"));
    EXPECT_EQ(quitCalls, 0) << "no /AUTOQUIT: Stop only stops";
}

TEST_F(MprisTest, StopEndsAnAutoQuitRunLikeTheStopButton) {
    Tone();
    const QString song = Lyrics(QStringLiteral("a.vok"), QStringLiteral("tone.mp3"));
    StartWithMpris({song, QStringLiteral("/AUTOQUIT")});
    ASSERT_TRUE(mpris);
    PlayFor(0.5);
    ASSERT_EQ(Status(), QStringLiteral("Playing"));
    Call(kPlayer, QStringLiteral("Stop"));
    EXPECT_EQ(quitCalls, 1);
}

}  // namespace
}  // namespace vok::test

#include "MprisTest.moc"
