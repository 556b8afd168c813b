#include "player/Mpris.h"

#include "core/FileNames.h"
#include "player/PlayerController.h"

#include <QDBusAbstractAdaptor>
#include <QDBusMessage>
#include <QFileInfo>
#include <QHash>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace vok {

namespace {

constexpr qint64 kUsPerMs = 1000;
const QString kNoTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");
const QString kTrackPrefix = QStringLiteral("/org/kestrovane/Vokalento/track/");

}  // namespace

// The two interfaces as Qt D-Bus exports them; they only forward to Mpris.
class MprisRootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ CanQuit)
    Q_PROPERTY(bool CanRaise READ CanRaise)
    Q_PROPERTY(bool HasTrackList READ HasTrackList)
    Q_PROPERTY(QString Identity READ Identity)
    Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)

  public:
    explicit MprisRootAdaptor(Mpris* owner) : QDBusAbstractAdaptor(owner), owner_(owner) {}
    bool CanQuit() const { return true; }
    bool CanRaise() const { return true; }
    bool HasTrackList() const { return false; }
    QString Identity() const { return QStringLiteral("Kestrovane Vokalento"); }
    QString DesktopEntry() const { return QString::fromLatin1(Mpris::kDesktopEntry); }
    QStringList SupportedUriSchemes() const { return {QStringLiteral("file")}; }
    QStringList SupportedMimeTypes() const { return owner_->SupportedMimeTypes(); }

  public slots:
    void Raise() { owner_->Raise(); }
    void Quit() { owner_->Quit(); }

  private:
    Mpris* owner_;
};

class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
    Q_PROPERTY(double Rate READ Rate WRITE SetRate)
    Q_PROPERTY(double MinimumRate READ MinimumRate)
    Q_PROPERTY(double MaximumRate READ MaximumRate)
    Q_PROPERTY(QVariantMap Metadata READ Metadata)
    Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
    Q_PROPERTY(qlonglong Position READ Position)
    Q_PROPERTY(bool CanGoNext READ CanGoNext)
    Q_PROPERTY(bool CanGoPrevious READ CanGoPrevious)
    Q_PROPERTY(bool CanPlay READ CanPlay)
    Q_PROPERTY(bool CanPause READ CanPause)
    Q_PROPERTY(bool CanSeek READ CanSeek)
    Q_PROPERTY(bool CanControl READ CanControl)

  public:
    explicit MprisPlayerAdaptor(Mpris* owner) : QDBusAbstractAdaptor(owner), owner_(owner) {
        connect(owner, &Mpris::Seeked, this, &MprisPlayerAdaptor::Seeked);
    }
    QString PlaybackStatus() const { return owner_->PlaybackStatus(); }
    double Rate() const { return owner_->Rate(); }
    void SetRate(double rate) { owner_->SetRate(rate); }
    double MinimumRate() const { return audio::kMinTempoPercent / 100.0; }
    double MaximumRate() const { return audio::kMaxTempoPercent / 100.0; }
    QVariantMap Metadata() const { return owner_->Metadata(); }
    double Volume() const { return owner_->Volume(); }
    void SetVolume(double volume) { owner_->SetVolume(volume); }
    qlonglong Position() const { return owner_->Position(); }
    bool CanGoNext() const { return owner_->CanGoNext(); }
    bool CanGoPrevious() const { return owner_->CanGoPrevious(); }
    bool CanPlay() const { return owner_->CanPlay(); }
    bool CanPause() const { return owner_->CanPause(); }
    bool CanSeek() const { return owner_->CanSeek(); }
    bool CanControl() const { return true; }

  public slots:
    void PlayPause() { owner_->PlayPause(); }
    void Play() { owner_->Play(); }
    void Pause() { owner_->Pause(); }
    void Stop() { owner_->Stop(); }
    void Next() { owner_->Next(); }
    void Previous() { owner_->Previous(); }
    void Seek(qlonglong offset) { owner_->Seek(offset); }
    void SetPosition(const QDBusObjectPath& track, qlonglong position) {
        owner_->SetPosition(track, position);
    }
    void OpenUri(const QString& uri) { owner_->OpenUri(uri); }

  signals:
    void Seeked(qlonglong position);

  private:
    Mpris* owner_;
};

std::unique_ptr<Mpris> Mpris::Start(PlayerController& player, WindowActions actions) {
    // Qt would otherwise start a bus of its own through dbus-launch (X11 autolaunch).
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        return nullptr;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return nullptr;
    }
    std::unique_ptr<Mpris> mpris(new Mpris(player, std::move(actions), bus));
    // A refused path or name belongs to someone else: leave it registered as it was.
    if (!bus.registerObject(QString::fromLatin1(kObjectPath), mpris.get(),
                            QDBusConnection::ExportAdaptors)) {
        return nullptr;
    }
    if (!bus.registerService(QString::fromLatin1(kServiceName))) {
        bus.unregisterObject(QString::fromLatin1(kObjectPath));
        return nullptr;
    }
    mpris->registered_ = true;
    return mpris;
}

Mpris::Mpris(PlayerController& player, WindowActions actions, QDBusConnection connection)
    : player_(player), actions_(std::move(actions)), connection_(std::move(connection)) {
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);
    // Queued: the controller finishes its operation before its state is read.
    connect(&player_, &PlayerController::PlayerChanged, this, &Mpris::Refresh,
            Qt::QueuedConnection);
    Refresh();
}

Mpris::~Mpris() {
    if (registered_) {
        connection_.unregisterService(QString::fromLatin1(kServiceName));
        connection_.unregisterObject(QString::fromLatin1(kObjectPath));
    }
}

void Mpris::Raise() {
    if (actions_.Raise) {
        actions_.Raise();
    }
}

void Mpris::Quit() {
    if (actions_.Quit) {
        actions_.Quit();
    }
}

QStringList Mpris::SupportedMimeTypes() const {
    return {QStringLiteral("application/x-vokalento"),
            QStringLiteral("audio/x-vokalento-playlist"),
            QStringLiteral("audio/mpeg"),
            QStringLiteral("audio/ogg"),
            QStringLiteral("audio/x-ms-wma"),
            QStringLiteral("audio/x-mpegurl")};
}

void Mpris::PlayPause() {
    player_.FormKeyDown(Qt::Key_Space, Qt::NoModifier);
}

void Mpris::Play() {
    if (player_.State() == PlayState::Paused) {
        player_.PausBtnClick();
    } else if (player_.State() != PlayState::Playing) {
        player_.PlayBtnClick();
    }
}

void Mpris::Pause() {
    if (player_.State() == PlayState::Playing) {
        player_.PausBtnClick();
    }
}

void Mpris::Stop() {
    player_.StopBtnClick();
}

void Mpris::Next() {
    player_.NextBtnClick();
}

void Mpris::Previous() {
    player_.PrevBtnClick();
}

void Mpris::Seek(qint64 offsetUs) {
    if (!CanSeek()) {
        return;
    }
    const qint64 target = std::max<qint64>(0, Position() + offsetUs);
    if (target > player_.Engine().LengthMs() * kUsPerMs) {
        Next();  // past the end: as if the song had ended
        return;
    }
    SetPosition(TrackId(), target);
}

void Mpris::SetPosition(const QDBusObjectPath& track, qint64 positionUs) {
    // A stale track id or a position outside the song is ignored, as clients expect.
    if (!CanSeek() || track != TrackId() || positionUs < 0 ||
        positionUs > player_.Engine().LengthMs() * kUsPerMs) {
        return;
    }
    // The player seeks in whole seconds; the nearest one.
    const int seconds = static_cast<int>((positionUs + kUsPerMs * 500) / (kUsPerMs * 1000));
    player_.SeekTo(seconds);
    emit Seeked(qint64{seconds} * kUsPerMs * 1000);
}

void Mpris::OpenUri(const QString& uri) {
    const QUrl url(uri);
    if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile()) {
        player_.OpenHandedFile(url.toLocalFile());
    }
}

QString Mpris::PlaybackStatus() const {
    switch (player_.State()) {
        case PlayState::Playing:
            return QStringLiteral("Playing");
        case PlayState::Paused:
            return QStringLiteral("Paused");
        default:
            return QStringLiteral("Stopped");
    }
}

QVariantMap Mpris::Metadata() const {
    QVariantMap metadata;
    metadata.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(TrackId()));
    if (player_.Engine().Stream() == 0) {
        return metadata;
    }
    // A lyric file names its song; a bare audio file has what its tags or its name give.
    const TVokalento& song = player_.Song();
    QString title = song.Title;
    if (title.isEmpty()) {
        title = LocalFileName(player_.Engine().SongPath());
    }
    metadata.insert(QStringLiteral("mpris:length"), qint64{player_.Engine().LengthMs()} * kUsPerMs);
    metadata.insert(QStringLiteral("xesam:title"), title);
    if (!song.Artist.isEmpty()) {
        metadata.insert(QStringLiteral("xesam:artist"), QStringList{song.Artist});
    }
    metadata.insert(QStringLiteral("xesam:url"),
                    QUrl::fromLocalFile(player_.Engine().SongPath()).toString());
    return metadata;
}

qint64 Mpris::Position() const {
    return qint64{player_.Engine().PositionMs()} * kUsPerMs;
}

double Mpris::Rate() const {
    return player_.TempoPercent() / 100.0;
}

void Mpris::SetRate(double rate) {
    // A rate of 0 means pause to some clients; the tempo stays as it is then.
    if (std::isfinite(rate) && rate > 0.0) {
        player_.SetTempoPercent(static_cast<int>(std::lround(rate * 100.0)));
    }
    Refresh();
}

double Mpris::Volume() const {
    return player_.Engine().Volume() / double{PlaybackEngine::MaxVolume};
}

void Mpris::SetVolume(double volume) {
    const double clamped = std::clamp(std::isfinite(volume) ? volume : 0.0, 0.0, 1.0);
    player_.ChangeVolume(static_cast<int>(std::lround(clamped * PlaybackEngine::MaxVolume)));
    Refresh();
}

bool Mpris::CanGoNext() const {
    return player_.Playlist().Count() > 0;
}

bool Mpris::CanGoPrevious() const {
    return player_.Playlist().Count() > 0;
}

bool Mpris::CanPlay() const {
    return player_.Engine().Stream() != 0 || player_.Playlist().Count() > 0;
}

bool Mpris::CanPause() const {
    return player_.Engine().Stream() != 0;
}

bool Mpris::CanSeek() const {
    return player_.Engine().Stream() != 0 && player_.Engine().LengthMs() > 0;
}

QDBusObjectPath Mpris::TrackId() const {
    if (player_.Engine().Stream() == 0) {
        return QDBusObjectPath(kNoTrack);
    }
    // The playlist entry and the song's file: resuming reopens the stream, yet it is the same
    // track; two entries sharing one audio file are two tracks.
    return QDBusObjectPath(kTrackPrefix + QString::number(std::max(player_.PlayIndex(), 0)) +
                           QLatin1Char('_') +
                           QString::number(qHash(player_.Engine().SongPath()), 16));
}

void Mpris::Refresh() {
    const QVariantMap now{
        {QStringLiteral("PlaybackStatus"), PlaybackStatus()},
        {QStringLiteral("Metadata"), Metadata()},
        {QStringLiteral("Volume"), Volume()},
        {QStringLiteral("Rate"), Rate()},
        {QStringLiteral("CanGoNext"), CanGoNext()},
        {QStringLiteral("CanGoPrevious"), CanGoPrevious()},
        {QStringLiteral("CanPlay"), CanPlay()},
        {QStringLiteral("CanPause"), CanPause()},
        {QStringLiteral("CanSeek"), CanSeek()},
    };
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (announced_.value(it.key()) != it.value()) {
            changed.insert(it.key(), it.value());
        }
    }
    announced_ = now;
    if (changed.isEmpty()) {
        return;
    }
    QDBusMessage signal = QDBusMessage::createSignal(
        QString::fromLatin1(kObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("PropertiesChanged"));
    signal << QString::fromLatin1(kPlayerInterface) << changed << QStringList();
    connection_.send(signal);
}

}  // namespace vok

#include "Mpris.moc"
