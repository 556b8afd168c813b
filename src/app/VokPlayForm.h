#pragma once

#include "app/PanelLines.h"
#include "app/UserDialogs.h"
#include "audio/AudioLibrary.h"
#include "audio/PlaybackEngine.h"
#include "audio/PlayerView.h"
#include "controls/ControlPanel.h"
#include "controls/ImageEx.h"
#include "core/AppPaths.h"
#include "display/DisplayHost.h"
#include "display/LyricDisplay.h"
#include "lyrics/Vokalento.h"
#include "playlist/PlayList.h"
#include "settings/SettingsStore.h"

#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class QPushButton;

namespace vok {

class TVolBar;
class PlayListBridge;

// What the program hands the player window at start; tests replace the parts that face the
// outside world.
struct PlayerOptions {
    // Command-line parameters, without the program's own path.
    QStringList Parameters;
    // audio::kDeviceDefault for the sound card, audio::kDeviceNull for the virtual-clock device.
    int AudioDevice = audio::kDeviceDefault;
    // Message boxes and file dialogs; nullptr: the real ones.
    UserDialogs* Dialogs = nullptr;
    // Ends the program when Stop is pressed in an auto-quit run; default: leave the event loop.
    std::function<void()> Quit;
    // The random entry draw; default: seeded from the clock.
    RandomDraw Draw;
};

// The player window: the composition root that owns the song model, the playback engine, the
// playlist, the lyric display and the settings, lays out the control panel, and turns buttons,
// keys, mouse and timer into calls on them.
class TVokPlayForm : public QWidget, public PlayerView, public DisplayHost, public MessageSink {
    Q_OBJECT

  public:
    explicit TVokPlayForm(PlayerOptions options = {}, QWidget* parent = nullptr);
    ~TVokPlayForm() override;

    // The audio libraries are not the ones the program was built for; the program must end.
    bool MustEnd() const { return mustEnd_; }

    // Buttons of the control panel.
    void VoKBtnClick();
    void MP3BtnClick();
    void UnloadVokBtnClick();
    void UnloadMP3BtnClick();
    void PlayBtnClick();
    void PausBtnClick();
    void StopBtnClick();
    void PrevBtnClick();
    void NextBtnClick();
    void VolBarMouseUp(int y);
    void VolBarMouseMove(int y, bool leftButtonHeld);

    // Keys; FormKeyDown returns true when it consumed the key.
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void FormKeyUp(int key, Qt::KeyboardModifiers modifiers);
    void FormKeyPress(int key);

    // The 33 ms display tick.
    void tmrTimer();

    // Loads one file as playlist entry `index` without playing. True for an audio file when its
    // stream opened, for a lyric file when its audio file was found.
    bool LaddaFil(const QString& path, int index);
    // Plays entry `index` (−1: the active one); with Random down a random entry.
    void SpelaVOK(int index);
    void SkipPlay(int index) override;

    // Loads a lyric file and finds and opens its audio file. True when the audio file was found.
    bool OpenLyricFile(const QString& path);
    // Writes the open song's file name into the loaded lyric file, after asking.
    void ReplaceBtnClick();
    void ShowCopyright();

    // Reads a list file into the playlist, replacing it or appending to it.
    void LoadPL(bool add, const QString& fileName);
    // A file named from outside once the window is up: it replaces the playlist and plays.
    void OpenHandedFile(const QString& fileName);
    // A file from outside replaces the playlist: a list file's entries, or the file as the one
    // entry, the first of them opened. False when the list ends up empty.
    bool ReplacePlaylistWith(const QString& path);

    // Closing: stop a playing song, then write the settings and the default playlist.
    void FormCloseQuery();
    void FormClose();

    // Loading steps the playlist rules use.
    struct LoadResult {
        bool Found = false;         // what LaddaFil reports
        bool StreamOpened = false;  // an audio stream is open now
    };
    LoadResult LoadEntryFile(const QString& path);
    void OpenAudioFile(const QString& path);
    // Resets the song model and clears the lyric panel.
    void ClearSong();
    // The stream has just started: display, timer.
    void StartDisplay();
    // Play lit, pause released: a song has just started, by click, key or playlist.
    void ShowPlayingButtons();

    // State, for the playlist bridge and for tests.
    PlaybackEngine& Engine() { return engine_; }
    const PlaybackEngine& Engine() const { return engine_; }
    PlayList& Playlist() { return *playList_; }
    const PlayList& Playlist() const { return *playList_; }
    LyricDisplay& Display() { return display_; }
    const PlayerSettings& Settings() const { return settings_; }
    const PanelLines& VokText() const { return vokLines_; }
    const PanelLines& MP3Text() const { return mp3Lines_; }
    const PanelControls& Controls() const { return controls_; }
    QPushButton* RandBtn() const { return randBtn_; }
    TVolBar* VolBar() const { return volBar_; }
    QWidget* Panelen() const { return panelen_; }
    bool TimerArmed() const { return tmr_.isActive(); }
    bool ReadyForFiles() const { return readyForFiles_; }
    bool StartedWithFiles() const { return startedWithFiles_; }
    bool ReadOnlyRun() const { return readOnlyRun_; }
    bool AutoQuit() const { return autoQuit_; }

    // PlayerView.
    void RepaintPlaylist() override;
    void ClearPlayIndex() override;
    void ShowLogo() override;
    void SetLyricsDirty() override;
    void ReleaseBarImage() override;
    void SetSpectrumStream(std::uint32_t stream) override;
    void ClearSpectrum() override;
    void SetLoadButtonsEnabled(bool enabled) override;
    void ShowNormalPlayButtons() override;
    void SetPauseButtonPicture(bool paused) override;
    void SetVolumeBar(int value) override;
    void SetVolumeBarColor(std::uint32_t colour) override;
    void StartTick() override;
    void StopTick() override;

    // DisplayHost.
    bool HasStream() const override;
    bool IsStreamPlaying() const override;
    int ReadPositionMs() override;
    int PositionMs() const override;
    void SetPositionMs(int ms) override;
    int LengthMs() const override;
    int PlayState() const override;
    void SetPlayState(int state) override;
    int CurrentLine() const override;
    void SetCurrentLine(int line) override;
    void SeekToSeconds(int seconds) override;
    void Stoppa() override;
    const TVokalento& Song() const override { return song_; }
    int PlayIndex() const override;
    int EntryCount() const override;
    QString EntryPath(int index) const override;
    bool RandomDown() const override;
    void SetPlayProgress(int positionMs) override;
    void ArmTimer() override;
    void DisarmTimer() override;
    void UpdateSpectrum() override;
    void SurfaceChanged(const QRect& area) override;

    // MessageSink.
    void ShowError(const QString& text) override;
    void ShowMessage(const QString& text) override;

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    void FormCreate();
    void BuildLayout();
    void ConnectControls();
    void PlaceWindow();
    void FormShow();
    void AfterShow();
    void RestoreActiveEntry();
    void SaveDefaultList();
    void TransportMouseDown(QObject* sender);
    void TransportMouseUp(QObject* sender);
    void SetRandomDown(bool down);
    QString Caption() const;

    PlayerOptions options_;
    std::unique_ptr<QtUserDialogs> ownDialogs_;
    UserDialogs* dialogs_;
    AppPaths paths_;
    PlayerSettings settings_;

    TVokalento song_;
    PanelLines vokLines_;
    PanelLines mp3Lines_;
    PlaybackEngine engine_;
    std::unique_ptr<PlayListBridge> bridge_;
    std::unique_ptr<PlayList> playList_;
    LyricDisplay display_;
    QTimer tmr_;

    QWidget* panelen_ = nullptr;
    PanelControls controls_;
    TVolBar* volBar_ = nullptr;
    QPushButton* randBtn_ = nullptr;
    QPushButton* fsBtn_ = nullptr;
    QWidget* specPanel_ = nullptr;
    QPushButton* plBtn_ = nullptr;
    QPushButton* instBtn_ = nullptr;

    std::uint32_t spectrumStream_ = 0;
    bool mustEnd_ = false;
    bool shown_ = false;
    bool closed_ = false;
    bool defaultListUnreadable_ = false;
    bool readyForFiles_ = false;
    bool startedWithFiles_ = false;
    bool readOnlyRun_ = false;
    bool autoQuit_ = false;
};

}  // namespace vok
