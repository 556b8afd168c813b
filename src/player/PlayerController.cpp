#include "player/PlayerController.h"

#include "audio/AudioLibrary.h"
#include "core/FileNames.h"
#include "player/PlayerLog.h"

#include <QCoreApplication>
#include <algorithm>

namespace vok {

PlayerController::PlayerController(PlayerOptions options, UserDialogs& dialogs, QObject* parent)
    : QObject(parent),
      options_(std::move(options)),
      dialogs_(dialogs),
      paths_(AppPaths::Current()),
      library_(std::make_unique<library::SongLibrary>(paths_.LibraryFile())),
      playList_(options_.Draw),
      display_([this](const QRect& area) { SurfaceChanged(area); }) {
    if (!options_.Quit) {
        options_.Quit = [] { QCoreApplication::exit(0); };
    }
    connect(&session_.Timer(), &QTimer::timeout, this, [this] { tmrTimer(); });
    connect(library_.get(), &library::SongLibrary::LoudnessMeasured, this,
            [this](const QString& song) { LoudnessMeasured(song); });
    FormCreate();
}

PlayerController::~PlayerController() {
    session_.DisarmTick();
    session_.Engine().CloseStream();
    session_.Engine().ShutdownAudio();
}

void PlayerController::FormCreate() {
    PlaybackEngine& engine = session_.Engine();
    switch (engine.StartAudio(options_.AudioDevice)) {
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
    engine.SetJumpTime(settings_.JumpTime);
    ApplyColours();
    ApplyLyricOffset();
    engine.ChangeVolume(settings_.Volume);
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
    window_->ShowVolume(Engine().Volume());
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
        window_->ShowVolume(Engine().Volume());
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
    switch (session_.Tick()) {
        case TickOutcome::Stopped:
            Stoppa();
            return;
        case TickOutcome::Paused:
            return;  // resuming arms the tick again
        case TickOutcome::Ended:
            session_.SetState(PlayState::Idle);
            Follow(playList_.SongEnded());
            return;
        case TickOutcome::Playing:
            break;
    }
    SetPlayProgress(Engine().PositionMs());
    display_.Render(Snapshot());
    if (window_ != nullptr && !display_.FullScreen()) {
        window_->UpdateSpectrum();
    }
    session_.ArmTick();
}

DisplaySnapshot PlayerController::Snapshot() {
    DisplaySnapshot frame;
    frame.PositionMs = Engine().PositionMs();
    frame.LengthMs = Engine().LengthMs();
    frame.PlayIndex = playList_.PlayIndex();
    frame.EntryCount = playList_.Count();
    frame.Notice = notice_.Current();
    frame.KeySemitones = keyTempo_.KeySemitones;
    frame.TempoPercent = keyTempo_.TempoPercent;
    frame.RedrawLyrics = session_.TakeRedrawRequest();
    if (session_.HasPicture()) {
        frame.Content = PictureContent{session_.CurrentPicture(), cdg::CdgPicture::InnerArea(),
                                       session_.Picture().Generation()};
    } else if (Song().Valid) {
        frame.Content = LyricContent{&Song(), session_.CurrentLine(), session_.CurrentText()};
    } else {
        const QStringList& entries = playList_.PlayItems();
        frame.Content = PlaylistView{playList_.PlayIndex(), playList_.Count(),
                                     [&entries](int index) { return entries.value(index); }};
    }
    return frame;
}

void PlayerController::SeekTo(int seconds) {
    session_.SeekToSecond(seconds);
    if (State() == PlayState::Paused) {
        // No tick reads the position while paused.
        session_.Engine().ReadPosition();
        ShowFrameNow();
    }
}

void PlayerController::ShowFrameNow() {
    const PlayState state = State();
    if (HasStream() && (state == PlayState::Playing || state == PlayState::Paused)) {
        session_.TakeLine();
        display_.InvalidateLyrics();
        display_.Render(Snapshot());
        if (window_ != nullptr && !display_.FullScreen()) {
            window_->UpdateSpectrum();
        }
    }
}

// --- Keys, volume, Random -------------------------------------------------------------------

bool PlayerController::FormKeyDown(int key, Qt::KeyboardModifiers modifiers) {
    const bool keypad = (modifiers & Qt::KeypadModifier) != 0;
    switch (key) {
        case Qt::Key_Space:
            if (HasStream()) {
                if (Engine().IsPlaying()) {
                    PausBtnClick();
                } else {
                    PlayBtnClick();
                }
            }
            return true;
        case Qt::Key_Up:
            Follow(playList_.Up(State()));
            return true;
        case Qt::Key_Down:
            Follow(playList_.Down(State()));
            return true;
        case Qt::Key_Plus:
            if (keypad && session_.Engine().VolumeUp() && window_ != nullptr) {
                window_->ShowVolume(Engine().Volume());
            }
            return keypad;
        case Qt::Key_Minus:
            if (keypad && session_.Engine().VolumeDown() && window_ != nullptr) {
                window_->ShowVolume(Engine().Volume());
            }
            return keypad;
        case Qt::Key_Left:
            session_.JumpBack();
            return true;
        case Qt::Key_Right:
            session_.JumpForward();
            return true;
        case Qt::Key_G:
        case Qt::Key_H:
            if ((modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0) {
                return false;
            }
            ChangeLyricOffset(key == Qt::Key_G ? kLyricOffsetStep : -kLyricOffsetStep);
            return true;
        case Qt::Key_F:
            if ((modifiers & Qt::ControlModifier) == 0) {
                return false;
            }
            OpenLibrary();
            return true;
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            ChangeKey(key == Qt::Key_PageUp ? 1 : -1);
            return true;
        case Qt::Key_BracketRight:
        case Qt::Key_BracketLeft:
            ChangeTempo(key == Qt::Key_BracketRight ? 1 : -1);
            return true;
        case Qt::Key_V:
            if ((modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0) {
                return false;
            }
            ToggleVocals();
            return true;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return true;  // the focus never moves
        default:
            return false;
    }
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
    session_.Engine().ChangeVolume(volume);
    if (window_ != nullptr) {
        window_->ShowVolume(Engine().Volume());
    }
}

void PlayerController::SetRandomDown(bool down) {
    playList_.SetRandom(down);
    if (window_ != nullptr) {
        window_->ShowRandom(down);
    }
}

void PlayerController::DisplayMouseUp(int x, int y) {
    if (!HasStream() || State() != PlayState::Playing) {
        return;
    }
    if (const auto target = display_.BarTargetAt(x, y, Engine().LengthMs())) {
        session_.SeekTo(target->Seconds, target->LineMs);
    }
}

// --- What the pieces report to the windows --------------------------------------------------

void PlayerController::SetPlayProgress(int positionMs) {
    for (PlaylistWindowView* view : playlistViews_) {
        view->ShowProgress(positionMs, Engine().LengthMs());
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

void PlayerController::RepaintRows() {
    for (PlaylistWindowView* view : playlistViews_) {
        view->RowsChanged();
    }
}

void PlayerController::ListChanged() {
    library_->MeasureFirst(playList_.PlayItems());
    UppdateraLVLista();
    display_.InvalidateLyrics();
}

}  // namespace vok
