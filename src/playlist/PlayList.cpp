#include "playlist/PlayList.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>

namespace vok {

RandomDraw ClockSeededDraw() {
    const auto seed = static_cast<std::mt19937::result_type>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    auto generator = std::make_shared<std::mt19937>(seed);
    return [generator](int count) {
        return std::uniform_int_distribution<int>(0, count - 1)(*generator);
    };
}

bool SeekFromProgressBar(int x, int width, int lengthMs, ProgressSeek& seek) {
    if (width <= 0) {
        return false;
    }
    // Whole-number arithmetic truncates exactly like x / width × length does.
    const qint64 clampedX = std::clamp(x, 0, width);
    const qint64 time = clampedX * std::max(lengthMs, 0) / width;
    seek.timeMs = static_cast<int>(time);
    seek.seconds = static_cast<int>(time / 1000);
    return true;
}

PlayList::PlayList(RandomDraw draw) : draw_(std::move(draw)) {
    if (!draw_) {
        draw_ = ClockSeededDraw();
    }
}

void PlayList::SetPlayIndex(int index) {
    playIndex_ = std::clamp(index, -1, Count());
}

int PlayList::Draw() {
    // Callers make sure the list is not empty; a faulty source still cannot point outside it.
    return std::clamp(draw_(Count()), 0, Count() - 1);
}

int PlayList::ChooseStart(int index) {
    if (random_ && Count() > 0) {
        index = Draw();
    }
    if (index >= 0) {
        playIndex_ = index;
    }
    playIndex_ = std::min(playIndex_, Count());
    return playIndex_;
}

int PlayList::NextAfterFailedLoad() {
    playIndex_ = std::min(playIndex_ + 1, Count());
    return playIndex_;
}

PlaylistStep PlayList::Next(PlayState state) {
    return playIndex_ < Count() - 1 ? StepAndFollow(+1, state) : PlaylistStep{};
}

PlaylistStep PlayList::Previous(PlayState state) {
    return playIndex_ > 0 ? StepAndFollow(-1, state) : PlaylistStep{};
}

PlaylistStep PlayList::StepAndFollow(int step, PlayState state) {
    // With Random the index stays; a playing list then draws its next entry when it starts.
    if (!random_) {
        playIndex_ += step;
    }
    if (state == PlayState::Idle) {
        return {PlaylistStep::Action::Load, playIndex_};
    }
    if (state == PlayState::Playing) {
        return {PlaylistStep::Action::Start, playIndex_};
    }
    return {};
}

PlaylistStep PlayList::Down(PlayState state) {
    return playIndex_ < Count() - 1 ? MoveAndPlay(+1, state) : PlaylistStep{};
}

PlaylistStep PlayList::Up(PlayState state) {
    return playIndex_ > 0 ? MoveAndPlay(-1, state) : PlaylistStep{};
}

PlaylistStep PlayList::MoveAndPlay(int step, PlayState state) {
    playIndex_ = random_ ? Draw() : playIndex_ + step;
    if (state == PlayState::Playing) {
        return {PlaylistStep::Action::Start, playIndex_};
    }
    return {};
}

PlaylistStep PlayList::DoubleClick(int row, PlayState state) {
    if (!Exists(row)) {
        return {};
    }
    playIndex_ = row;
    return {state == PlayState::Playing ? PlaylistStep::Action::Start : PlaylistStep::Action::Load,
            row};
}

PlaylistStep PlayList::SongEnded() const {
    if (!random_ && playIndex_ + 1 == Count()) {
        return {PlaylistStep::Action::StopAtEnd, playIndex_};
    }
    return {PlaylistStep::Action::Start, playIndex_ + 1};
}

bool PlayList::AddEntries(const QStringList& names) {
    const bool wasEmpty = items_.isEmpty();
    items_ += names;
    if (wasEmpty && !items_.isEmpty()) {
        playIndex_ = 0;
        return true;
    }
    return false;
}

bool PlayList::InsertEntries(int before, const QStringList& names) {
    if (items_.isEmpty()) {
        return AddEntries(names);
    }
    const int at = std::clamp(before, 0, Count());
    for (qsizetype i = 0; i < names.size(); ++i) {
        items_.insert(at + i, names[i]);
    }
    if (playIndex_ >= at) {
        playIndex_ += static_cast<int>(names.size());
    }
    return false;
}

bool PlayList::ReplaceEntries(const QStringList& names) {
    items_.clear();
    playIndex_ = -1;
    return AddEntries(names);
}

bool PlayList::RensaListanClick(PlayState state) {
    // Only a playing or paused song keeps the list; with nothing playable (state 3) the list
    // must still be clearable.
    if (state != PlayState::Idle && state != PlayState::NoSong) {
        return false;
    }
    playIndex_ = -1;
    items_.clear();
    return true;
}

bool PlayList::RemoveEntry(int index) {
    if (!Exists(index) || index == playIndex_) {
        return false;
    }
    items_.removeAt(index);
    if (index < playIndex_) {
        --playIndex_;
    }
    return true;
}

bool PlayList::MoveEntry(int from, int before) {
    if (!Exists(from) || from == playIndex_ || before < 0 || before > Count()) {
        return false;
    }
    // A copy goes in before the target, then the original goes out.
    QList<int> order;
    for (int i = 0; i < Count(); ++i) {
        order.append(i);
    }
    order.insert(before, from);
    order.removeAt(before > from ? from : from + 1);
    QStringList moved;
    for (const int original : order) {
        moved.append(items_[original]);
    }
    items_ = std::move(moved);
    if (Exists(playIndex_)) {
        playIndex_ = static_cast<int>(order.indexOf(playIndex_));
    }
    return true;
}

}  // namespace vok
