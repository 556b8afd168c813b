#pragma once

#include "core/PlayState.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace vok {

// Returns a whole number drawn uniformly from 0 to count − 1 (count > 0).
using RandomDraw = std::function<int(int count)>;

// A draw from a generator seeded once from the clock.
RandomDraw ClockSeededDraw();

// Where a click on the playlist progress bar seeks to.
struct ProgressSeek {
    int seconds = 0;  // whole seconds for the stream position
    int timeMs = 0;   // the time whose lyric line becomes current
};

// x is the mouse position in a bar `width` pixels wide; positions outside the bar count as its
// ends. False (nothing to seek) for a bar without width; a song without length seeks to 0.
bool SeekFromProgressBar(int x, int width, int lengthMs, ProgressSeek& seek);

// What a navigation of the playlist leads to; the player carries it out.
struct PlaylistStep {
    enum class Action {
        Nothing,    // only the active entry may have moved
        Load,       // load entry Index without playing it
        Start,      // start entry Index (SpelaVOK, so Random draws)
        StopAtEnd,  // the last entry ended without Random: stop, end of list
    };
    Action What = Action::Nothing;
    int Index = -1;

    bool operator==(const PlaylistStep&) const = default;
};

// The playlist: its entries (`PlayItems`), the active entry (`PlayIndex`), Random mode, and the
// rules every navigation follows. It decides; the player loads, plays and shows.
class PlayList {
  public:
    explicit PlayList(RandomDraw draw = ClockSeededDraw());

    const QStringList& PlayItems() const { return items_; }
    int Count() const { return static_cast<int>(items_.size()); }
    bool Exists(int index) const { return index >= 0 && index < Count(); }
    // −1: none; Count(): a start ran past the last entry.
    int PlayIndex() const { return playIndex_; }
    // Kept within −1 … Count().
    void SetPlayIndex(int index);
    bool Random() const { return random_; }
    void SetRandom(bool on) { random_ = on; }

    // Starting an entry (−1 stands for the active one): with Random on a random entry instead.
    // It becomes the active entry; Count() when the request lies past the last entry (the player
    // stops). The player then loads it, and after each entry that fails to load asks
    // NextAfterFailedLoad, which never wraps around to the first entry.
    int ChooseStart(int index);
    int NextAfterFailedLoad();

    PlaylistStep Next(PlayState state);
    PlaylistStep Previous(PlayState state);
    // The Down and Up arrow keys.
    PlaylistStep Down(PlayState state);
    PlaylistStep Up(PlayState state);
    // A double click on row `row` (−1: no row selected).
    PlaylistStep DoubleClick(int row, PlayState state);
    // The stream of the playing song has ended.
    PlaylistStep SongEnded() const;

    // Appends entries. True when the list was empty before and is not now: its first entry is
    // then the active one, to be loaded.
    bool AddEntries(const QStringList& names);
    // Puts entries in to stand before entry `before` (kept within 0 … Count()); the active entry
    // stays the active one. True, as for AddEntries, when the list was empty before.
    bool InsertEntries(int before, const QStringList& names);
    // Replaces every entry (the player releases the old list's song first); true when the new
    // list has entries, the first of them active.
    bool ReplaceEntries(const QStringList& names);
    // Clears the list; refused (false) while a song plays or is paused.
    bool RensaListanClick(PlayState state);

    // Removes an entry other than the active one; false when refused.
    bool RemoveEntry(int index);
    // Moves an entry other than the active one to stand just before entry `before` as it is now
    // (Count(): to the end); the active entry stays active. False when refused.
    bool MoveEntry(int from, int before);

  private:
    int Draw();
    // Next and Previous: move the active entry (unless Random), then load or start it.
    PlaylistStep StepAndFollow(int step, PlayState state);
    // The arrow keys: move the active entry (a random one with Random), start it while playing.
    PlaylistStep MoveAndPlay(int step, PlayState state);

    RandomDraw draw_;
    QStringList items_;
    int playIndex_ = -1;
    bool random_ = false;
};

}  // namespace vok
