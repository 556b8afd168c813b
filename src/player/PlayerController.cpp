#include "player/PlayerController.h"

#include "audio/AudioLibrary.h"
#include "core/FileNames.h"
#include "player/PlayerLog.h"

#include <QCoreApplication>
#include <algorithm>

namespace vok {

namespace {

constexpr int kTickMs = 33;

}  // namespace

PlayerController::PlayerController(PlayerOptions options, UserDialogs& dialogs, QObject* parent)
    : QObject(parent),
      options_(std::move(options)),
      dialogs_(dialogs),
      paths_(AppPaths::Current()),
      engine_(song_),
      playList_(*this, options_.Draw),
      display_(*this) {
    if (!options_.Quit) {
        options_.Quit = [] { QCoreApplication::exit(0); };
    }
    tmr_.setObjectName(QStringLiteral("tmr"));
    tmr_.setSingleShot(true);
    tmr_.setInterval(kTickMs);
    connect(&tmr_, &QTimer::timeout, this, [this] { tmrTimer(); });
    FormCreate();
}

PlayerController::~PlayerController() {
    tmr_.stop();
    engine_.CloseStream();
    engine_.ShutdownAudio();
}

void PlayerController::FormCreate() {
    switch (engine_.StartAudio(options_.AudioDevice)) {
        case AudioStartup::WrongVersion:
            ShowError(
                QStringLiteral("Fel version av FFmpeg (libavformat, libavcodec) eller SDL2 "
                               "laddades"));
            mustEnd_ = true;
            return;
        case AudioStartup::NoOutput:
            qCWarning(lcPlayer) << "no audio output; every song will fail to open";
            dialogs_.Message(settings_.Caption,
                             QStringLiteral("Fel vid initiering av ljuduppspelning"),
                             UserDialogs::Icon::None);
            break;
        case AudioStartup::Ready:
            break;
    }
    readyForFiles_ = false;
    startedWithFiles_ = !options_.Parameters.isEmpty();
    onReadOnlyMedium_ = paths_.OnReadOnlyMedium();
    readOnlyRun_ = onReadOnlyMedium_;
    const QString logo = paths_.LogoFile();
    if (!logo.isEmpty()) {
        display_.LoadLogo(logo);
    }
    settings_ = LoadPlayerSettings(paths_.SettingsFile(), paths_.DefaultLyricFolder());
    settings_.LyricFolder = LyricFolderOrDefault(settings_.LyricFolder);
    engine_.SetJumpTime(settings_.JumpTime);
    ApplyColours();
    display_.LyricOffsetMs = settings_.LyricOffset;
    engine_.ChangeVolume(settings_.Volume);
}

QString PlayerController::LyricFolderOrDefault(const QString& folder) const {
    // An empty Vart (what the settings dialog stores when it never had a folder) would leave the
    // file dialogs without a starting folder: it means the default one.
    return folder.isEmpty() ? paths_.DefaultLyricFolder() : folder;
}

void PlayerController::AttachWindow(PlayerWindowView* window) {
    window_ = window;
    if (window_ == nullptr) {
        return;
    }
    window_->SetCaption(settings_.Caption);
    window_->ShowInfoPanel(InfoPanelId::Lyrics, lyricPanel_);
    window_->ShowInfoPanel(InfoPanelId::Song, songPanel_);
    window_->ShowVolume(engine_.Volume());
    window_->ShowRandom(playList_.Random());
    window_->SurfaceChanged(display_.Surface().rect());
    window_->EnableSettingsButton(CanOpenSettings());
    ApplyDisplayLayout();
}

void PlayerController::AddPlaylistView(PlaylistWindowView* view) {
    if (view != nullptr) {
        playlistViews_.push_back(view);
    }
}

void PlayerController::RemovePlaylistView(PlaylistWindowView* view) {
    std::erase(playlistViews_, view);
}

void PlayerController::SetWindowCorner(QPoint corner) {
    settings_.MainFrmX = corner.x();
    settings_.MainFrmY = corner.y();
}

void PlayerController::FormShow() {
    if (window_ != nullptr) {
        window_->ShowVolume(engine_.Volume());
    }
    display_.VisaLogo();
    // The start-up files are taken up once the window is on screen and the event loop runs.
    QMetaObject::invokeMethod(
        this, [this] { AfterShow(); }, Qt::QueuedConnection);
}

void PlayerController::SetPanel(InfoPanelId panel, const InfoPanelText& text) {
    (panel == InfoPanelId::Lyrics ? lyricPanel_ : songPanel_) = text;
    if (window_ != nullptr) {
        window_->ShowInfoPanel(panel, text);
    }
    emit PlayerChanged();
}

void PlayerController::ShowError(const QString& text) {
    qCWarning(lcPlayer).noquote() << text;
    dialogs_.Message(settings_.Caption, text, UserDialogs::Icon::Error);
}

void PlayerController::tmrTimer() {
    display_.tmrTimer();
}

// --- Keys, volume, Random -------------------------------------------------------------------

bool PlayerController::FormKeyDown(int key, Qt::KeyboardModifiers modifiers) {
    const bool keypad = (modifiers & Qt::KeypadModifier) != 0;
    switch (key) {
        case Qt::Key_Space:
            if (HasStream()) {
                if (engine_.IsPlaying()) {
                    PausBtnClick();
                } else {
                    PlayBtnClick();
                }
            }
            return true;
        case Qt::Key_Up:
            playList_.UpKey();
            return true;
        case Qt::Key_Down:
            playList_.DownKey();
            return true;
        case Qt::Key_Plus:
            if (keypad && engine_.VolumeUp() && window_ != nullptr) {
                window_->ShowVolume(engine_.Volume());
            }
            return keypad;
        case Qt::Key_Minus:
            if (keypad && engine_.VolumeDown() && window_ != nullptr) {
                window_->ShowVolume(engine_.Volume());
            }
            return keypad;
        case Qt::Key_Left:
            if (engine_.JumpBack()) {
                display_.LyricsDirty = true;
            }
            return true;
        case Qt::Key_Right:
            if (engine_.JumpForward()) {
                display_.LyricsDirty = true;
            }
            return true;
        case Qt::Key_G:
        case Qt::Key_H:
            if ((modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0) {
                return false;
            }
            ChangeLyricOffset(key == Qt::Key_G ? kLyricOffsetStep : -kLyricOffsetStep);
            return true;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return true;  // the focus never moves
        default:
            return false;
    }
}

void PlayerController::ChangeLyricOffset(int stepMs) {
    settings_.LyricOffset =
        std::clamp(settings_.LyricOffset + stepMs, -kMaxLyricOffset, kMaxLyricOffset);
    display_.LyricOffsetMs = settings_.LyricOffset;
    const QString sign = settings_.LyricOffset > 0 ? QStringLiteral("+") : QString();
    display_.ShowNotice(QStringLiteral("Lyrics offset: ") + sign +
                        QString::number(settings_.LyricOffset) + QStringLiteral(" ms"));
}

void PlayerController::FormKeyUp(int key, Qt::KeyboardModifiers modifiers) {
    if (key == Qt::Key_F10) {
        SetRandomDown(!playList_.Random());
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && (modifiers & Qt::AltModifier) != 0) {
        LogoClick();
    }
}

void PlayerController::FormKeyPress(int key) {
    if (key == Qt::Key_Escape && State() == PlayState::Playing) {
        Stoppa();
    }
}

void PlayerController::ChangeVolume(int volume) {
    engine_.ChangeVolume(volume);
    if (window_ != nullptr) {
        window_->ShowVolume(engine_.Volume());
    }
}

void PlayerController::SetRandomDown(bool down) {
    playList_.SetRandom(down);
    if (window_ != nullptr) {
        window_->ShowRandom(down);
    }
}

void PlayerController::DisplayMouseUp(int x, int y) {
    display_.FormMouseUp(x, y);
}

// --- What the display asks ------------------------------------------------------------------

bool PlayerController::HasStream() const {
    return engine_.Stream() != 0;
}

bool PlayerController::IsStreamPlaying() const {
    return engine_.IsPlaying();
}

int PlayerController::ReadPositionMs() {
    return engine_.ReadPosition();
}

int PlayerController::PositionMs() const {
    return engine_.PositionMs();
}

int PlayerController::LengthMs() const {
    return engine_.LengthMs();
}

int PlayerController::CurrentLine() const {
    return engine_.CurrentLine();
}

void PlayerController::SetCurrentLine(int line) {
    engine_.SetCurrentLine(line);
}

void PlayerController::SeekToSeconds(int seconds) {
    engine_.SeekToSecond(seconds);
}

int PlayerController::EntryCount() const {
    return playList_.Count();
}

QString PlayerController::EntryPath(int index) const {
    return playList_.PlayItems().value(index);
}

void PlayerController::SongEnded() {
    playList_.SongEnded();
}

void PlayerController::SetPlayProgress(int positionMs) {
    for (PlaylistWindowView* view : playlistViews_) {
        view->ShowProgress(positionMs, engine_.LengthMs());
    }
}

void PlayerController::ArmTimer() {
    tmr_.start();
}

void PlayerController::DisarmTimer() {
    tmr_.stop();
}

void PlayerController::UpdateSpectrum() {
    if (window_ != nullptr) {
        window_->UpdateSpectrum();
    }
}

void PlayerController::SetLoadButtonsEnabled(bool enabled) {
    if (window_ != nullptr) {
        window_->SetLoadButtonsEnabled(enabled);
    }
}

void PlayerController::SurfaceChanged(const QRect& area) {
    if (window_ != nullptr) {
        window_->SurfaceChanged(area);
    }
}

// --- What the playlist rules ask ------------------------------------------------------------

void PlayerController::SetState(PlayState state) {
    engine_.SetState(state);
}

bool PlayerController::StreamLoaded() const {
    return HasStream();
}

bool PlayerController::LoadEntryFile(const QString& fileName) {
    // The rules move on past an entry that gives nothing to play, so a lyric file whose song was
    // found but cannot be decoded counts as failed here.
    return LoadFile(fileName).StreamOpened;
}

void PlayerController::StartLoadedSong() {
    engine_.StartPlay();
    SetPlayProgress(0);
}

void PlayerController::StartDisplay() {
    DisarmTimer();
    RepaintRows();
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
    display_.ClearDisplayArea();
    display_.PrepareDisplay(LocalFileName(engine_.SongPath()));
    display_.RedrawLyrics = true;
    ArmTimer();
    KeepScreenAwake();
}

void PlayerController::KeepScreenAwake() {
    awake_.SetPlaying(State() == PlayState::Playing);
    emit PlayerChanged();
}

void PlayerController::NothingToPlay() {
    // Whatever played before is gone: the player must look idle again, or nothing could be
    // loaded (the load buttons stay off while a song plays) and the last frame would stay up.
    ShowStoppedLook(true);
}

void PlayerController::UnloadAudio() {
    UnloadMP3BtnClick();
}

void PlayerController::RepaintRows() {
    for (PlaylistWindowView* view : playlistViews_) {
        view->RowsChanged();
    }
}

void PlayerController::RemoveAllRows() {
    for (PlaylistWindowView* view : playlistViews_) {
        view->RowsRebuilt();
    }
}

void PlayerController::RefreshStatusLine() {
    for (PlaylistWindowView* view : playlistViews_) {
        view->StatusChanged();
    }
}

}  // namespace vok
