// The buttons that load, play and stop songs, and the loading of one file.

#include "player/PlayerController.h"

#include "core/FileNames.h"
#include "core/TimeText.h"
#include "display/LyricRenderer.h"
#include "karaoke/KaraokeName.h"
#include "lyrics/SongSearch.h"
#include "player/PlayerLog.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace vok {

namespace {

constexpr int kLyricInfoWidth = 74;

}  // namespace

void PlayerController::VoKBtnClick() {
    UserDialogs::OpenRequest request;
    request.Title = QStringLiteral("Load Vokalento...");
    request.Filter = QStringLiteral(
        "Lyric files (*.vok *.lrc *.cdg *.zip);;Vokalento-file (*.vok);;"
        "LRC lyrics (*.lrc);;MP3+G karaoke (*.cdg *.zip)");
    request.DefaultSuffix = QStringLiteral("vok");
    if (!settings_.LyricFolder.isEmpty() && QFileInfo(settings_.LyricFolder).isDir()) {
        request.Folder = settings_.LyricFolder;
    }
    const QString picked = dialogs_.OpenFile(request);
    if (picked.isEmpty()) {
        return;
    }
    // The load buttons are disabled while a song plays, so the list can always be cleared here.
    if (playList_.RensaListanClick(State())) {
        ReplacePlaylist({picked});  // the only entry: it becomes active and is opened
    }
}

void PlayerController::MP3BtnClick() {
    UserDialogs::OpenRequest request;
    request.Title = QStringLiteral("Choose a song to load...");
    request.Filter = QStringLiteral("Songs (*.mp3)");
    if (!settings_.SongFolders.isEmpty()) {
        request.Folder = settings_.SongFolders.constFirst();
    }
    const QString picked = dialogs_.OpenFile(request);
    if (picked.isEmpty()) {
        RepaintRows();
        VisaInfo();
        return;
    }
    AddToPlaylist({picked});  // into an empty list it becomes entry 0 and is opened
}

void PlayerController::UnloadVokBtnClick() {
    ClearSong();
}

void PlayerController::UnloadMP3BtnClick() {
    const bool hadStream = session_.Engine().Unload();
    ForgetSong();
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
    if (session_.Engine().PauseOrResume() == PauseOutcome::Resumed) {
        session_.ArmTick();  // the tick switched itself off while paused
    }
    if (HasStream() && window_ != nullptr) {
        window_->ShowPauseButton(Engine().IsPaused());
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
    Follow(playList_.Previous(State()));
}

void PlayerController::NextBtnClick() {
    Follow(playList_.Next(State()));
}

void PlayerController::Follow(const PlaylistStep& step) {
    switch (step.What) {
        case PlaylistStep::Action::Nothing:
            RepaintRows();
            return;
        case PlaylistStep::Action::Load:
            LoadEntry(step.Index);
            return;
        case PlaylistStep::Action::Start:
            SpelaVOK(step.Index);
            return;
        case PlaylistStep::Action::StopAtEnd:
            session_.SetState(PlayState::EndOfList);
            Stoppa();
            return;
    }
}

bool PlayerController::LoadEntry(int index) {
    if (!playList_.Exists(index)) {
        return false;
    }
    // A lyric file whose song was found but cannot be decoded gives nothing to play, so it
    // counts as failed here.
    const bool opened = LoadFile(playList_.PlayItems().at(index)).StreamOpened;
    playList_.SetPlayIndex(index);  // after the load: unloading the old song clears it
    RepaintRows();
    return opened;
}

void PlayerController::SpelaVOK(int index) {
    int entry = playList_.ChooseStart(index);
    if (entry >= playList_.Count()) {
        Stoppa();
        return;
    }
    // On from the requested entry to the first that plays; never round to the start.
    bool loaded = LoadEntry(entry);
    while (!loaded && (entry = playList_.NextAfterFailedLoad()) < playList_.Count()) {
        loaded = LoadEntry(entry);
    }
    if (!HasStream()) {
        // Whatever played before is gone: the player must look idle again, or nothing could be
        // loaded (the load buttons stay off while a song plays) and the last frame would stay.
        session_.SetState(PlayState::NoSong);
        ShowStoppedLook(true);
        return;
    }
    StartLoadedSong();
}

void PlayerController::StartLoadedSong() {
    session_.Start();
    NoteSongStarted();
    SetPlayProgress(0);
    RepaintRows();
    StartDisplay();
}

void PlayerController::StartDisplay() {
    session_.DisarmTick();
    QCoreApplication::processEvents();
    // A click handled just now may have stopped the song; a stopped song must not get a running
    // display tick, which would take it for ended and start the next entry.
    if (State() != PlayState::Playing || !HasStream()) {
        return;
    }
    // Started by key or by the playlist as well as by a click: the transport pictures follow.
    if (window_ != nullptr) {
        window_->ShowPlayButton(true);
        window_->ShowPauseButton(false);
    }
    SetLoadButtonsEnabled(false);
    display_.ClearDisplayArea();
    session_.TakeLine();
    display_.PrepareDisplay(TitleTextFor(Song(), LocalFileName(Engine().SongPath())), Snapshot());
    session_.ArmTick();
    KeepScreenAwake();
}

void PlayerController::KeepScreenAwake() {
    awake_.SetPlaying(State() == PlayState::Playing);
    emit PlayerChanged();
}

void PlayerController::Stoppa() {
    ShowStoppedLook(session_.Stop());
}

void PlayerController::ShowStoppedLook(bool hadStream) {
    session_.DisarmTick();
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
    ForgetSong();
    session_.Song().Reset();
    session_.CloseGraphics();
    SetPanel(InfoPanelId::Lyrics, {});
}

void PlayerController::ReleaseSong() {
    const PlayState state = State();
    if (state == PlayState::Playing || state == PlayState::Paused) {
        Stoppa();
    }
    if (HasStream()) {
        UnloadMP3BtnClick();
    }
    ClearSong();
}

void PlayerController::ReplacePlaylist(const QStringList& entries) {
    // The old list's song must not play on, or stay loaded, under the new entry 0.
    ReleaseSong();
    if (playList_.ReplaceEntries(entries)) {
        OpenFirstEntry();
    }
    ListChanged();
    VisaInfo();
}

void PlayerController::AddToPlaylist(const QStringList& entries) {
    if (playList_.AddEntries(entries)) {
        ReleaseSong();
        OpenFirstEntry();
    }
    ListChanged();
    VisaInfo();
}

void PlayerController::OpenFirstEntry() {
    playList_.SetPlayIndex(0);
    const QString& first = playList_.PlayItems().constFirst();
    if (IsLyricFileName(first)) {
        LoadLyricFile(first);
    } else if (IsGraphicsEntry(first)) {
        LoadGraphicsSong(first);
    } else {
        OpenAudioFile(first);
    }
}

PlayerController::LoadResult PlayerController::LoadFile(const QString& path) {
    UnloadMP3BtnClick();
    ClearSong();
    LoadResult result;
    if (IsLyricFileName(path)) {
        result.Found = LoadLyricFile(path);
    } else if (IsGraphicsEntry(path)) {
        result.Found = LoadGraphicsSong(path);
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
    songKey_ = path;
    OpenSong(path);
    display_.DrawSongMap(Song(), Engine().LengthMs());
}

bool PlayerController::OpenSong(const QString& path) {
    const bool opened = session_.Engine().OpenSong(path);
    TakeSongOffset();
    ShowSongInfo(path);
    return opened;
}

void PlayerController::ShowSongInfo(const QString& path) {
    InfoPanelText text;
    // A folder of that name is no file: it counts as missing.
    text.Title = !path.isEmpty() && QFileInfo(path).isFile() ? LocalFileName(path)
                                                             : QStringLiteral("File missing");
    if (HasStream()) {
        text.Info = QStringLiteral("Length: ") + FormatTime(Engine().LengthMs());
        text.Hint = path;
    } else {
        text.Info = QStringLiteral("Could not load file");
        qCInfo(lcPlayer).noquote() << "could not load" << path;
    }
    SetPanel(InfoPanelId::Song, text);
}

bool PlayerController::OpenLyricFile(const QString& path) {
    ClearSong();
    return LoadLyricFile(path);
}

bool PlayerController::LoadLyricFile(const QString& path) {
    if (!IsLyricFileName(path)) {
        return false;
    }
    // The stream goes; SongPath and LengthMs stay, the search may fall back on that song.
    PlaybackEngine& engine = session_.Engine();
    TVokalento& song = session_.Song();
    engine.CloseStream();
    if (!song.LoadFromFile(path)) {
        ClearSong();
        return false;
    }
    if (!song.Valid && song.Format == LyricFormat::Lrc) {
        ClearSong();
        dialogs_.Message(QStringLiteral("Warning"),
                         QStringLiteral("This is not a lyric file: no timed lines in\n") + path,
                         UserDialogs::Icon::Warning);
        return false;
    }
    if (!song.Valid || song.Version > TVokalento::SupportedVersion) {
        ClearSong();
        dialogs_.Message(QStringLiteral("Warning"),
                         QStringLiteral("This is not a valid Vokalento-file!\n") +
                             QString::number(TVokalento::SupportedVersion),
                         UserDialogs::Icon::Warning);
        return false;
    }
    songKey_ = path;
    InfoPanelText lyrics;
    lyrics.Title = path;
    if (!song.Copyright.isEmpty()) {
        lyrics.Info = (QStringLiteral("Copyright: ") + song.Copyright).left(kLyricInfoWidth);
    }
    SetPanel(InfoPanelId::Lyrics, lyrics);

    const bool lrc = song.Format == LyricFormat::Lrc;
    const AudioSearchResult found =
        lrc ? FindAudioForLrc(path, settings_.SongFolders, engine.SongPath())
            : FindAudioForLyrics(song.SongFile, path, settings_.SongFolders, engine.SongPath());
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
            song.EndLastLineAt(engine.LengthMs());
            display_.DrawSongMap(song, engine.LengthMs());
            return true;
        case AudioSource::None:
            // No song folder gave a result, or there was nothing to search.
            SetPanel(InfoPanelId::Song, {});
            if (engine.SongPath().isEmpty()) {
                SetPanel(InfoPanelId::Song,
                         {QStringLiteral("Could not find the assign song, load one manually"),
                          QStringLiteral("Assigned filename: ") +
                              (lrc ? NameWithoutExtension(path) + QStringLiteral(".*")
                                   : FileNamePart(song.SongFile)),
                          {}});
            }
            break;
    }
    song.EndLastLineAt(engine.LengthMs());
    if (engine.LengthMs() >= 1) {
        display_.DrawSongMap(song, engine.LengthMs());
    } else if (song.SongLength > 0) {
        display_.DrawSongMap(song, song.SongLength);
    }
    return found.Source != AudioSource::None;
}

bool PlayerController::IsGraphicsEntry(const QString& path) {
    // An audio file is a graphics song only with its picture stream beside it.
    return IsGraphicsSongName(path) ||
           (IsGraphicsAudioName(path) && !FindCdgBesideAudio(path).isEmpty());
}

bool PlayerController::LoadGraphicsSong(const QString& path) {
    // The stream goes; SongPath stays, as for a lyric file.
    session_.Engine().CloseStream();
    GraphicsSongFiles files = FindGraphicsSong(path);
    cdg::CdgPicture& picture = session_.Picture();
    if (!files.IsGraphicsSong || !picture.Open(files.CdgPath)) {
        const QString why = files.Refused() ? files.Message : picture.Error();
        qCInfo(lcPlayer).noquote() << "not a graphics song:" << path << why;
        SetPanel(InfoPanelId::Lyrics, {path, why.left(kLyricInfoWidth), {}});
        SetPanel(InfoPanelId::Song, {});
        session_.CloseGraphics();
        dialogs_.Message(QStringLiteral("Warning"), why + QLatin1Char('\n') + path,
                         UserDialogs::Icon::Warning);
        return false;
    }
    SetPanel(InfoPanelId::Lyrics, {path, QStringLiteral("CD+G graphics"), {}});
    // The library lists a graphics song by its .cdg, or by its zip.
    songKey_ = files.Unpacked ? path : files.CdgPath;
    const QString audio = files.AudioPath;
    // A zipped song's audio is shown by its name in the zip, not by the unpacked copy's.
    const QString audioName = files.Unpacked ? files.Unpacked->AudioMember() : QString();
    session_.KeepGraphicsFiles(std::move(files));
    if (audio.isEmpty()) {
        SetPanel(InfoPanelId::Song,
                 {QStringLiteral("Could not find the assign song, load one manually"),
                  QStringLiteral("Assigned filename: ") + NameWithoutExtension(path) +
                      QStringLiteral(".*"),
                  {}});
        display_.DrawSongMap(Song(), picture.LengthMs());
        return false;
    }
    OpenSong(audio);
    if (!audioName.isEmpty()) {
        InfoPanelText panel = songPanel_;
        panel.Title = LocalFileName(audioName);
        SetPanel(InfoPanelId::Song, panel);
    }
    display_.DrawSongMap(Song(), Engine().LengthMs());
    return true;
}

bool PlayerController::CanReplaceSongFile() const {
    // An LRC file names no audio file, so there is nothing to replace.
    return Song().Valid && Song().Format == LyricFormat::Vok && !Engine().SongPath().isEmpty();
}

void PlayerController::ReplaceBtnClick() {
    if (!CanReplaceSongFile()) {
        return;
    }
    // A local name: on this system a backslash is part of the file name, not a separator.
    const QString songName = LocalFileName(Engine().SongPath());
    const QString question =
        QStringLiteral("Are you sure to replace the file:\n") + FileNamePart(Song().SongFile) +
        QStringLiteral("\nmed följande fil:\n") + songName + QStringLiteral("?");
    if (!dialogs_.AskYesNo(QStringLiteral("Replace"), question)) {
        return;
    }
    if (!session_.Song().ReplaceSongFile(songName)) {
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
