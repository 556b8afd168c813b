#include "library/LibraryDatabase.h"

#include "core/AppPaths.h"

#include <QFileInfo>
#include <QSqlQuery>
#include <QVariant>

#include <atomic>
#include <vector>

namespace vok::library {

namespace {

// The primary SQLite result codes the faults are told by.
constexpr int kSqliteBusy = 5;
constexpr int kSqliteLocked = 6;
constexpr int kSqliteReadOnly = 8;
constexpr int kSqliteCorrupt = 11;
constexpr int kSqliteFull = 13;
constexpr int kSqliteCantOpen = 14;
constexpr int kSqliteNotADatabase = 26;

// One step of the schema: the statements that take a library from the version before to
// `Version`. A new column is a new step at the end (ALTER TABLE songs ADD COLUMN ...); the steps
// already released are never changed, so every older file walks the same road.
struct Migration {
    int Version;
    std::vector<const char*> Statements;
};

const std::vector<Migration>& Migrations() {
    static const std::vector<Migration> steps = {
        {1,
         {
             "CREATE TABLE folders (path TEXT PRIMARY KEY NOT NULL) WITHOUT ROWID",
             // name: the file's base name as searched; audio: the file a lyric or graphics song
             // plays, so that it is not listed as a song of its own; size and mtime tell an
             // unchanged file (-1: read it at the next scan).
             "CREATE TABLE songs ("
             " id INTEGER PRIMARY KEY,"
             " path TEXT NOT NULL UNIQUE,"
             " folder TEXT NOT NULL,"
             " name TEXT NOT NULL DEFAULT '',"
             " kind INTEGER NOT NULL DEFAULT 3,"
             " title TEXT NOT NULL DEFAULT '',"
             " artist TEXT NOT NULL DEFAULT '',"
             " duration_ms INTEGER NOT NULL DEFAULT 0,"
             " size INTEGER NOT NULL DEFAULT -1,"
             " mtime INTEGER NOT NULL DEFAULT -1,"
             " audio TEXT NOT NULL DEFAULT '',"
             " play_count INTEGER NOT NULL DEFAULT 0,"
             " last_played INTEGER NOT NULL DEFAULT 0,"
             " lyric_offset_ms INTEGER NOT NULL DEFAULT 0)",
             "CREATE INDEX songs_by_folder ON songs (folder)",
             "CREATE INDEX songs_by_title ON songs (title COLLATE NOCASE)",
             // Prefix indexes of one to three characters keep the first letters typed quick.
             "CREATE VIRTUAL TABLE songs_fts USING fts5 (title, artist, name, content='songs',"
             " content_rowid='id', tokenize='unicode61 remove_diacritics 2', prefix='1 2 3')",
             "CREATE TRIGGER songs_fts_insert AFTER INSERT ON songs BEGIN"
             " INSERT INTO songs_fts (rowid, title, artist, name)"
             " VALUES (new.id, new.title, new.artist, new.name); END",
             "CREATE TRIGGER songs_fts_delete AFTER DELETE ON songs BEGIN"
             " INSERT INTO songs_fts (songs_fts, rowid, title, artist, name)"
             " VALUES ('delete', old.id, old.title, old.artist, old.name); END",
             "CREATE TRIGGER songs_fts_update AFTER UPDATE OF title, artist, name ON songs BEGIN"
             " INSERT INTO songs_fts (songs_fts, rowid, title, artist, name)"
             " VALUES ('delete', old.id, old.title, old.artist, old.name);"
             " INSERT INTO songs_fts (rowid, title, artist, name)"
             " VALUES (new.id, new.title, new.artist, new.name); END",
         }},
        {2,
         {
             // The key and tempo the singer chose for the song; its loudness (NULL until
             // measured) and whether it was measured: 0 not yet, 1 measured, -1 it cannot be
             // (no audio, or the audio does not decode) and is not tried again while unchanged.
             "ALTER TABLE songs ADD COLUMN key_semitones INTEGER NOT NULL DEFAULT 0",
             "ALTER TABLE songs ADD COLUMN tempo_percent INTEGER NOT NULL DEFAULT 100",
             "ALTER TABLE songs ADD COLUMN loudness_lufs REAL",
             "ALTER TABLE songs ADD COLUMN true_peak_db REAL",
             "ALTER TABLE songs ADD COLUMN loudness_measured INTEGER NOT NULL DEFAULT 0",
             "CREATE INDEX songs_to_measure ON songs (loudness_measured)",
         }},
    };
    return steps;
}

int ResultCode(const QSqlError& error) {
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? (code & 0xff) : -1;
}

QString NewConnectionName(const char* role) {
    static std::atomic<int> counter{0};
    return QStringLiteral("vok-library-%1-%2").arg(QLatin1String(role)).arg(++counter);
}

bool FolderWritable(const QString& file) {
    const QFileInfo info(file);
    if (info.exists() && !info.isWritable()) {
        return false;
    }
    // WAL keeps two files beside the library, so its folder must take new files.
    return QFileInfo(info.absolutePath()).isWritable();
}

}  // namespace

int SchemaVersion() {
    return Migrations().back().Version;
}

LibraryFault FaultOfError(const QSqlError& error) {
    switch (ResultCode(error)) {
        case kSqliteBusy:
        case kSqliteLocked:
            return LibraryFault::Locked;
        case kSqliteReadOnly:
            return LibraryFault::ReadOnly;
        case kSqliteCorrupt:
        case kSqliteNotADatabase:
            return LibraryFault::Corrupt;
        case kSqliteFull:
            return LibraryFault::DiskFull;
        case kSqliteCantOpen:
        default:
            return LibraryFault::CannotOpen;
    }
}

LibraryStatus StatusOf(LibraryFault fault, const QString& detail) {
    LibraryStatus status;
    status.Fault = fault;
    switch (fault) {
        case LibraryFault::None:
            return status;
        case LibraryFault::Corrupt:
            status.Message = QStringLiteral("The library file is damaged or is not a library.");
            status.CanRebuild = true;
            break;
        case LibraryFault::Locked:
            status.Message = QStringLiteral(
                "The library file is in use by another program. Close it and "
                "start the player again.");
            break;
        case LibraryFault::ReadOnly:
            status.Message = QStringLiteral("The library file or its folder cannot be written.");
            break;
        case LibraryFault::DiskFull:
            status.Message = QStringLiteral(
                "The disk of the library is full. Make room and start the player again.");
            break;
        case LibraryFault::NewerSchema:
            status.Message = QStringLiteral(
                "The library was written by a newer version of the player and is left as it "
                "is.");
            break;
        case LibraryFault::CannotOpen:
            status.Message = QStringLiteral("The library cannot be opened.");
            break;
    }
    if (!detail.isEmpty()) {
        status.Message += QStringLiteral(" (") + detail + QLatin1Char(')');
    }
    return status;
}

bool Exec(const QSqlDatabase& db, const QString& sql, QSqlError* error) {
    QSqlQuery query(db);
    if (query.exec(sql)) {
        return true;
    }
    if (error != nullptr) {
        *error = query.lastError();
    }
    return false;
}

LibraryConnection::LibraryConnection(const QString& file, const char* role)
    : name_(NewConnectionName(role)), file_(file) {}

LibraryConnection::~LibraryConnection() {
    if (QSqlDatabase::contains(name_)) {
        {
            QSqlDatabase db = QSqlDatabase::database(name_, false);
            db.close();
        }
        // Only once no handle of it is left.
        QSqlDatabase::removeDatabase(name_);
    }
}

QSqlDatabase LibraryConnection::Database() const {
    return QSqlDatabase::database(name_, false);
}

LibraryStatus LibraryConnection::Open(bool prepare, int busyTimeoutMs) {
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        return StatusOf(LibraryFault::CannotOpen, QStringLiteral("no SQLite driver for Qt"));
    }
    const QFileInfo info(file_);
    if (prepare && !MakeParentFolder(file_)) {
        return StatusOf(LibraryFault::CannotOpen,
                        QStringLiteral("its folder cannot be made: ") + info.absolutePath());
    }
    if (info.exists() && !info.isFile()) {
        return StatusOf(LibraryFault::CannotOpen, QStringLiteral("not a file: ") + file_);
    }
    if (prepare && !FolderWritable(file_)) {
        return StatusOf(LibraryFault::ReadOnly, file_);
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setDatabaseName(file_);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
        if (!db.open()) {
            const QSqlError error = db.lastError();
            return StatusOf(FaultOfError(error), error.databaseText());
        }
    }
    return Check(prepare);
}

LibraryStatus LibraryConnection::Check(bool prepare) {
    const QSqlDatabase db = Database();
    QSqlQuery query(db);
    const auto failed = [&query] {
        const QSqlError error = query.lastError();
        return StatusOf(FaultOfError(error), error.databaseText());
    };
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next()) {
        return failed();
    }
    const int version = query.value(0).toInt();
    if (version > SchemaVersion()) {
        return StatusOf(LibraryFault::NewerSchema);
    }
    if (version == 0) {
        // A file of version 0 is ours only while it is empty: any other SQLite file is left alone.
        if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !query.next()) {
            return failed();
        }
        if (query.value(0).toInt() != 0) {
            return StatusOf(LibraryFault::Corrupt, QStringLiteral("a database of another program"));
        }
    }
    if (prepare) {
        // WAL: the reader of the window is never blocked by the scan's writes; NORMAL loses no
        // committed transaction when the process dies, only (maybe) the last ones on power loss.
        if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !query.next()) {
            return failed();
        }
        if (!query.exec(QStringLiteral("PRAGMA synchronous=NORMAL"))) {
            return failed();
        }
        if (version < SchemaVersion()) {
            if (!query.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
                return failed();
            }
            for (const Migration& step : Migrations()) {
                if (step.Version <= version) {
                    continue;
                }
                for (const char* statement : step.Statements) {
                    if (!query.exec(QLatin1String(statement))) {
                        const LibraryStatus status = failed();
                        Exec(db, QStringLiteral("ROLLBACK"));
                        return status;
                    }
                }
            }
            if (!query.exec(QStringLiteral("PRAGMA user_version=%1").arg(SchemaVersion())) ||
                !query.exec(QStringLiteral("COMMIT"))) {
                const LibraryStatus status = failed();
                Exec(db, QStringLiteral("ROLLBACK"));
                return status;
            }
        }
    } else if (version != SchemaVersion()) {
        return StatusOf(LibraryFault::CannotOpen, QStringLiteral("the library is not prepared"));
    }
    // Reads a page of each table: a file damaged past its header shows it here.
    if (!query.exec(QStringLiteral("SELECT count(*) FROM folders")) ||
        !query.exec(QStringLiteral("SELECT max(id) FROM songs")) ||
        !query.exec(
            QStringLiteral("SELECT rowid FROM songs_fts WHERE songs_fts MATCH 'a*' LIMIT 1"))) {
        return failed();
    }
    return {};
}

}  // namespace vok::library
