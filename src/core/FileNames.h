#pragma once

#include <QString>
#include <QStringList>

namespace vok {

// True when the last four characters of the path, lower-cased, are ".vok" or ".lrc": the files
// the player opens as lyrics (everywhere: playlist, lists, command line, hand-over).
bool IsLyricFileName(const QString& path);

// True when the last four characters of the path, lower-cased, are ".lrc".
bool IsLrcFileName(const QString& path);

// The audio extensions, in the order an LRC file's song is looked for beside it.
QStringList LrcAudioExtensions();

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
