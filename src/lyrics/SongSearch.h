#pragma once

#include <QString>
#include <QStringList>

namespace vok {

// Depth-first, pre-order search of the folder's tree for the first entry matching `name` (used as
// a wildcard pattern, case ignored). A folder bearing the name counts. Gives folder + "/" + the
// entry's name as listed, or an empty text. Links that lead back into the tree and folders that
// cannot be listed are passed over, so the search always ends.
QString FindSongInFolders(const QString& name, const QString& folder);

// The file of this name in the folder, matched ignoring case (an exact match first); empty when
// there is none. Folders do not count.
QString FindFileIgnoringCase(const QString& folder, const QString& name);

// Where the audio file of a lyric file was found.
enum class AudioSource {
    None,          // nothing found
    StoredPath,    // SongFile as a path (a bare name relative to the current folder)
    BesideLyrics,  // the file-name part of SongFile in the lyric file's folder
    SongFolder,    // found below song folder FolderIndex
    OpenSong,      // no folder held it; the song that was open is kept
};

struct AudioSearchResult {
    AudioSource Source = AudioSource::None;
    QString Path;            // the candidate to open; empty with None
    int FolderIndex = -1;    // with SongFolder: the index in the song-folder list
    bool SearchRan = false;  // the song folders were searched (list and SongFile not empty)
};

// The window-free part of opening a lyric file's audio: the stored path, then beside the lyric
// file, then every song folder in order, and only then the song that was open before.
AudioSearchResult FindAudioForLyrics(const QString& songFile, const QString& lyricFilePath,
                                     const QStringList& songFolders, const QString& openSongPath);

// The audio of an LRC file, which names none: a file of the same base name beside it (the
// extensions of LrcAudioExtensions in order, case ignored), then each song folder's tree for those
// names, and only then the song that was open before.
AudioSearchResult FindAudioForLrc(const QString& lrcFilePath, const QStringList& songFolders,
                                  const QString& openSongPath);

// The first step of FindAudioForLrc alone (the playlist reads tags from it); empty when none.
QString FindAudioBesideLrc(const QString& lrcFilePath);

}  // namespace vok
