#pragma once

#include "audio/Loudness.h"
#include "tags/TagTitleArtist.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace vok::library {

// What a library song is. Each song is listed once: a lyric song or a graphics song stands for
// the audio file it plays, which is not listed again.
enum class SongKind { Lyrics, Lrc, Graphics, Audio };

// "Lyrics", "LRC", "CD+G", "Audio": the kind column of the Library window.
QString KindName(SongKind kind);

// One song as a search lists it.
struct SongRow {
    QString Path;
    SongKind Kind = SongKind::Audio;
    QString Title;
    QString Artist;
    int DurationMs = 0;  // 0 while unknown
};

// The key and tempo a singer chose for a song.
struct SongKeyTempo {
    int KeySemitones = 0;
    int TempoPercent = 100;
    bool operator==(const SongKeyTempo&) const = default;
};

// Why the library cannot be used; the player plays on without it.
enum class LibraryFault {
    None,
    Corrupt,   // not a library, or damaged
    Locked,    // another process holds it
    ReadOnly,  // the file or its folder cannot be written
    DiskFull,
    NewerSchema,  // written by a newer version of the player: left as it is
    CannotOpen,   // no SQLite driver, no folder, any other failure
};

struct LibraryStatus {
    LibraryFault Fault = LibraryFault::None;
    QString Message;          // what the Library window says; empty while usable
    bool CanRebuild = false;  // Rebuild() can start a fresh library
};

// How far a scan has come; Running is false once it ended or was cancelled.
struct ScanProgress {
    bool Running = false;
    int FoldersDone = 0;
    int FilesSeen = 0;
    int SongsAdded = 0;    // new or changed songs read
    int SongsRemoved = 0;  // songs whose file vanished
    int NamesSkipped = 0;  // file names the system's encoding cannot round-trip: never openable
    QString Folder;        // the folder being walked
};

// The host's song collection in one SQLite file: every song of the library folders, what the
// player learns about each song, and a full-text search over titles, artists and file names.
// Searches and the per-song reads run on the caller's thread; scans and every write run on a
// worker thread of the library's own, so the player never waits for the disk.
class SongLibrary : public QObject {
    Q_OBJECT

  public:
    // Opens (or creates) `databaseFile`. A library that cannot be used reports why in Status();
    // every call then does nothing and finds nothing.
    explicit SongLibrary(const QString& databaseFile, QObject* parent = nullptr);
    // Cancels a running scan and waits for the worker.
    ~SongLibrary() override;

    const LibraryStatus& Status() const;
    bool Available() const { return Status().Fault == LibraryFault::None; }
    // Moves the unusable file aside (kept as "<name>.broken-<date>") and starts an empty library.
    bool Rebuild();

    // The library folders are every folder ever added. Adding one scans it at once.
    void AddFolders(const QStringList& folders);
    // Walks every library folder again: new and changed files are read, vanished files leave. A
    // folder that is missing as a whole (an unplugged disk) is passed over and keeps its songs.
    void Rescan();
    void CancelScan();
    bool Scanning() const;
    ScanProgress Progress() const;
    // Every library folder, sorted.
    QStringList Folders() const;
    // Blocks until no scan runs or waits and every queued write is committed (for tests,
    // benchmarks and a clean exit); false when `timeoutMs` passed first.
    bool WaitUntilIdle(int timeoutMs);

    // The songs matching every word of `text` as a prefix, case and diacritics ignored, best
    // matches first (title before artist before file name); at most `limit` rows. An empty text
    // lists the songs by title.
    QList<SongRow> Search(const QString& text, int limit = 500) const;
    std::optional<SongRow> Find(const QString& path) const;
    int SongCount() const;

    // Title and artist of a playlist row: the library's when the file is unchanged, else read
    // from the file (and kept for the next time).
    TitleArtist RowTitle(const QString& path);

    // What the player learns while a song plays; a song not in the library yet is added.
    // The song's own lyric offset, on top of the device's setting; 0 when none was set.
    int SongLyricOffset(const QString& path) const;
    void SetSongLyricOffset(const QString& path, int offsetMs);
    // The song's key and tempo; key 0 and tempo 100 % when none was chosen.
    SongKeyTempo SongKeyAndTempo(const QString& path) const;
    void SetSongKeyAndTempo(const QString& path, SongKeyTempo keyTempo);
    // The song's loudness; nothing while it is not measured (or cannot be).
    std::optional<audio::Loudness> SongLoudness(const QString& path) const;
    // Songs to be measured before any other (the playlist's), in this order. The songs of the
    // library are measured one at a time on a thread of low priority whenever nothing else waits;
    // a song measured is not measured again while its file is unchanged.
    void MeasureFirst(const QStringList& paths);
    // Once per start of a song: its play count and when it was last played.
    void NotePlayed(const QString& path);
    // The length the engine measured, for a song whose length was not known.
    void NoteDuration(const QString& path, int durationMs);

  signals:
    void ScanProgressed(const vok::library::ScanProgress& progress);
    // Songs were added, changed or removed: a search shown should be run again.
    void SongsChanged();
    void StatusChanged();
    // A song's loudness was measured (or found not measurable).
    void LoudnessMeasured(const QString& path);

  private:
    void Open();
    // Hands the meter more library songs when it has nothing to do.
    void FeedMeter();
    void TakeLoudness(const QString& path, const std::optional<audio::Loudness>& loudness);

    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace vok::library
