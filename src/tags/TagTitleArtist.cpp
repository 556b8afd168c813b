#include "tags/TagTitleArtist.h"

#include <QFileInfo>

#include "core/FileNames.h"
#include "lyrics/SongSearch.h"
#include "lyrics/Vokalento.h"
#include "tags/Id3v1.h"
#include "tags/Id3v2.h"

namespace vok {

QString TagExtension(const QString& fileName) {
    for (qsizetype i = fileName.size() - 1; i >= 1; --i) {
        if (fileName[i] == QLatin1Char('.')) {
            return fileName.mid(i + 1).toLower();
        }
    }
    return {};
}

TitleArtist TagTitleArtist(const QString& fileName) {
    TitleArtist result;
    if (!QFileInfo(fileName).isFile()) {
        return result;
    }
    const QString extension = TagExtension(fileName);
    if (extension == QLatin1String("mp3")) {
        TID3v2 v2;
        v2.Read(fileName);
        if (v2.Exists) {
            // An ID3v2 tag decides, even without title or artist frames.
            result.Title = v2.Title;
            result.Artist = v2.Artist;
            return result;
        }
        TID3v1 v1;
        v1.Read(fileName);
        if (v1.Exists) {
            result.Title = v1.Title;
            result.Artist = v1.Artist;
        }
    } else if (extension == QLatin1String("vok")) {
        TVokalento song;
        song.LoadFromFile(fileName);
        if (song.Valid) {
            result.Title = song.Title;
            result.Artist = song.Artist;
        }
    } else if (extension == QLatin1String("lrc")) {
        TVokalento song;
        song.LoadFromFile(fileName);
        if (!song.Title.isEmpty() || !song.Artist.isEmpty()) {
            result.Title = song.Title;
            result.Artist = song.Artist;
        } else if (const QString audio = FindAudioBesideLrc(fileName);
                   !audio.isEmpty() && !IsLyricFileName(audio)) {
            return TagTitleArtist(audio);
        }
    }
    return result;
}

}  // namespace vok
