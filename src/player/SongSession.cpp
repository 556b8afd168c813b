#include "player/SongSession.h"

#include <algorithm>
#include <limits>

namespace vok {

namespace {

constexpr int kTickMs = 33;

}  // namespace

SongSession::SongSession(QObject* timerParent) : tick_(timerParent) {
    tick_.setObjectName(QStringLiteral("tmr"));
    tick_.setSingleShot(true);
    tick_.setInterval(kTickMs);
}

bool SongSession::Start() {
    currentLine_ = 0;
    currentText_.clear();
    return engine_.StartPlay();
}

bool SongSession::Stop() {
    currentLine_ = 0;
    return engine_.Stoppa();
}

bool SongSession::JumpBack() {
    return AfterJump(engine_.JumpBack());
}

bool SongSession::JumpForward() {
    return AfterJump(engine_.JumpForward());
}

bool SongSession::AfterJump(bool playing) {
    if (playing) {
        currentLine_ = song_.LineNumberAt(engine_.PositionMs());
        redrawRequested_ = true;
    }
    return playing;
}

void SongSession::SeekTo(int seconds, int lineMs) {
    engine_.SeekToSecond(seconds);
    currentLine_ = song_.LineNumberAt(lineMs);
    redrawRequested_ = true;
}

void SongSession::SeekToSecond(int seconds) {
    engine_.SeekToSecond(seconds);
}

TickOutcome SongSession::Tick() {
    tick_.stop();
    if (!HasStream() && State() == PlayState::NoSong) {
        return TickOutcome::Stopped;
    }
    if (!engine_.IsPlaying()) {
        return State() == PlayState::Paused ? TickOutcome::Paused : TickOutcome::Ended;
    }
    engine_.ReadPosition();
    TakeLine();
    return TickOutcome::Playing;
}

int SongSession::LyricTimeMs() const {
    const std::int64_t time =
        std::int64_t{engine_.PositionMs()} + LyricOffsetMs + song_.LyricOffset;
    return static_cast<int>(std::clamp<std::int64_t>(time, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

void SongSession::CloseGraphics() {
    picture_.Close();
    currentPicture_ = nullptr;
    graphicsFiles_ = {};
}

void SongSession::TakeLine() {
    if (picture_.IsOpen()) {
        currentPicture_ = &picture_.PictureAt(LyricTimeMs());
        return;
    }
    if (!song_.Valid) {
        return;
    }
    std::int32_t line = currentLine_;
    song_.LineAt(LyricTimeMs(), line, currentText_);
    currentLine_ = line;
}

bool SongSession::TakeRedrawRequest() {
    return std::exchange(redrawRequested_, false);
}

}  // namespace vok
