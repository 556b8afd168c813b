#pragma once

#include "audio/PlaybackEngine.h"
#include "core/AppPaths.h"
#include "display/DisplaySnapshot.h"
#include "display/LyricDisplay.h"
#include "library/SongLibrary.h"
#include "lyrics/Vokalento.h"
#include "player/FolderScan.h"
#include "player/PlayerViews.h"
#include "player/ScreenAwake.h"
#include "player/ScreenModes.h"
#include "player/SongSession.h"
#include "player/StreamSpectrum.h"
#include "player/UserDialogs.h"
#include "playlist/PlayList.h"
#include "settings/SettingsStore.h"

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QStringList>

#include <functional>
#include <memory>
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

// The player without its windows: it composes the song session (song model, engine, tick), the
// playlist, the lyric display, the screen modes and the folder scan, keeps the settings and the
// run flags, and carries every operation of the player under its given name. Calls go down: the
// pieces it owns answer and report, the controller acts. The windows are views of it: they show
// what it tells them and forward clicks and keys to it.
class PlayerController : public QObject {
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
    // A seek from outside (MPRIS); while paused the new place is shown at once.
    void SeekTo(int seconds);

    // Keys; FormKeyDown returns true when it consumed the key.
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void FormKeyUp(int key, Qt::KeyboardModifiers modifiers);
    // G and H: the lyrics kLyricOffsetStep ms sooner (positive) or later; the status line tells
    // the offset in use. With a song loaded it is that song's own offset, kept in the library on
    // top of the device's LyricOffset; without one (or without a library) the device's. Together
    // within ±3000 ms.
    void ChangeLyricOffset(int stepMs);
    void FormKeyPress(int key);
    // PageUp and PageDown: the key a semitone up or down; ] and [: the tempo 5 % faster or
    // slower; V: the lead vocals softer or as they are. Each says so in the status line. The key
    // and tempo are the loaded song's own, kept in the library; a song never changed plays at
    // key 0 and tempo 100 %. Vocal reduction is the session's, for every song.
    void ChangeKey(int steps);
    void ChangeTempo(int steps);
    void ToggleVocals();
    // The desktop's media controls set the tempo as a rate: to the nearest 5 %, within limits.
    void SetTempoPercent(int percent);
    int TempoPercent() const { return keyTempo_.TempoPercent; }
    int KeySemitones() const { return keyTempo_.KeySemitones; }
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
    bool OpenLyricFile(const QString& path);
    // Stops playback; PlayState 0 with a stream loaded, else 3. The active entry stays.
    void Stoppa();
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
    bool Scanning() const { return folderScan_.Scanning(); }

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

    // The song library (LibraryActions.cpp). Its folders are the song folders and a chosen
    // lyric folder, scanned once the start-up files are in, and every folder added to the
    // playlist. It is always there; an unusable one finds nothing and says why.
    library::SongLibrary& Library() { return *library_; }
    const library::SongLibrary& Library() const { return *library_; }
    void AttachLibraryWindow(LibraryWindowView* window) { libraryWindow_ = window; }
    // Ctrl+F and "Library...".
    void OpenLibrary();
    // Songs picked in the Library window: appended (the first opened when the list was empty),
    // put right after the active entry ("Play next"), or put before entry `before` (a drop).
    void AppendSongs(const QStringList& songs);
    void PlayNext(const QStringList& songs);
    void InsertSongs(int before, const QStringList& songs);
    void RescanLibrary();
    // A fresh library in place of an unusable one, its folders scanned anew.
    void RebuildLibrary();

    // The 33 ms display tick.
    void tmrTimer();

    // What the views show.
    const SongSession& Session() const { return session_; }
    const PlaybackEngine& Engine() const { return session_.Engine(); }
    const PlayList& Playlist() const { return playList_; }
    const LyricDisplay& Display() const { return display_; }
    LyricDisplay& Display() { return display_; }
    const TVokalento& Song() const { return session_.Song(); }
    const PlayerSettings& Settings() const { return settings_; }
    // The sound the spectrum analyser shows.
    const SpectrumSource& SpectrumData() const { return spectrum_; }
    PlayState State() const { return session_.State(); }
    int PlayIndex() const { return playList_.PlayIndex(); }
    // The text that stands in the status line for a while (the lyric offset); tests set its clock.
    TimedNotice& Notice() { return notice_; }

  signals:
    // The play state, the song or the volume changed: for observers other than the windows.
    void PlayerChanged();

  private:
    bool HasStream() const { return session_.HasStream(); }
    // Carries out what the playlist decided.
    void Follow(const PlaylistStep& step);
    // Loads entry `index` without starting it; it becomes the active entry either way. True when
    // an audio stream was opened.
    bool LoadEntry(int index);
    // Starts the loaded stream and the display tick.
    void StartLoadedSong();
    void StartDisplay();
    // What the display shows now.
    DisplaySnapshot Snapshot();
    // A notice or a seek while a song plays or is paused is shown at once, not at the next tick.
    void ShowFrameNow();
    // The list becomes these entries, or gets them appended; the first entry of a list that was
    // empty is opened without playing, after the song of the old list was released.
    void ReplacePlaylist(const QStringList& entries);
    void AddToPlaylist(const QStringList& entries);
    void OpenFirstEntry();
    // OpenLyricFile on a song model the caller has cleared.
    bool LoadLyricFile(const QString& path);
    // A .cdg or .zip, or an audio file with a .cdg beside it.
    static bool IsGraphicsEntry(const QString& path);
    // Opens a graphics song's picture stream and its audio, on a song the caller has cleared.
    // True when its audio was found.
    bool LoadGraphicsSong(const QString& path);
    // Stops, unloads and clears the song.
    void ReleaseSong();
    void ClearSong();
    // Opens an audio file without playing: name and length in the song panel, the song map.
    void OpenAudioFile(const QString& path);
    // The rows are repainted (the active entry may have changed).
    void RepaintRows();
    // Entries came or went: every row is built anew, and a preview shows the new list.
    void ListChanged();
    void SetPlayProgress(int positionMs);
    void SetLoadButtonsEnabled(bool enabled);
    void SurfaceChanged(const QRect& area);

    void FormCreate();
    QString LyricFolderOrDefault(const QString& folder) const;
    void AfterShow();
    void RestoreActiveEntry();
    // Files from outside replace the playlist, in order: a list file (.vpl, .m3u) gives its
    // entries, any other file is one entry; the first entry is opened. False when the list ends
    // up empty.
    bool ReplacePlaylistWith(const QStringList& files);
    void SaveDefaultList();
    // The display the lyrics go to in full screen; empty without a window or displays.
    QRect DisplayInUse() const;
    void ApplyDisplayLayout();
    void TakeOverDialogSettings(const SettingsDialogAnswer& answer);
    // The library's folders from the settings; the lyric folder only when it holds songs.
    QStringList LibraryFolders(const QStringList& songFolders, const QString& lyricFolder) const;
    void ScanLibraryFolders();
    // The song a lyric offset and play counts belong to: the loaded lyric file, graphics song
    // (.cdg or .zip) or audio file; empty while no stream is loaded.
    QString LoadedSong() const;
    // The song just opened: its own lyric offset comes into use. ForgetSong: none is loaded.
    void TakeSongOffset();
    void ForgetSong();
    // Once per start: the library learns the song was played, and its length when it had none.
    void NoteSongStarted();
    // The device's offset and the song's, within ±3000 ms, into the session.
    void ApplyLyricOffset();
    // The singer's controls (SingerActions.cpp): the loaded song's key and tempo, stored and
    // taken back; the even-loudness gain of the loaded song; the shaping handed to the engine.
    void KeepKeyAndTempo();
    void TakeSongKeyAndTempo();
    double SongGainDb() const;
    void ApplyShaping();
    void LoudnessMeasured(const QString& song);
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
    LibraryWindowView* libraryWindow_ = nullptr;
    std::unique_ptr<library::SongLibrary> library_;
    QString songKey_;                 // what LoadedSong() names while a stream is loaded
    int songOffsetMs_ = 0;            // the loaded song's own lyric offset
    library::SongKeyTempo keyTempo_;  // the loaded song's
    bool vocalsReduced_ = false;

    SongSession session_{this};  // its timer a child, so its state can be looked at from outside
    PlayList playList_;
    LyricDisplay display_;
    TimedNotice notice_{MonotonicMs};
    ScreenModes screenModes_;
    FolderScan folderScan_;
    StreamSpectrum spectrum_{session_.Engine()};
    ScreenAwake awake_;
    InfoPanelText lyricPanel_;
    InfoPanelText songPanel_;

    bool mustEnd_ = false;
    bool closed_ = false;
    bool defaultListUnreadable_ = false;
    bool readyForFiles_ = false;
    bool startedWithFiles_ = false;
    bool readOnlyRun_ = false;
    bool onReadOnlyMedium_ = false;
    bool autoQuit_ = false;
    bool settingsOpen_ = false;
};

}  // namespace vok
