#pragma once

#include "library/SongLibrary.h"

#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace vok::library {

// The FTS5 query for what the user typed: every word a prefix, all of them required. Only the
// letters and digits of the text count (the index splits words there too), and every word is
// quoted, so quotes, operators (AND, OR, NOT, NEAR), "*", "-", "^" and column names in the text
// are plain words. Empty when the text holds no word.
QString MatchExpression(const QString& text);

// The rows of a search, best first; nothing when the query fails.
QList<SongRow> SearchSongs(const QSqlDatabase& db, const QString& text, int limit);
std::optional<SongRow> FindSong(const QSqlDatabase& db, const QString& path);
int CountSongs(const QSqlDatabase& db);

// A song's own columns as far as the playlist and the player read them.
struct StoredSong {
    QString Title;
    QString Artist;
    qint64 Size = -1;
    qint64 ModifiedMs = -1;
    int LyricOffsetMs = 0;
    SongKeyTempo KeyTempo;
    std::optional<audio::Loudness> Loudness;
    int LoudnessMeasured = 0;  // 1 measured, -1 cannot be, 0 not yet
};
// Songs not measured yet, at most `limit`.
QStringList SongsToMeasure(const QSqlDatabase& db, int limit);
std::optional<StoredSong> ReadStoredSong(const QSqlDatabase& db, const QString& path);

}  // namespace vok::library
