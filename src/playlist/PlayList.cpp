#include "playlist/PlayList.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>

#include "core/FileNames.h"

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

PlayList::PlayList(PlayListHost& host, RandomDraw draw) : host_(host), draw_(std::move(draw)) {
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

bool PlayList::LoadEntry(int index) {
    if (!Exists(index)) {
        return false;
    }
    const bool loaded = host_.LoadEntryFile(items_[index]);
    playIndex_ = index;  // after the load: unloading the old song clears the active entry
    host_.RepaintRows();
    return loaded;
}

void PlayList::SpelaVOK(int index) {
    if (random_ && Count() > 0) {
        index = Draw();
    }
    if (index < 0) {
        index = playIndex_;
    }
    playIndex_ = index;
    if (playIndex_ > Count() - 1) {
        playIndex_ = Count();
        host_.Stoppa();
        return;
    }
    // On from the requested entry to the first that loads; never round to the start.
    bool loaded = LoadEntry(playIndex_);
    while (!loaded && playIndex_ < Count()) {
        ++playIndex_;
        if (playIndex_ < Count()) {
            loaded = LoadEntry(playIndex_);
        }
    }
    if (!host_.StreamLoaded()) {
        host_.SetState(PlayState::NoSong);
        host_.NothingToPlay();
        return;
    }
    host_.StartLoadedSong();
    host_.SetState(PlayState::Playing);
    host_.RepaintRows();
    host_.StartDisplay();
}

void PlayList::NextBtnClick() {
    if (playIndex_ < Count() - 1) {
        StepAndFollow(+1);
    }
}

void PlayList::PrevBtnClick() {
    if (playIndex_ > 0) {
        StepAndFollow(-1);
    }
}

void PlayList::StepAndFollow(int step) {
    // With Random the index stays; a playing list then draws its next entry in SpelaVOK.
    if (!random_) {
        playIndex_ += step;
        host_.RepaintRows();
    }
    const PlayState state = host_.State();
    if (state == PlayState::Idle) {
        LoadEntry(playIndex_);
    } else if (state == PlayState::Playing) {
        SkipPlay(playIndex_);
    }
}

void PlayList::DownKey() {
    if (playIndex_ >= Count() - 1) {
        return;
    }
    playIndex_ = random_ ? Draw() : playIndex_ + 1;
    if (host_.State() == PlayState::Playing) {
        SkipPlay(playIndex_);
    }
}

void PlayList::UpKey() {
    if (playIndex_ <= 0) {
        return;
    }
    playIndex_ = random_ ? Draw() : playIndex_ - 1;
    if (host_.State() == PlayState::Playing) {
        SkipPlay(playIndex_);
    }
}

void PlayList::VokListaDblClick(int row) {
    if (!Exists(row)) {
        return;
    }
    playIndex_ = row;
    if (host_.State() == PlayState::Playing) {
        SkipPlay(playIndex_);
    } else {
        LoadEntry(playIndex_);
        host_.RefreshStatusLine();
    }
}

void PlayList::SongEnded() {
    host_.SetState(PlayState::Idle);
    if (!random_ && playIndex_ + 1 == Count()) {
        host_.SetState(PlayState::EndOfList);
        host_.Stoppa();
    } else {
        SkipPlay(playIndex_ + 1);
    }
}

void PlayList::AddEntries(const QStringList& names) {
    const bool wasEmpty = items_.isEmpty();
    items_ += names;
    if (wasEmpty && !items_.isEmpty()) {
        LoadFirstEntry();
    }
}

void PlayList::ReplaceEntries(const QStringList& names) {
    // The rows and the loaded song must not outlive the list they belong to.
    ReleaseSong();
    host_.ClearSong();
    items_.clear();
    host_.RemoveAllRows();
    playIndex_ = -1;
    AddEntries(names);
}

void PlayList::ReleaseSong() {
    const PlayState state = host_.State();
    if (state == PlayState::Playing || state == PlayState::Paused) {
        host_.Stoppa();
    }
    if (host_.StreamLoaded()) {
        host_.UnloadAudio();
    }
}

void PlayList::LoadFirstEntry() {
    if (items_.isEmpty()) {
        return;
    }
    // A song still loaded here belongs to a list that is gone; it would otherwise keep playing
    // (or stay loaded) under the new entry 0.
    ReleaseSong();
    host_.ClearSong();
    playIndex_ = 0;
    const QString& first = items_.first();
    if (IsLyricFileName(first)) {
        host_.OpenLyricFile(first);
    } else {
        host_.OpenAudioFile(first);
    }
}

bool PlayList::RensaListanClick() {
    // Only a playing or paused song keeps the list; with nothing playable (state 3) the list
    // must still be clearable.
    const PlayState state = host_.State();
    if (state != PlayState::Idle && state != PlayState::NoSong) {
        return false;
    }
    playIndex_ = -1;
    host_.ClearSong();
    host_.UnloadAudio();
    items_.clear();
    host_.RemoveAllRows();
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
