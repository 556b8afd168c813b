#pragma once

#include <QString>
#include <QStringList>

namespace vok {

// The audio extensions of a graphics song, in the order they are looked for beside a .cdg.
QStringList GraphicsAudioExtensions();

// True when the name ends in ".cdg", ignoring case.
bool IsCdgFileName(const QString& path);
// True when the name ends in ".zip", ignoring case.
bool IsZipFileName(const QString& path);
// True for the names that always open as a graphics song: a .cdg or a .zip.
bool IsGraphicsSongName(const QString& path);
// True when the name ends in one of GraphicsAudioExtensions(), ignoring case.
bool IsGraphicsAudioName(const QString& path);

struct KaraokeName {
    QString Artist;  // empty when the name carries none
    QString Title;
};

// Artist and title from a karaoke file name in the common naming "DISC-TRACK - Artist - Title"
// ("SC8123-05 - Queen - Don't Stop Me Now") or "Artist - Title". A song extension and any folder
// are dropped first. A leading part without spaces whose digits are at least two and no fewer than
// its letters is a disc id and is left out; after the artist, the rest (" - " and all) is the
// title. A name without " - " is a title only.
KaraokeName ParseKaraokeName(const QString& fileName);

}  // namespace vok
