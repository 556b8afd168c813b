// Seeds for the list-file reader: every encoding, line end and line kind it tells apart.
#include "Seeds.h"

namespace vok::fuzz {
namespace {

QByteArray Utf16(const QByteArray& ascii, bool bigEndian) {
    QByteArray bytes(bigEndian ? "\xFE\xFF" : "\xFF\xFE");
    for (const char c : ascii) {
        bytes.append(bigEndian ? '\0' : c).append(bigEndian ? c : '\0');
    }
    return bytes;
}

const SeedRegistration kListSeeds([] {
    const QByteArray m3u = "#EXTM3U\r\n#EXTINF:123,Artist - Title\r\na.mp3\r\n#extinf:1,x\nb.vok\n";
    return SeedSet{"playlist_list",
                   {
                       QByteArray("a.mp3\r\nb.vok\r\n"),
                       m3u,
                       "\xEF\xBB\xBF" + m3u,
                       Utf16(m3u, false),
                       Utf16(m3u, true),
                       Utf16("a.mp3\r", false) + "\x00",  // odd length
                       QByteArray("S\xe5ng.mp3\ra.mp3"),  // Windows-1252, CR only, no last end
                       QByteArray("a.mp3\0junk\n\n\n b.vok \n", 22),
                       QByteArray("#EX\n#ext\n/\n.\n..\n"),
                       QByteArray(),
                   }};
});

}  // namespace
}  // namespace vok::fuzz
