#include "player/ScreenAwake.h"

#include "player/PlayerLog.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace vok {

namespace {

const QString kService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString kInterface = QStringLiteral("org.freedesktop.ScreenSaver");

}  // namespace

ScreenAwake::ScreenAwake(QObject* parent) : QObject(parent) {}

ScreenAwake::ScreenAwake(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {}

bool ScreenAwake::Connected() {
    if (!bus_) {
        // Without an address there is no session bus to ask; no bus is started for us.
        if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
            return false;
        }
        bus_ = QDBusConnection::sessionBus();
    }
    return bus_->isConnected();
}

ScreenAwake::~ScreenAwake() {
    UnInhibit();
}

void ScreenAwake::SetPlaying(bool playing) {
    if (playing == wanted_) {
        return;
    }
    wanted_ = playing;
    if (playing) {
        Inhibit();
    } else {
        UnInhibit();
    }
}

void ScreenAwake::Inhibit() {
    if (asking_ || cookie_ != 0 || !Connected()) {
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Inhibit"));
    call << QStringLiteral("vokplayer") << QStringLiteral("Playing a song");
    asking_ = true;
    auto* watcher = new QDBusPendingCallWatcher(bus_->asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                asking_ = false;
                const QDBusPendingReply<std::uint32_t> reply = *finished;
                if (reply.isError()) {
                    qCInfo(lcPlayer) << "no screensaver service:" << reply.error().message();
                    return;
                }
                cookie_ = reply.value();
                // Playback may have stopped while the request was on its way.
                if (!wanted_) {
                    UnInhibit();
                }
            });
}

void ScreenAwake::UnInhibit() {
    if (cookie_ == 0 || !Connected()) {
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("UnInhibit"));
    call << cookie_;
    bus_->call(call, QDBus::NoBlock);
    cookie_ = 0;
}

}  // namespace vok
