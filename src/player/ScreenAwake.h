#pragma once

#include <QDBusConnection>
#include <QObject>

#include <cstdint>
#include <optional>

namespace vok {

// Keeps the screensaver away while a song plays: a singer must never see a blanked monitor
// mid-song. It asks the desktop's screensaver service on the session bus to hold off, and lets
// go when playback pauses or stops. Without a session bus or service it does nothing. Calls never
// wait: replies are taken as they come.
class ScreenAwake : public QObject {
    Q_OBJECT

  public:
    // The session bus, looked up at the first song (a run that plays nothing never touches it).
    explicit ScreenAwake(QObject* parent = nullptr);
    // A given bus connection, for tests.
    explicit ScreenAwake(QDBusConnection bus, QObject* parent = nullptr);
    ~ScreenAwake() override;

    // Playing or not; only a change does anything.
    void SetPlaying(bool playing);
    // The service holds a request of ours now.
    bool Holding() const { return cookie_ != 0; }

  private:
    void Inhibit();
    void UnInhibit();
    bool Connected();

    std::optional<QDBusConnection> bus_;
    bool wanted_ = false;
    bool asking_ = false;
    std::uint32_t cookie_ = 0;
};

}  // namespace vok
