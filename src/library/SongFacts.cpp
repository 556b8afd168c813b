#include "library/SongFacts.h"

#include "karaoke/GraphicsSong.h"
#include "karaoke/KaraokeName.h"

#include <QFileInfo>

namespace vok::library {

TitleArtist ReadSongTitle(const QString& path) {
    TitleArtist tags = TagTitleArtist(path);
    if (tags.Artist.isEmpty() && IsGraphicsSongName(path)) {
        // A graphics song: the tags of its audio, else the karaoke naming of its file.
        const QString audio = IsCdgFileName(path) ? FindAudioBesideCdg(path) : QString();
        if (!audio.isEmpty()) {
            tags = TagTitleArtist(audio);
        }
        if (tags.Artist.isEmpty()) {
            const KaraokeName named = ParseKaraokeName(path);
            tags = {named.Title, named.Artist};
        }
    }
    return tags;
}

std::optional<SongKind> SongKindOfName(const QString&) {
    return std::nullopt;
}

int Mp3DurationMs(const QString&) {
    return 0;
}

int OggDurationMs(const QString&) {
    return 0;
}

QString SearchName(const QString& path) {
    return QFileInfo(path).completeBaseName();
}

}  // namespace vok::library
