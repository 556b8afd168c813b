// Feeds arbitrary bytes as an MP3 file through the tag readers.
#include <cstdint>

#include "InputFile.h"
#include "tags/Id3v1.h"
#include "tags/Id3v2.h"
#include "tags/TagTitleArtist.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = vok::fuzz::WriteInputFile(data, size, QStringLiteral("input.mp3"));
    if (path.isEmpty()) {
        return 0;
    }
    const vok::TitleArtist tags = vok::TagTitleArtist(path);
    vok::TID3v2 v2;
    v2.Read(path);
    vok::TID3v1 v1;
    v1.Read(path);
    // Touch every field so a sanitizer sees any bad string.
    const qsizetype total = tags.Title.size() + tags.Artist.size() + v2.Album.size() +
                            v2.Comment.size() + v2.Link.size() + v2.Genre.size() + v2.Year.size() +
                            v2.Track + v1.Comment.size() + v1.Track;
    return total < 0 ? 1 : 0;
}
