#pragma once

namespace vok {

// The player's play state. The numbers are the ones the player has always used (4 is unused):
// settings, logs and the playlist rules compare against them.
enum class PlayState {
    Idle = 0,
    Playing = 1,
    Paused = 2,
    NoSong = 3,     // a stop or a start found no stream
    EndOfList = 5,  // set just before the stop after the last entry
};

}  // namespace vok
