#pragma once

namespace vok {

// Values of the player's PlayState. Plain ints: the display tick and the playlist store 5 in
// passing, and the values are what the settings and the playlist rules compare against.
namespace playstate {
inline constexpr int Idle = 0;
inline constexpr int Playing = 1;
inline constexpr int Paused = 2;
inline constexpr int NoSong = 3;     // a stop or a start found no stream
inline constexpr int EndOfList = 5;  // set just before the stop after the last entry
}  // namespace playstate

}  // namespace vok
