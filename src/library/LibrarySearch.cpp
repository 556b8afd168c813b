#include "library/LibrarySearch.h"

#include "core/FileNames.h"
#include "karaoke/KaraokeName.h"

#include <QSqlQuery>
#include <QVariant>

namespace vok::library {

namespace {

// Title before artist before file name.
constexpr const char* kRanking = "bm25(songs_fts, 10.0, 4.0, 1.0)";
constexpr const char* kRowColumns = "s.path, s.kind, s.title, s.artist, s.duration_ms";
// Ranking costs about a microsecond a matching song: beyond this many matches (a letter or two
// typed) the rows are listed by title instead, walking the title index until the limit is met,
// which keeps every keystroke within a few milliseconds on 100,000 songs.
constexpr int kRankedAtMost = 8000;

SongRow RowOf(const QSqlQuery& query) {
    SongRow row;
    row.Path = query.value(0).toString();
    const int kind = query.value(1).toInt();
    row.Kind = kind >= 0 && kind <= static_cast<int>(SongKind::Audio) ? static_cast<SongKind>(kind)
                                                                      : SongKind::Audio;
    row.Title = query.value(2).toString();
    row.Artist = query.value(3).toString();
    row.DurationMs = query.value(4).toInt();
    // As in the playlist, a title without an artist says less than the file name; here the name
    // is read as karaoke files are named ("Artist - Title"), without its extension.
    if (row.Artist.isEmpty()) {
        const KaraokeName named = ParseKaraokeName(row.Path);
        row.Title = named.Title.isEmpty() ? LocalFileName(row.Path) : named.Title;
        row.Artist = named.Artist;
    }
    return row;
}

QList<SongRow> Rows(QSqlQuery& query) {
    QList<SongRow> rows;
    while (query.next()) {
        rows.append(RowOf(query));
    }
    return rows;
}

}  // namespace

QString MatchExpression(const QString& text) {
    QStringList words;
    QString word;
    const auto flush = [&] {
        if (!word.isEmpty()) {
            words.append(QLatin1Char('"') + word + QStringLiteral("\"*"));
            word.clear();
        }
    };
    for (const QChar c : text) {
        // Combining marks belong to their letter ("e" + U+0301); the index folds them away.
        if (c.isLetterOrNumber() || c.isMark()) {
            word += c;
        } else {
            flush();
        }
    }
    flush();
    return words.join(QLatin1Char(' '));
}

QList<SongRow> SearchSongs(const QSqlDatabase& db, const QString& text, int limit) {
    if (limit <= 0 || !db.isOpen()) {
        return {};
    }
    QSqlQuery query(db);
    query.setForwardOnly(true);
    const QString match = MatchExpression(text);
    if (match.isEmpty()) {
        query.prepare(
            QStringLiteral("SELECT %1 FROM songs s ORDER BY s.title COLLATE NOCASE LIMIT ?")
                .arg(QLatin1String(kRowColumns)));
        query.addBindValue(limit);
    } else {
        QSqlQuery count(db);
        count.prepare(QStringLiteral(
            "SELECT count(*) FROM (SELECT rowid FROM songs_fts WHERE songs_fts MATCH ? LIMIT ?)"));
        count.addBindValue(match);
        count.addBindValue(kRankedAtMost + 1);
        if (!count.exec() || !count.next()) {
            return {};
        }
        if (count.value(0).toInt() > kRankedAtMost) {
            query.prepare(QStringLiteral("SELECT %1 FROM songs s INDEXED BY songs_by_title WHERE"
                                         " s.id IN (SELECT rowid FROM songs_fts WHERE songs_fts"
                                         " MATCH ?) ORDER BY s.title COLLATE NOCASE LIMIT ?")
                              .arg(QLatin1String(kRowColumns)));
        } else {
            query.prepare(QStringLiteral("SELECT %1 FROM songs_fts JOIN songs s ON s.id ="
                                         " songs_fts.rowid WHERE songs_fts MATCH ? ORDER BY %2"
                                         " LIMIT ?")
                              .arg(QLatin1String(kRowColumns), QLatin1String(kRanking)));
        }
        query.addBindValue(match);
        query.addBindValue(limit);
    }
    if (!query.exec()) {
        return {};
    }
    return Rows(query);
}

std::optional<SongRow> FindSong(const QSqlDatabase& db, const QString& path) {
    QSqlQuery query(db);
    query.prepare(
        QStringLiteral("SELECT %1 FROM songs s WHERE s.path = ?").arg(QLatin1String(kRowColumns)));
    query.addBindValue(path);
    if (!query.exec() || !query.next()) {
        return std::nullopt;
    }
    return RowOf(query);
}

int CountSongs(const QSqlDatabase& db) {
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT count(*) FROM songs")) || !query.next()) {
        return 0;
    }
    return query.value(0).toInt();
}

std::optional<StoredSong> ReadStoredSong(const QSqlDatabase& db, const QString& path) {
    QSqlQuery query(db);
    query.prepare(QStringLiteral(
        "SELECT title, artist, size, mtime, lyric_offset_ms, key_semitones, tempo_percent,"
        " loudness_lufs, true_peak_db, loudness_measured FROM songs WHERE path = ?"));
    query.addBindValue(path);
    if (!query.exec() || !query.next()) {
        return std::nullopt;
    }
    StoredSong song;
    song.Title = query.value(0).toString();
    song.Artist = query.value(1).toString();
    song.Size = query.value(2).toLongLong();
    song.ModifiedMs = query.value(3).toLongLong();
    song.LyricOffsetMs = query.value(4).toInt();
    song.KeyTempo = {query.value(5).toInt(), query.value(6).toInt()};
    song.LoudnessMeasured = query.value(9).toInt();
    if (song.LoudnessMeasured == 1 && !query.value(7).isNull() && !query.value(8).isNull()) {
        song.Loudness = audio::Loudness{query.value(7).toDouble(), query.value(8).toDouble()};
    }
    return song;
}

QStringList SongsToMeasure(const QSqlDatabase& db, int limit) {
    QStringList paths;
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT path FROM songs WHERE loudness_measured = 0 LIMIT ?"));
    query.addBindValue(limit);
    if (query.exec()) {
        while (query.next()) {
            paths.append(query.value(0).toString());
        }
    }
    return paths;
}

}  // namespace vok::library
