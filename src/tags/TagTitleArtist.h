#pragma once

#include <QString>

namespace vok {

struct TitleArtist {
    QString Title;
    QString Artist;
};

// Title and artist for a playlist row: from the ID3v2 tag of an MP3 (else its ID3v1 tag), from
// the header of a lyric file (for an LRC file its [ti:]/[ar:], else the tags of the audio file
// beside it of the same base name), and nothing for any other kind of file or a file that is
// missing.
TitleArtist TagTitleArtist(const QString& fileName);

// The lower-cased text after the last "." of the name, looked for from the end down to the second
// character; empty for names of two characters or fewer.
QString TagExtension(const QString& fileName);

}  // namespace vok
