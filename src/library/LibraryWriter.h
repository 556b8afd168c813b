#pragma once

#include "library/LibraryDatabase.h"
#include "library/SongFacts.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace vok::library {

// A song row as the scan compares it with the file.
struct StoredFile {
    qint64 Id = 0;
    QString Path;
    qint64 Size = -1;
    qint64 ModifiedMs = -1;
    QString Audio;
};

// The size and modification time that tell an unchanged file; nothing when it is gone.
struct FileStamp {
    qint64 Size = -1;
    qint64 ModifiedMs = -1;
};
std::optional<FileStamp> StampOf(const QString& path);

// The worker's side of the library file: every write, in transactions of a bounded size, so a
// crash loses at most the batch being written and never what was committed before. After the
// first failed write the writer stops writing and Fault() says why.
class LibraryWriter {
  public:
    explicit LibraryWriter(QSqlDatabase db);
    ~LibraryWriter();
    LibraryWriter(const LibraryWriter&) = delete;
    LibraryWriter& operator=(const LibraryWriter&) = delete;

    bool Failed() const { return fault_.Fault != LibraryFault::None; }
    const LibraryStatus& Fault() const { return fault_; }

    // Scans.
    void AddFolder(const QString& folder);
    QStringList Folders();
    std::vector<StoredFile> FolderSongs(const QString& folder);
    // The folders under `root` (and root itself) that hold songs.
    QStringList FoldersWithSongsUnder(const QString& root);
    void StoreSong(const QString& path, const QString& folder, const SongFacts& facts,
                   const FileStamp& stamp);
    void RemoveSong(qint64 id);
    void RemoveFolderSongs(const QString& folder);

    // What the player learns. A song not in the library yet is read and added first.
    void Learn(const QString& path);
    void SetLyricOffset(const QString& path, int offsetMs);
    void SetKeyTempo(const QString& path, SongKeyTempo keyTempo);
    // Nothing: the song cannot be measured.
    void SetLoudness(const QString& path, const std::optional<audio::Loudness>& loudness);
    void NotePlayed(const QString& path, qint64 whenMs);
    void NoteDuration(const QString& path, int durationMs);

    // Commits when the batch is full or has waited long enough; true when it committed.
    bool CommitIfDue();
    bool Commit();

  private:
    QSqlQuery& Prepared(QSqlQuery& query, const char* sql);
    bool Run(QSqlQuery& query);
    bool Begin();
    void EnsureSong(const QString& path);

    QSqlDatabase db_;
    LibraryStatus fault_;
    bool inTransaction_ = false;
    int batchWrites_ = 0;
    QElapsedTimer batchAge_;
    QSqlQuery upsert_;
    QSqlQuery remove_;
    QSqlQuery folderSongs_;
    QSqlQuery exists_;
    QSqlQuery offset_;
    QSqlQuery played_;
    QSqlQuery duration_;
    QSqlQuery keyTempo_;
    QSqlQuery loudness_;
};

// "folder/name", also for the root folder.
QString JoinPath(const QString& folder, const QString& name);
// The folder of a path, without a trailing "/" (except the root itself).
QString FolderOf(const QString& path);

}  // namespace vok::library
