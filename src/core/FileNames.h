#pragma once

#include <QString>

namespace vok {

// True when the last four characters of the path, lower-cased, are ".vok".
bool IsLyricFileName(const QString& path);

// The file-name part of a name read from a lyric or list file: what follows the last "/" or "\"
// (names written on Windows carry backslashes).
QString FileNamePart(const QString& path);

// The file-name part of a path on this machine: what follows the last "/". A backslash is an
// ordinary character of a Linux file name ("AC\DC.mp3").
QString LocalFileName(const QString& path);

// The file-name part of a local path up to, not including, its last "."; empty when the name
// holds no ".".
QString NameWithoutExtension(const QString& path);

// True when the file-name part ends in the given extension (with its dot), ignoring case.
bool HasExtension(const QString& path, QStringView extension);

}  // namespace vok
