// The player window's buttons and the loading and starting of songs.

#include "app/VokPlayForm.h"
#include "app/VolumeBar.h"

#include "core/FileNames.h"
#include "display/LyricRenderer.h"
#include "lyrics/SongSearch.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace vok {

namespace {

constexpr int kLyricInfoWidth = 74;

}  // namespace

void TVokPlayForm::VoKBtnClick() {
    UserDialogs::OpenRequest request;
    request.Title = QStringLiteral("Load Vokalento...");
    request.Filter = QStringLiteral("Vokalento-file (*.vok)");
    request.DefaultSuffix = QStringLiteral("vok");
    if (!settings_.LyricFolder.isEmpty() && QFileInfo(settings_.LyricFolder).isDir()) {
        request.Folder = settings_.LyricFolder;
    }
    const QString picked = dialogs_->OpenFile(request);
    if (picked.isEmpty()) {
        return;
    }
    // The load buttons are disabled while a song plays, so the list can always be cleared here.
    if (!playList_->RensaListanClick()) {
        return;
    }
    ClearSong();
    playList_->AddEntries({picked});  // the only entry: it becomes active and is opened
}

void TVokPlayForm::MP3BtnClick() {
    UserDialogs::OpenRequest request;
    request.Title = QStringLiteral("Choose a song to load...");
    request.Filter = QStringLiteral("Songs (*.mp3)");
    if (!settings_.SongFolders.isEmpty()) {
        request.Folder = settings_.SongFolders.constFirst();
    }
    const QString picked = dialogs_->OpenFile(request);
    if (!picked.isEmpty()) {
        // Appended; into an empty list it becomes entry 0 and is opened.
        playList_->AddEntries({picked});
    }
    RepaintPlaylist();
    display_.LyricsDirty = true;
}

void TVokPlayForm::UnloadVokBtnClick() {
    ClearSong();
}

void TVokPlayForm::UnloadMP3BtnClick() {
    engine_.UnloadMP3BtnClick();
}

void TVokPlayForm::PlayBtnClick() {
    if (playList_->Count() == 0) {
        return;
    }
    if (playList_->PlayIndex() < 0) {
        playList_->SetPlayIndex(0);
    }
    if (HasStream()) {
        SpelaVOK(playList_->PlayIndex());
    }
}

void TVokPlayForm::PausBtnClick() {
    engine_.PausBtnClick();
}

void TVokPlayForm::StopBtnClick() {
    Stoppa();
    if (autoQuit_) {
        options_.Quit();
    }
}

void TVokPlayForm::PrevBtnClick() {
    playList_->PrevBtnClick();
}

void TVokPlayForm::NextBtnClick() {
    playList_->NextBtnClick();
}

void TVokPlayForm::VolBarMouseUp(int y) {
    engine_.VolBarMouseUp(y, volBar_->height());
}

void TVokPlayForm::VolBarMouseMove(int y, bool leftButtonHeld) {
    engine_.VolBarMouseMove(y, leftButtonHeld, volBar_->height());
}

void TVokPlayForm::ClearSong() {
    song_.Reset();
    vokLines_.Clear();
}

TVokPlayForm::LoadResult TVokPlayForm::LoadEntryFile(const QString& path) {
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

bool TVokPlayForm::LaddaFil(const QString& path, int index) {
    const LoadResult result = LoadEntryFile(path);
    RepaintPlaylist();
    playList_->SetPlayIndex(index);
    return result.Found;
}

void TVokPlayForm::OpenAudioFile(const QString& path) {
    engine_.OpenSong(path);
    display_.DrawSongMap();
}

void TVokPlayForm::SpelaVOK(int index) {
    playList_->SpelaVOK(index);
}

void TVokPlayForm::SkipPlay(int index) {
    playList_->SkipPlay(index);
}

void TVokPlayForm::StartDisplay() {
    DisarmTimer();
    RepaintPlaylist();
    QCoreApplication::processEvents();
    // A click handled just now may have stopped the song; a stopped song must not get a running
    // display tick, which would take it for ended and start the next entry.
    if (PlayState() != playstate::Playing || !HasStream()) {
        return;
    }
    // Started by key or by the playlist as well as by a click: the transport pictures follow.
    ShowPlayingButtons();
    display_.ClearDisplayArea();
    display_.PrepareDisplay(FileNamePart(engine_.SongPath()));
    display_.RedrawLyrics = true;
    ArmTimer();
}

bool TVokPlayForm::OpenLyricFile(const QString& path) {
    ClearSong();
    if (!IsLyricFileName(path)) {
        return false;
    }
    // The stream goes; SongPath and LengthMs stay, the search may fall back on that song.
    engine_.CloseStream();
    SetSpectrumStream(0);
    if (!song_.LoadFromFile(path)) {
        ClearSong();
        return false;
    }
    if (!song_.Valid || song_.Version > TVokalento::SupportedVersion) {
        ClearSong();
        dialogs_->Message(QStringLiteral("Warning"),
                          QStringLiteral("This is not a valid Vokalento-file!\n") +
                              QString::number(TVokalento::SupportedVersion),
                          UserDialogs::Icon::Warning);
        return false;
    }
    vokLines_.SetTitleLine(path);
    if (!song_.Copyright.isEmpty()) {
        vokLines_.SetInfoLine(
            (QStringLiteral("Copyright: ") + song_.Copyright).left(kLyricInfoWidth));
    }

    const AudioSearchResult found =
        FindAudioForLyrics(song_.SongFile, path, settings_.SongFolders, engine_.SongPath());
    bool result = false;
    switch (found.Source) {
        case AudioSource::StoredPath:
        case AudioSource::BesideLyrics:
            engine_.OpenSong(found.Path);
            result = true;
            break;
        case AudioSource::SongFolder:
        case AudioSource::OpenSong:
            mp3Lines_.SetTitleLine(QStringLiteral("Searching folders for appropriate song..."));
            engine_.OpenSong(found.Path);
            display_.DrawSongMap();
            return true;
        case AudioSource::None:
            // No song folder gave a result, or there was nothing to search.
            mp3Lines_.Clear();
            break;
    }
    if (engine_.SongPath().isEmpty()) {
        mp3Lines_.SetTitleLine(QStringLiteral("Could not find the assign song, load one manually"));
        mp3Lines_.SetInfoLine(QStringLiteral("Assigned filename: ") + FileNamePart(song_.SongFile));
    }
    if (engine_.LengthMs() >= 1) {
        display_.DrawSongMap();
    } else if (song_.SongLength > 0) {
        DrawSongMap(song_, display_.Renderer().SongMapBmp, song_.SongLength);
    }
    return result;
}

void TVokPlayForm::ReplaceBtnClick() {
    if (!song_.Valid || engine_.SongPath().isEmpty()) {
        return;
    }
    const QString songName = FileNamePart(engine_.SongPath());
    const QString question =
        QStringLiteral("Are you sure to replace the file:\n") + FileNamePart(song_.SongFile) +
        QStringLiteral("\nmed följande fil:\n") + songName + QStringLiteral("?");
    if (!dialogs_->AskYesNo(QStringLiteral("Replace"), question)) {
        return;
    }
    if (!song_.ReplaceSongFile(songName)) {
        dialogs_->Message(QStringLiteral("Error"), QStringLiteral("Error while saving!"),
                          UserDialogs::Icon::Error);
    }
}

void TVokPlayForm::ShowCopyright() {
    dialogs_->Message(QStringLiteral("Copyright..."),
                      QStringLiteral("Kestrovane Vokalento\n"
                                     "Version 2.1.0\n\n"
                                     "A karaoke player: it plays your songs and shows their "
                                     "words in time with the music.\n\n"
                                     "Copyright \u00A9 the Kestrovane Vokalento developers.\n"
                                     "Sound is decoded and played by free software audio "
                                     "libraries; thanks to their authors."),
                      UserDialogs::Icon::Information);
}

}  // namespace vok
