// The buttons that load, play and stop songs, and the loading of one file.

#include "player/PlayerController.h"

#include "core/FileNames.h"
#include "core/TimeText.h"
#include "display/LyricRenderer.h"
#include "lyrics/SongSearch.h"
#include "player/PlayerLog.h"

#include <QFileInfo>

namespace vok {

namespace {

constexpr int kLyricInfoWidth = 74;

}  // namespace

void PlayerController::VoKBtnClick() {
    UserDialogs::OpenRequest request;
    request.Title = QStringLiteral("Load Vokalento...");
    request.Filter =
        QStringLiteral("Lyric files (*.vok *.lrc);;Vokalento-file (*.vok);;LRC lyrics (*.lrc)");
    request.DefaultSuffix = QStringLiteral("vok");
    if (!settings_.LyricFolder.isEmpty() && QFileInfo(settings_.LyricFolder).isDir()) {
        request.Folder = settings_.LyricFolder;
    }
    const QString picked = dialogs_.OpenFile(request);
    if (picked.isEmpty()) {
        return;
    }
    // The load buttons are disabled while a song plays, so the list can always be cleared here.
    if (!playList_.RensaListanClick()) {
        return;
    }
    ClearSong();
    playList_.AddEntries({picked});  // the only entry: it becomes active and is opened
    UppdateraLVLista();
    VisaInfo();
}

void PlayerController::MP3BtnClick() {
    UserDialogs::OpenRequest request;
    request.Title = QStringLiteral("Choose a song to load...");
    request.Filter = QStringLiteral("Songs (*.mp3)");
    if (!settings_.SongFolders.isEmpty()) {
        request.Folder = settings_.SongFolders.constFirst();
    }
    const QString picked = dialogs_.OpenFile(request);
    if (!picked.isEmpty()) {
        // Appended; into an empty list it becomes entry 0 and is opened.
        playList_.AddEntries({picked});
        UppdateraLVLista();
    } else {
        RepaintRows();
    }
    display_.LyricsDirty = true;
    VisaInfo();
}

void PlayerController::UnloadVokBtnClick() {
    ClearSong();
}

void PlayerController::UnloadMP3BtnClick() {
    const bool hadStream = engine_.Unload();
    SetPanel(InfoPanelId::Song, {});
    if (hadStream) {
        playList_.SetPlayIndex(-1);
        RepaintRows();
    }
}

void PlayerController::PlayBtnClick() {
    if (playList_.Count() == 0) {
        return;
    }
    if (playList_.PlayIndex() < 0) {
        playList_.SetPlayIndex(0);
    }
    if (HasStream()) {
        SpelaVOK(playList_.PlayIndex());
    }
}

void PlayerController::PausBtnClick() {
    if (engine_.PauseOrResume() == PauseOutcome::Resumed) {
        ArmTimer();  // the tick switched itself off while paused
    }
    if (HasStream() && window_ != nullptr) {
        window_->ShowPauseButton(engine_.IsPaused());
    }
    KeepScreenAwake();
}

void PlayerController::StopBtnClick() {
    Stoppa();
    if (autoQuit_) {
        options_.Quit();
    }
}

void PlayerController::PrevBtnClick() {
    playList_.PrevBtnClick();
}

void PlayerController::NextBtnClick() {
    playList_.NextBtnClick();
}

void PlayerController::SpelaVOK(int index) {
    playList_.SpelaVOK(index);
}

void PlayerController::Stoppa() {
    ShowStoppedLook(engine_.Stoppa());
}

void PlayerController::ShowStoppedLook(bool hadStream) {
    DisarmTimer();
    if (hadStream) {
        RepaintRows();
        if (window_ != nullptr) {
            window_->ShowPlayButton(false);
            window_->ShowPauseButton(false);
        }
        display_.VisaLogo();
    }
    if (window_ != nullptr) {
        window_->ClearSpectrum();
    }
    display_.ReleaseBar();
    SetLoadButtonsEnabled(true);
    KeepScreenAwake();
}

void PlayerController::ClearSong() {
    song_.Reset();
    SetPanel(InfoPanelId::Lyrics, {});
}

PlayerController::LoadResult PlayerController::LoadFile(const QString& path) {
    UnloadMP3BtnClick();
    ClearSong();
    LoadResult result;
    if (IsLyricFileName(path)) {
        result.Found = OpenLyricFile(path);
    } else {
        OpenAudioFile(path);
        result.Found = HasStream();
    }
    result.StreamOpened = HasStream();
    return result;
}

bool PlayerController::LaddaFil(const QString& path, int index) {
    const LoadResult result = LoadFile(path);
    RepaintRows();
    playList_.SetPlayIndex(index);
    return result.Found;
}

void PlayerController::OpenAudioFile(const QString& path) {
    OpenSong(path);
    display_.DrawSongMap();
}

bool PlayerController::OpenSong(const QString& path) {
    const bool opened = engine_.OpenSong(path);
    ShowSongInfo(path);
    return opened;
}

void PlayerController::ShowSongInfo(const QString& path) {
    InfoPanelText text;
    // A folder of that name is no file: it counts as missing.
    text.Title = !path.isEmpty() && QFileInfo(path).isFile() ? LocalFileName(path)
                                                             : QStringLiteral("File missing");
    if (HasStream()) {
        text.Info = QStringLiteral("Length: ") + FormatTime(engine_.LengthMs());
        text.Hint = path;
    } else {
        text.Info = QStringLiteral("Could not load file");
        qCInfo(lcPlayer).noquote() << "could not load" << path;
    }
    SetPanel(InfoPanelId::Song, text);
}

bool PlayerController::OpenLyricFile(const QString& path) {
    ClearSong();
    if (!IsLyricFileName(path)) {
        return false;
    }
    // The stream goes; SongPath and LengthMs stay, the search may fall back on that song.
    engine_.CloseStream();
    if (!song_.LoadFromFile(path)) {
        ClearSong();
        return false;
    }
    if (!song_.Valid && song_.Format == LyricFormat::Lrc) {
        ClearSong();
        dialogs_.Message(QStringLiteral("Warning"),
                         QStringLiteral("This is not a lyric file: no timed lines in\n") + path,
                         UserDialogs::Icon::Warning);
        return false;
    }
    if (!song_.Valid || song_.Version > TVokalento::SupportedVersion) {
        ClearSong();
        dialogs_.Message(QStringLiteral("Warning"),
                         QStringLiteral("This is not a valid Vokalento-file!\n") +
                             QString::number(TVokalento::SupportedVersion),
                         UserDialogs::Icon::Warning);
        return false;
    }
    InfoPanelText lyrics;
    lyrics.Title = path;
    if (!song_.Copyright.isEmpty()) {
        lyrics.Info = (QStringLiteral("Copyright: ") + song_.Copyright).left(kLyricInfoWidth);
    }
    SetPanel(InfoPanelId::Lyrics, lyrics);

    const bool lrc = song_.Format == LyricFormat::Lrc;
    const AudioSearchResult found =
        lrc ? FindAudioForLrc(path, settings_.SongFolders, engine_.SongPath())
            : FindAudioForLyrics(song_.SongFile, path, settings_.SongFolders, engine_.SongPath());
    switch (found.Source) {
        case AudioSource::StoredPath:
        case AudioSource::BesideLyrics:
            // Found, whether or not it then opens: a file that cannot be decoded says so in the
            // song panel ("Could not load file") rather than being called missing.
            OpenSong(found.Path);
            break;
        case AudioSource::SongFolder:
        case AudioSource::OpenSong:
            SetPanel(InfoPanelId::Song,
                     {QStringLiteral("Searching folders for appropriate song..."), {}, {}});
            OpenSong(found.Path);
            song_.EndLastLineAt(engine_.LengthMs());
            display_.DrawSongMap();
            return true;
        case AudioSource::None:
            // No song folder gave a result, or there was nothing to search.
            SetPanel(InfoPanelId::Song, {});
            if (engine_.SongPath().isEmpty()) {
                SetPanel(InfoPanelId::Song,
                         {QStringLiteral("Could not find the assign song, load one manually"),
                          QStringLiteral("Assigned filename: ") +
                              (lrc ? NameWithoutExtension(path) + QStringLiteral(".*")
                                   : FileNamePart(song_.SongFile)),
                          {}});
            }
            break;
    }
    song_.EndLastLineAt(engine_.LengthMs());
    if (engine_.LengthMs() >= 1) {
        display_.DrawSongMap();
    } else if (song_.SongLength > 0) {
        DrawSongMap(song_, display_.Renderer().SongMapBmp, song_.SongLength);
    }
    return found.Source != AudioSource::None;
}

bool PlayerController::CanReplaceSongFile() const {
    // An LRC file names no audio file, so there is nothing to replace.
    return song_.Valid && song_.Format == LyricFormat::Vok && !engine_.SongPath().isEmpty();
}

void PlayerController::ReplaceBtnClick() {
    if (!CanReplaceSongFile()) {
        return;
    }
    // A local name: on this system a backslash is part of the file name, not a separator.
    const QString songName = LocalFileName(engine_.SongPath());
    const QString question =
        QStringLiteral("Are you sure to replace the file:\n") + FileNamePart(song_.SongFile) +
        QStringLiteral("\nmed följande fil:\n") + songName + QStringLiteral("?");
    if (!dialogs_.AskYesNo(QStringLiteral("Replace"), question)) {
        return;
    }
    if (!song_.ReplaceSongFile(songName)) {
        dialogs_.Message(QStringLiteral("Error"), QStringLiteral("Error while saving!"),
                         UserDialogs::Icon::Error);
    }
}

void PlayerController::ShowCopyright() {
    dialogs_.Message(
        QStringLiteral("Copyright..."),
        QStringLiteral("Kestrovane Vokalento\n"
                       "Version 2.1.0\n\n"
                       "A karaoke player: it plays your songs and shows their words in time with "
                       "the music.\n\n"
                       "Copyright \u00A9 the Kestrovane Vokalento developers.\n"
                       "Contact: vokalento@kestrovane.se\n\n"
                       "Built with free software, used under its licences:\n"
                       "- Qt %1, under the GNU LGPL version 3 (qt.io)\n"
                       "- FFmpeg, under the GNU LGPL version 2.1 or later (ffmpeg.org)\n"
                       "- SDL 2, under the zlib licence (libsdl.org)\n"
                       "Each may be replaced by a compatible build of your own.")
            .arg(QString::fromLatin1(qVersion())),
        UserDialogs::Icon::Information);
}

}  // namespace vok
