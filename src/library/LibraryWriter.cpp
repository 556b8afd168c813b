#include "library/LibraryWriter.h"

#include <sys/stat.h>

#include <QFile>
#include <QVariant>

namespace vok::library {

namespace {

// A batch is committed after this many writes or this long, whichever comes first: small enough
// that a crash loses little and the window sees new songs soon, large enough that the commits
// cost little of the scan.
constexpr int kBatchWrites = 500;
constexpr qint64 kBatchMs = 1000;

// A null text would be bound as NULL, which the text columns refuse.
QString Text(const QString& text) {
    return text.isNull() ? QStringLiteral("") : text;
}

}  // namespace

std::optional<FileStamp> StampOf(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    return FileStamp{static_cast<qint64>(info.st_size),
                     static_cast<qint64>(info.st_mtim.tv_sec) * 1000 +
                         static_cast<qint64>(info.st_mtim.tv_nsec) / 1000000};
}

QString JoinPath(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

QString FolderOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0) {
        return QString();
    }
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

LibraryWriter::LibraryWriter(QSqlDatabase db)
    : db_(std::move(db)),
      upsert_(db_),
      remove_(db_),
      folderSongs_(db_),
      exists_(db_),
      offset_(db_),
      played_(db_),
      duration_(db_),
      keyTempo_(db_),
      loudness_(db_) {
    // What the player learned (play count, offset) stays when the file's facts are read again.
    Prepared(upsert_,
             "INSERT INTO songs (path, folder, name, kind, title, artist, duration_ms, size, mtime,"
             " audio) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (path) DO UPDATE SET"
             " folder = excluded.folder, name = excluded.name, kind = excluded.kind,"
             " title = excluded.title, artist = excluded.artist,"
             " duration_ms = CASE WHEN excluded.duration_ms > 0 THEN excluded.duration_ms"
             " ELSE songs.duration_ms END, size = excluded.size, mtime = excluded.mtime,"
             " audio = excluded.audio, loudness_measured = CASE WHEN songs.size = excluded.size"
             " AND songs.mtime = excluded.mtime THEN songs.loudness_measured ELSE 0 END");
    Prepared(remove_, "DELETE FROM songs WHERE id = ?");
    Prepared(folderSongs_, "SELECT id, path, size, mtime, audio FROM songs WHERE folder = ?");
    Prepared(exists_, "SELECT 1 FROM songs WHERE path = ?");
    Prepared(offset_, "UPDATE songs SET lyric_offset_ms = ? WHERE path = ?");
    Prepared(played_,
             "UPDATE songs SET play_count = play_count + 1, last_played = ? WHERE path = ?");
    Prepared(duration_, "UPDATE songs SET duration_ms = ? WHERE path = ?");
    Prepared(keyTempo_, "UPDATE songs SET key_semitones = ?, tempo_percent = ? WHERE path = ?");
    Prepared(loudness_,
             "UPDATE songs SET loudness_lufs = ?, true_peak_db = ?, loudness_measured = ?"
             " WHERE path = ?");
}

LibraryWriter::~LibraryWriter() {
    Commit();
}

QSqlQuery& LibraryWriter::Prepared(QSqlQuery& query, const char* sql) {
    if (!query.prepare(QLatin1String(sql)) && !Failed()) {
        fault_ = StatusOf(FaultOfError(query.lastError()), query.lastError().databaseText());
    }
    return query;
}

bool LibraryWriter::Run(QSqlQuery& query) {
    if (Failed()) {
        return false;
    }
    if (query.exec()) {
        return true;
    }
    fault_ = StatusOf(FaultOfError(query.lastError()), query.lastError().databaseText());
    if (inTransaction_) {
        Exec(db_, QStringLiteral("ROLLBACK"));
        inTransaction_ = false;
    }
    return false;
}

bool LibraryWriter::Begin() {
    if (Failed()) {
        return false;
    }
    if (!inTransaction_) {
        QSqlError error;
        if (!Exec(db_, QStringLiteral("BEGIN IMMEDIATE"), &error)) {
            fault_ = StatusOf(FaultOfError(error), error.databaseText());
            return false;
        }
        inTransaction_ = true;
        batchWrites_ = 0;
        batchAge_.start();
    }
    ++batchWrites_;
    return true;
}

bool LibraryWriter::Commit() {
    if (!inTransaction_) {
        return false;
    }
    inTransaction_ = false;
    QSqlError error;
    if (!Exec(db_, QStringLiteral("COMMIT"), &error)) {
        fault_ = StatusOf(FaultOfError(error), error.databaseText());
        Exec(db_, QStringLiteral("ROLLBACK"));
        return false;
    }
    return true;
}

bool LibraryWriter::CommitIfDue() {
    if (inTransaction_ && (batchWrites_ >= kBatchWrites || batchAge_.elapsed() >= kBatchMs)) {
        return Commit();
    }
    return false;
}

void LibraryWriter::AddFolder(const QString& folder) {
    if (!Begin()) {
        return;
    }
    QSqlQuery query(db_);
    query.prepare(QStringLiteral("INSERT OR IGNORE INTO folders (path) VALUES (?)"));
    query.addBindValue(folder);
    Run(query);
}

QStringList LibraryWriter::Folders() {
    QStringList folders;
    QSqlQuery query(db_);
    if (!Failed() && query.exec(QStringLiteral("SELECT path FROM folders ORDER BY path"))) {
        while (query.next()) {
            folders.append(query.value(0).toString());
        }
    }
    return folders;
}

std::vector<StoredFile> LibraryWriter::FolderSongs(const QString& folder) {
    std::vector<StoredFile> songs;
    folderSongs_.addBindValue(folder);
    if (Run(folderSongs_)) {
        while (folderSongs_.next()) {
            songs.push_back({folderSongs_.value(0).toLongLong(), folderSongs_.value(1).toString(),
                             folderSongs_.value(2).toLongLong(), folderSongs_.value(3).toLongLong(),
                             folderSongs_.value(4).toString()});
        }
    }
    folderSongs_.finish();
    return songs;
}

QStringList LibraryWriter::FoldersWithSongsUnder(const QString& root) {
    QStringList folders;
    QSqlQuery query(db_);
    // The range of every path that starts with "root/": '0' follows '/'.
    const QString prefix = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
    query.prepare(QStringLiteral(
        "SELECT DISTINCT folder FROM songs WHERE folder = ? OR (folder >= ? AND folder < ?)"));
    query.addBindValue(root);
    query.addBindValue(prefix);
    query.addBindValue(prefix.left(prefix.size() - 1) + QLatin1Char('0'));
    if (Run(query)) {
        while (query.next()) {
            folders.append(query.value(0).toString());
        }
    }
    return folders;
}

void LibraryWriter::StoreSong(const QString& path, const QString& folder, const SongFacts& facts,
                              const FileStamp& stamp) {
    if (!Begin()) {
        return;
    }
    upsert_.addBindValue(path);
    upsert_.addBindValue(folder);
    upsert_.addBindValue(Text(SearchName(path)));
    upsert_.addBindValue(static_cast<int>(facts.Kind));
    upsert_.addBindValue(Text(facts.Title));
    upsert_.addBindValue(Text(facts.Artist));
    upsert_.addBindValue(facts.DurationMs);
    upsert_.addBindValue(stamp.Size);
    upsert_.addBindValue(stamp.ModifiedMs);
    upsert_.addBindValue(Text(facts.Audio));
    Run(upsert_);
}

void LibraryWriter::RemoveSong(qint64 id) {
    if (Begin()) {
        remove_.addBindValue(id);
        Run(remove_);
    }
}

void LibraryWriter::RemoveFolderSongs(const QString& folder) {
    if (!Begin()) {
        return;
    }
    QSqlQuery query(db_);
    query.prepare(QStringLiteral("DELETE FROM songs WHERE folder = ?"));
    query.addBindValue(folder);
    Run(query);
}

void LibraryWriter::Learn(const QString& path) {
    const std::optional<FileStamp> stamp = StampOf(path);
    if (!stamp) {
        return;
    }
    const SongFacts facts = ReadSongFacts(path);
    if (facts.IsSong) {
        StoreSong(path, FolderOf(path), facts, *stamp);
    }
}

void LibraryWriter::EnsureSong(const QString& path) {
    exists_.addBindValue(path);
    const bool known = Run(exists_) && exists_.next();
    exists_.finish();
    if (known || Failed()) {
        return;
    }
    Learn(path);
    exists_.addBindValue(path);
    const bool stored = Run(exists_) && exists_.next();
    exists_.finish();
    if (!stored) {
        // A file that plays but is no song of a scan (or is gone): kept by its path alone, and
        // read at the next scan of its folder (size -1).
        SongFacts facts;
        facts.Kind = SongKindOfName(path).value_or(SongKind::Audio);
        facts.Title = ReadSongTitle(path).Title;
        StoreSong(path, FolderOf(path), facts, FileStamp{});
    }
}

void LibraryWriter::SetLyricOffset(const QString& path, int offsetMs) {
    EnsureSong(path);
    if (Begin()) {
        offset_.addBindValue(offsetMs);
        offset_.addBindValue(path);
        Run(offset_);
    }
}

void LibraryWriter::SetKeyTempo(const QString& path, SongKeyTempo keyTempo) {
    EnsureSong(path);
    if (Begin()) {
        keyTempo_.addBindValue(keyTempo.KeySemitones);
        keyTempo_.addBindValue(keyTempo.TempoPercent);
        keyTempo_.addBindValue(path);
        Run(keyTempo_);
    }
}

void LibraryWriter::SetLoudness(const QString& path,
                                const std::optional<audio::Loudness>& loudness) {
    EnsureSong(path);
    if (Begin()) {
        loudness_.addBindValue(loudness ? QVariant(loudness->IntegratedLufs) : QVariant());
        loudness_.addBindValue(loudness ? QVariant(loudness->TruePeakDbtp) : QVariant());
        loudness_.addBindValue(loudness ? 1 : -1);
        loudness_.addBindValue(path);
        Run(loudness_);
    }
}

void LibraryWriter::NotePlayed(const QString& path, qint64 whenMs) {
    EnsureSong(path);
    if (Begin()) {
        played_.addBindValue(whenMs);
        played_.addBindValue(path);
        Run(played_);
    }
}

void LibraryWriter::NoteDuration(const QString& path, int durationMs) {
    EnsureSong(path);
    if (durationMs > 0 && Begin()) {
        duration_.addBindValue(durationMs);
        duration_.addBindValue(path);
        Run(duration_);
    }
}

}  // namespace vok::library
