#pragma once

#include "core/PlayState.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace vok {

// What the playlist rules need of the player window: loading, starting and stopping songs and
// refreshing what the user sees. The window implements it; tests use a fake.
class PlayListHost {
  public:
    virtual ~PlayListHost() = default;

    virtual PlayState State() const = 0;
    virtual void SetState(PlayState state) = 0;
    // True while an audio stream is loaded.
    virtual bool StreamLoaded() const = 0;

    // Unloads the current song and loads the named file without starting it (a lyric file with
    // its audio file). True when an audio stream was opened.
    virtual bool LoadEntryFile(const QString& fileName) = 0;
    // Starts the loaded stream from its beginning and sets the progress bar's maximum.
    virtual void StartLoadedSong() = 0;
    // Prepares the display and enables the display tick for the song just started.
    virtual void StartDisplay() = 0;
    // A start found no entry that loads: the player shows that nothing plays (PlayState 3).
    virtual void NothingToPlay() = 0;
    // Stops playback; leaves PlayState 0 with a stream loaded, else 3.
    virtual void Stoppa() = 0;
    // Releases the loaded stream, if any (the song must not be playing any more).
    virtual void UnloadAudio() = 0;

    // Resets the song model and clears the lyric-file panel.
    virtual void ClearSong() = 0;
    // Opens a lyric file and its audio file without playing; true when the audio file was found.
    virtual bool OpenLyricFile(const QString& fileName) = 0;
    // Opens an audio file without playing, shows its name and length and draws the song map.
    virtual void OpenAudioFile(const QString& fileName) = 0;

    virtual void RepaintRows() = 0;
    virtual void RemoveAllRows() = 0;
    // Refreshes the playlist window's status line.
    virtual void RefreshStatusLine() = 0;
};

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

// The playlist: its entries (`PlayItems`), the active entry (`PlayIndex`), Random mode, and the
// rules every navigation follows. Playing and showing go through the host.
class PlayList {
  public:
    explicit PlayList(PlayListHost& host, RandomDraw draw = ClockSeededDraw());

    const QStringList& PlayItems() const { return items_; }
    int Count() const { return static_cast<int>(items_.size()); }
    // −1: none; Count(): a start ran past the last entry.
    int PlayIndex() const { return playIndex_; }
    // For the player's unload (−1) and the restored active entry at start-up; kept within
    // −1 … Count().
    void SetPlayIndex(int index);
    bool Random() const { return random_; }
    void SetRandom(bool on) { random_ = on; }

    // Starts an entry; −1 stands for the active one. With Random on a random entry is started.
    void SpelaVOK(int index);
    void SkipPlay(int index) { SpelaVOK(index); }

    void NextBtnClick();
    void PrevBtnClick();
    // The Down and Up arrow keys.
    void DownKey();
    void UpKey();
    // A double click on row `row` (−1: no row selected).
    void VokListaDblClick(int row);
    // The stream of the playing song has ended.
    void SongEnded();

    // Appends entries; when the list was empty before, its first entry is made active and loaded.
    void AddEntries(const QStringList& names);
    // Replaces every entry, releasing the song of the old list first.
    void ReplaceEntries(const QStringList& names);
    // Makes entry 0 active and loads it without playing.
    void LoadFirstEntry();
    // Clears the list; refused (false) while a song plays or is paused.
    bool RensaListanClick();

    // Removes an entry other than the active one; false when refused.
    bool RemoveEntry(int index);
    // Moves an entry other than the active one to stand just before entry `before` as it is now
    // (Count(): to the end); the active entry stays active. False when refused.
    bool MoveEntry(int from, int before);

  private:
    bool Exists(int index) const { return index >= 0 && index < Count(); }
    int Draw();
    // Loads entry `index` without starting it; it becomes the active entry either way.
    bool LoadEntry(int index);
    void ReleaseSong();
    // Next and Previous: move the active entry (unless Random) and load or start it.
    void StepAndFollow(int step);

    PlayListHost& host_;
    RandomDraw draw_;
    QStringList items_;
    int playIndex_ = -1;
    bool random_ = false;
};

}  // namespace vok
