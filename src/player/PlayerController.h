#pragma once

#include "audio/PlaybackEngine.h"
#include "core/AppPaths.h"
#include "display/DisplayHost.h"
#include "display/LyricDisplay.h"
#include "lyrics/Vokalento.h"
#include "player/PlayerViews.h"
#include "player/ScreenAwake.h"
#include "player/StreamSpectrum.h"
#include "player/UserDialogs.h"
#include "playlist/PlayList.h"
#include "settings/SettingsStore.h"

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <vector>

namespace vok {

// What the program hands the player at start; tests replace the parts that face the outside world.
struct PlayerOptions {
    // Command-line parameters, without the program's own path.
    QStringList Parameters;
    // audio::kDeviceDefault for the sound card, audio::kDeviceNull for the virtual-clock device.
    int AudioDevice = -1;
    // Ends the program when Stop is pressed in an auto-quit run; default: leave the event loop.
    std::function<void()> Quit;
    // The random entry draw; default: seeded from the clock.
    RandomDraw Draw;
};

// The player without its windows: it owns the song model, the playback engine, the playlist, the
// lyric display, the settings, the display tick and the run flags, and carries every operation
// of the player. The windows are views of it: they show what it tells them and forward clicks and
// keys to it.
class PlayerController : public QObject, private DisplayHost, private PlayListHost {
    Q_OBJECT

  public:
    PlayerController(PlayerOptions options, UserDialogs& dialogs, QObject* parent = nullptr);
    ~PlayerController() override;

    // The audio libraries are not the ones the program was built for; the program must end.
    bool MustEnd() const { return mustEnd_; }

    // The player window; it is shown the current state at once.
    void AttachWindow(PlayerWindowView* window);
    void AddPlaylistView(PlaylistWindowView* view);
    void RemovePlaylistView(PlaylistWindowView* view);

    // Displays were plugged in or out, or changed their size.
    void DisplaysChanged();
    // Where the window settled; the close write stores it.
    void SetWindowCorner(QPoint corner);

    // The window's first show: the logo, then the start-up files once the event loop runs.
    void FormShow();
    // Closing: a playing song is stopped, then the settings and the default playlist are written.
    void FormCloseQuery();
    void FormClose();

    // Buttons.
    void VoKBtnClick();
    void MP3BtnClick();
    void UnloadVokBtnClick();
    void UnloadMP3BtnClick();
    void PlayBtnClick();
    void PausBtnClick();
    void StopBtnClick();
    void PrevBtnClick();
    void NextBtnClick();
    void SetRandomDown(bool down);
    // The volume bar or a keypad key picked a volume 0 ... 255.
    void ChangeVolume(int volume);
    // The desktop's media controls seek the song to a whole second.
    void SeekTo(int seconds) { SeekToSeconds(seconds); }

    // Keys; FormKeyDown returns true when it consumed the key.
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void FormKeyUp(int key, Qt::KeyboardModifiers modifiers);
    // G and H: the lyrics kLyricOffsetStep ms sooner (positive) or later, within ±3000 ms; the
    // status line tells the new offset.
    void ChangeLyricOffset(int stepMs);
    void FormKeyPress(int key);
    // A mouse button released over the display area (the timeline bar seeks).
    void DisplayMouseUp(int x, int y);

    // Full screen: on or off; the Fullscreen button; a double click or Alt+Enter toggles.
    void SkarmLage(bool on);
    void FSBtnClick();
    void LogoClick();
    // The playlist window's Fullscreen button.
    void PLFullscreenClick();
    bool FullScreen() const { return display_.FullScreen(); }
    // The playlist window stays up beside a full-screen display on another monitor.
    bool PlaylistMayClose() const;

    // The display area's menu.
    bool CanReplaceSongFile() const;
    void ReplaceBtnClick();
    void ShowCopyright();

    // Loads one file as playlist entry `index` without playing. True for an audio file when its
    // stream opened, for a lyric file when its audio file was found.
    bool LaddaFil(const QString& path, int index);
    // Plays entry `index` (−1: the active one); with Random down a random entry.
    void SpelaVOK(int index);
    void SkipPlay(int index) { SpelaVOK(index); }
    // Loads a lyric file and finds and opens its audio file. True when the audio file was found.
    bool OpenLyricFile(const QString& path) override;
    void Stoppa() override;
    // Reads a list file into the playlist, replacing it or appending to it.
    void LoadPL(bool add, const QString& fileName);
    // Files named from outside once the window is up (a hand-over, the desktop's media controls):
    // together, in the order named, they replace the playlist and the first plays. Names that are
    // no file are passed over; with none left the player stays as it is. An open settings dialog
    // is closed first, as with Cancel.
    void OpenHandedFiles(const QStringList& names);
    void OpenHandedFile(const QString& fileName) { OpenHandedFiles({fileName}); }

    // The playlist window's operations (PlaylistActions.cpp). Cancel in a dialog changes nothing.
    // A list file picked in the open dialog replaces the playlist or is appended to it.
    void LoadPL(bool add);
    // Writes the playlist; without a name the save dialog asks and ".vpl" is added to its answer.
    void SavePL(const QString& fileName = QString());
    void AddFilesBtnClick();
    // The folder selector picks a folder; its lyric files, then its MP3s, are appended.
    void AddFolder();
    // "Clear list": the active entry is dropped first, so a list that must keep playing shows no
    // active row; the entries go only while nothing plays.
    void ClearListClick();
    // The tool bar's Stop acts only while a song plays (a paused song stays paused).
    void ToolStopClick();
    void VokListaDblClick(int row);
    // The Delete key and a dropped row; the active entry is neither removed nor moved.
    bool DeleteEntry(int row);
    bool MoveEntry(int from, int before);
    // A mouse button released at x over the playlist progress bar `width` pixels wide.
    void PlayListPB(int x, int width);
    // Every row built anew from the entries; the status line follows.
    void UppdateraLVLista();
    void VisaInfo();
    // "Files in list: n".
    QString PlaylistStatus() const;
    // Where the playlist window is and whether it shows; the close write stores it.
    void SetPlaylistPlacement(const QRect& frame, bool visible);
    bool Scanning() const { return scanning_; }

    // The settings dialog (SettingsActions.cpp). "Settings..." opens it only once it is attached
    // and never from read-only media.
    void AttachSettingsDialog(SettingsDialogView* dialog);
    bool CanOpenSettings() const { return settingsDialog_ != nullptr && !onReadOnlyMedium_; }
    void InstBtnClick();
    // What the dialog shows when it is made: its own read of the settings file.
    DialogSettings DialogCreationSettings() const;
    // The dialog's OK: its values and the player's colours in one write. False when the write was
    // refused; the message has been shown and the file is as it was.
    bool SettingsOk(const DialogSettings& dialog);
    // The colours (Windows colour values) and the outline flag act at once.
    void SetTextColour(qint32 colour);
    void SetOutlineColour(qint32 colour);
    void SetOutlined(bool on);
    // One line per display, the primary one first: "1: 1920 X 1080".
    QStringList ScreenList() const;
    // Where the folder browsers start while the dialog's lyric folder is empty.
    QString DefaultLyricFolder() const { return paths_.DefaultLyricFolder(); }

    // The 33 ms display tick.
    void tmrTimer();

    // What the views show.
    const PlaybackEngine& Engine() const { return engine_; }
    const PlayList& Playlist() const { return playList_; }
    const LyricDisplay& Display() const { return display_; }
    LyricDisplay& Display() { return display_; }
    const TVokalento& Song() const override { return song_; }
    const PlayerSettings& Settings() const { return settings_; }
    // The sound the spectrum analyser shows.
    const SpectrumSource& SpectrumData() const { return spectrum_; }
    PlayState State() const override { return engine_.State(); }
    int PlayIndex() const override { return playList_.PlayIndex(); }

  signals:
    // The play state, the song or the volume changed: for observers other than the windows.
    void PlayerChanged();

  private:
    // DisplayHost.
    bool HasStream() const override;
    bool IsStreamPlaying() const override;
    int ReadPositionMs() override;
    int PositionMs() const override;
    int LengthMs() const override;
    int CurrentLine() const override;
    void SetCurrentLine(int line) override;
    void SeekToSeconds(int seconds) override;
    int EntryCount() const override;
    QString EntryPath(int index) const override;
    void SongEnded() override;
    void SetPlayProgress(int positionMs) override;
    void ArmTimer() override;
    void DisarmTimer() override;
    void UpdateSpectrum() override;
    void SetLoadButtonsEnabled(bool enabled) override;
    void SurfaceChanged(const QRect& area) override;

    // PlayListHost.
    void SetState(PlayState state) override;
    bool StreamLoaded() const override;
    bool LoadEntryFile(const QString& fileName) override;
    void StartLoadedSong() override;
    void StartDisplay() override;
    void NothingToPlay() override;
    void UnloadAudio() override;
    void ClearSong() override;
    void OpenAudioFile(const QString& fileName) override;
    void RepaintRows() override;
    void RemoveAllRows() override;
    void RefreshStatusLine() override;

    void FormCreate();
    QString LyricFolderOrDefault(const QString& folder) const;
    void AfterShow();
    void RestoreActiveEntry();
    // Files from outside replace the playlist, in order: a list file (.vpl, .m3u) gives its
    // entries, any other file is one entry; the first entry is opened. False when the list ends
    // up empty.
    bool ReplacePlaylistWith(const QStringList& files);
    void SaveDefaultList();
    // The display the lyrics go to in full screen: the second one when several are attached and
    // DualDesc is set, else the primary one. Empty without a window or displays.
    QRect DisplayInUse() const;
    void ApplyDisplayLayout();
    void TakeOverDialogSettings(const SettingsDialogAnswer& answer);
    void ApplyColours();

    // Loading steps. Found is what LaddaFil reports; StreamOpened whether a stream is open now.
    struct LoadResult {
        bool Found = false;
        bool StreamOpened = false;
    };
    LoadResult LoadFile(const QString& path);
    // Opens the audio file into the engine and fills the song panel.
    bool OpenSong(const QString& path);
    // The song panel for the file just opened, or not opened.
    void ShowSongInfo(const QString& path);
    // The buttons, display and spectrum once nothing plays any more.
    void ShowStoppedLook(bool hadStream);
    void SetPanel(InfoPanelId panel, const InfoPanelText& text);
    void ShowError(const QString& text);
    // The screensaver is held off exactly while a song plays.
    void KeepScreenAwake();

    PlayerOptions options_;
    UserDialogs& dialogs_;
    AppPaths paths_;
    PlayerSettings settings_;
    PlayerWindowView* window_ = nullptr;
    SettingsDialogView* settingsDialog_ = nullptr;
    std::vector<PlaylistWindowView*> playlistViews_;

    TVokalento song_;
    PlaybackEngine engine_;
    PlayList playList_;
    LyricDisplay display_;
    StreamSpectrum spectrum_{engine_};
    ScreenAwake awake_;
    QTimer tmr_{this};  // a child, so its state can be looked at from outside
    InfoPanelText lyricPanel_;
    InfoPanelText songPanel_;

    QRect fullScreenArea_;
    bool playlistWasShown_ = false;  // when full screen began
    bool mustEnd_ = false;
    bool closed_ = false;
    bool defaultListUnreadable_ = false;
    bool readyForFiles_ = false;
    bool startedWithFiles_ = false;
    bool readOnlyRun_ = false;
    bool onReadOnlyMedium_ = false;
    bool autoQuit_ = false;
    bool scanning_ = false;
    bool settingsOpen_ = false;
    UserDialogs::FolderChoice folderChoice_;
};

}  // namespace vok
