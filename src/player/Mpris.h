#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <functional>
#include <memory>

namespace vok {

class PlayerController;

// The player on the session bus as an MPRIS 2 media player, so the desktop's media keys, sound
// menu and lock screen can drive it. It holds no state of its own: every call is one of the
// controller's operations, every property is read from the controller.
class Mpris : public QObject {
    Q_OBJECT

  public:
    static constexpr const char* kServiceName = "org.mpris.MediaPlayer2.vokplayer";
    static constexpr const char* kObjectPath = "/org/mpris/MediaPlayer2";
    static constexpr const char* kPlayerInterface = "org.mpris.MediaPlayer2.Player";
    static constexpr const char* kDesktopEntry = "org.kestrovane.Vokalento";

    // What the windows do for Raise and Quit; Quit closes them the normal way, so the settings
    // are written as on any close.
    struct WindowActions {
        std::function<void()> Raise;
        std::function<void()> Quit;
    };

    // Puts the player on the session bus. Null when there is no session bus: only a bus named in
    // DBUS_SESSION_BUS_ADDRESS is used, none is ever launched for us. Null also when the bus
    // refuses the name.
    static std::unique_ptr<Mpris> Start(PlayerController& player, WindowActions actions);
    ~Mpris() override;

    // org.mpris.MediaPlayer2
    void Raise();
    void Quit();
    QStringList SupportedMimeTypes() const;

    // org.mpris.MediaPlayer2.Player
    void PlayPause();
    void Play();
    void Pause();
    void Stop();
    void Next();
    void Previous();
    void Seek(qint64 offsetUs);
    void SetPosition(const QDBusObjectPath& track, qint64 positionUs);
    void OpenUri(const QString& uri);
    QString PlaybackStatus() const;
    QVariantMap Metadata() const;
    qint64 Position() const;
    // The song's tempo: 1.0 is 100 %; a rate set is rounded to the tempo's 5 % steps.
    double Rate() const;
    void SetRate(double rate);
    double Volume() const;
    void SetVolume(double volume);
    bool CanGoNext() const;
    bool CanGoPrevious() const;
    bool CanPlay() const;
    bool CanPause() const;
    bool CanSeek() const;

  signals:
    void Seeked(qint64 positionUs);

  private:
    Mpris(PlayerController& player, WindowActions actions, QDBusConnection connection);
    // Compares what clients were last told with the controller and announces the difference.
    void Refresh();
    QDBusObjectPath TrackId() const;

    PlayerController& player_;
    WindowActions actions_;
    QDBusConnection connection_;
    bool registered_ = false;
    QVariantMap announced_;
};

}  // namespace vok
