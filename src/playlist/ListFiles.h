#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include "core/WriteResult.h"

namespace vok {

// The lines of a list file (text decoded by DecodeText) that may name a file: no empty lines, no
// "#EXT…" lines (any case) and no lines holding a NUL, which no file name can contain.
QStringList ListFileCandidates(QByteArrayView bytes);

struct ListReadResult {
    enum class Status {
        Read,        // entries holds the accepted names (maybe none)
        Missing,     // no file of that name: the caller does nothing at all
        Unreadable,  // the file exists but cannot be read: show error
    };
    Status status = Status::Missing;
    QStringList entries;
    QString error;
};

// Largest list file read; a bigger one is reported as unreadable rather than held in memory.
// Half a million entries of a hundred characters still fit.
inline constexpr qint64 kMaxListFileSize = 64 * 1024 * 1024;

// Reads a .vpl or .m3u list. A line is kept, exactly as written, only when a file of that name
// exists now; relative names are tried against baseDir (empty: the current directory), not
// against the list's own folder.
ListReadResult ReadPlayList(const QString& listPath, const QString& baseDir = QString());

struct [[nodiscard]] ListWriteResult : WriteResult {
    int LeftOut = 0;  // entries that cannot be one line of a list (CR, LF or NUL in the name)
};

// Writes the entries as UTF-8 without a byte-order mark, each line ending in CR LF (an empty list
// is an empty file). The old file is replaced only once the new one is complete, so a failed
// write leaves it whole.
ListWriteResult WritePlayList(const QString& listPath, const QStringList& entries);

// The name a list is saved under: ".vpl" is added unless the name already ends in it (any case).
QString WithListExtension(const QString& name);

}  // namespace vok
