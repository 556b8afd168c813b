#pragma once

#include "library/SongLibrary.h"
#include "tags/TagTitleArtist.h"

#include <QString>

#include <optional>

namespace vok::library {

// Title and artist of a song file, as a playlist row shows it: the file's own tags (a lyric
// file's header, an MP3's ID3 tags), for a graphics song the tags of its audio, and for a
// graphics song without tags the karaoke naming of its file name ("Artist - Title").
TitleArtist ReadSongTitle(const QString& path);

// What kind of song a file name is; nothing for a name that is no song.
std::optional<SongKind> SongKindOfName(const QString& path);

// What the library keeps of a song file, read from the file (and the audio beside it).
struct SongFacts {
    // False for a file that plays as no song: a .cdg without audio beside it, a zip without a
    // .cdg inside, a lyric file that is not one.
    bool IsSong = false;
    SongKind Kind = SongKind::Audio;
    QString Title;
    QString Artist;
    int DurationMs = 0;
    // The audio a lyric or graphics song plays (listed under this song, not on its own); empty
    // for an audio song or when none was found.
    QString Audio;
};
SongFacts ReadSongFacts(const QString& path);

// The length of an MP3 from its first frame (the frame count of a Xing, Info or VBRI header,
// else the bit rate and the file size); 0 when it cannot tell. Reads a few kilobytes only.
int Mp3DurationMs(const QString& path);
// The length of an Ogg Vorbis or Opus file from its first and its last page; 0 when it cannot
// tell. Reads at most 68 KiB.
int OggDurationMs(const QString& path);
// Either of the two by the name; 0 for any other audio (the player notes it once it plays).
int AudioDurationMs(const QString& path);

// The file name as the search sees it: the base name with separators turned into spaces.
QString SearchName(const QString& path);

}  // namespace vok::library
