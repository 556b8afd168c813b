// The song library's side of the player: the folders it holds, the Library window's actions, and
// what the player learns about the song it plays.

#include "player/PlayerController.h"

#include <QDir>
#include <algorithm>

namespace vok {

namespace {

QString CleanFolder(const QString& folder) {
    return folder.isEmpty() ? QString() : QDir::cleanPath(folder);
}

}  // namespace

QStringList PlayerController::LibraryFolders(const QStringList& songFolders,
                                             const QString& lyricFolder) const {
    QStringList folders;
    for (const QString& folder : songFolders) {
        if (!folder.trimmed().isEmpty()) {
            folders.append(folder);
        }
    }
    // The lyric folder nobody chose is the program folder or the home folder; neither (nor the
    // root) is a song collection, and walking a whole home folder would take the library's time
    // for nothing.
    const QString lyric = CleanFolder(lyricFolder);
    if (!lyric.isEmpty() && lyric != CleanFolder(paths_.DefaultLyricFolder()) &&
        lyric != QDir::cleanPath(QDir::homePath()) && lyric != QDir::rootPath()) {
        folders.append(lyricFolder);
    }
    return folders;
}

void PlayerController::ScanLibraryFolders() {
    library_->AddFolders(LibraryFolders(settings_.SongFolders, settings_.LyricFolder));
    library_->Rescan();
}

void PlayerController::OpenLibrary() {
    if (libraryWindow_ != nullptr) {
        libraryWindow_->Open();
    }
}

void PlayerController::AppendSongs(const QStringList& songs) {
    if (!songs.isEmpty()) {
        AddToPlaylist(songs);
    }
}

void PlayerController::PlayNext(const QStringList& songs) {
    // Without an active entry the songs go first: Play starts the first entry.
    InsertSongs(playList_.PlayIndex() + 1, songs);
}

void PlayerController::InsertSongs(int before, const QStringList& songs) {
    if (songs.isEmpty()) {
        return;
    }
    if (playList_.InsertEntries(before, songs)) {
        ReleaseSong();
        OpenFirstEntry();
    }
    ListChanged();
    VisaInfo();
}

void PlayerController::RescanLibrary() {
    library_->Rescan();
}

void PlayerController::RebuildLibrary() {
    if (library_->Rebuild()) {
        ScanLibraryFolders();
    }
}

// --- The loaded song ------------------------------------------------------------------------

QString PlayerController::LoadedSong() const {
    return HasStream() ? songKey_ : QString();
}

void PlayerController::TakeSongOffset() {
    const QString song = LoadedSong();
    songOffsetMs_ = song.isEmpty() ? 0 : library_->SongLyricOffset(song);
    ApplyLyricOffset();
    TakeSongKeyAndTempo();
}

void PlayerController::ForgetSong() {
    songKey_.clear();
    songOffsetMs_ = 0;
    ApplyLyricOffset();
    TakeSongKeyAndTempo();
}

void PlayerController::ApplyLyricOffset() {
    session_.LyricOffsetMs =
        std::clamp(settings_.LyricOffset + songOffsetMs_, -kMaxLyricOffset, kMaxLyricOffset);
}

void PlayerController::ChangeLyricOffset(int stepMs) {
    const QString song = LoadedSong();
    if (song.isEmpty() || !library_->Available()) {
        settings_.LyricOffset =
            std::clamp(settings_.LyricOffset + stepMs, -kMaxLyricOffset, kMaxLyricOffset);
    } else {
        // The song's own part, so that the two together stay within the limit.
        songOffsetMs_ = std::clamp(songOffsetMs_ + stepMs, -kMaxLyricOffset - settings_.LyricOffset,
                                   kMaxLyricOffset - settings_.LyricOffset);
        library_->SetSongLyricOffset(song, songOffsetMs_);
    }
    ApplyLyricOffset();
    const int total = session_.LyricOffsetMs;
    const QString sign = total > 0 ? QStringLiteral("+") : QString();
    notice_.Show(QStringLiteral("Lyrics offset: ") + sign + QString::number(total) +
                 QStringLiteral(" ms"));
    ShowFrameNow();
}

void PlayerController::NoteSongStarted() {
    const QString song = LoadedSong();
    if (song.isEmpty()) {
        return;
    }
    library_->NotePlayed(song);
    const int lengthMs = Engine().LengthMs();
    const std::optional<library::SongRow> known = library_->Find(song);
    if (lengthMs > 0 && (!known || known->DurationMs <= 0)) {
        library_->NoteDuration(song, lengthMs);
    }
}

}  // namespace vok
