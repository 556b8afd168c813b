#include "app/CommandLine.h"

#ifndef VOK_VERSION
#error "VOK_VERSION comes from the project version"
#endif

namespace vok {

QString VersionText() {
    return QStringLiteral("Kestrovane Vokalento " VOK_VERSION);
}

QString UsageText(const QString& programName) {
    return QStringLiteral(
               "Usage: %1 [FILE]... [/AUTOQUIT]\n"
               "Karaoke player: plays lyric songs (.vok, .lrc), MP3+G karaoke songs (.cdg\n"
               "beside its audio, or both in a .zip), audio files (MP3, OGG, WMA) and\n"
               "playlists (.vpl, .m3u).\n"
               "\n"
               "  FILE        a song file or a list file; the files named\n"
               "              become the playlist in their order and the first plays. A\n"
               "              player already running is handed the files instead\n"
               "  /AUTOQUIT   end the player when Stop is pressed\n"
               "  --help      show this text and exit\n"
               "  --version   show the version and exit\n")
        .arg(programName);
}

std::optional<QString> EarlyAnswer(const QStringList& parameters, const QString& programName) {
    // The first of the two wins, as with most programs; both end the run before anything starts.
    for (const QString& parameter : parameters) {
        if (parameter == QLatin1String("--version")) {
            return VersionText() + QLatin1Char('\n');
        }
        if (parameter == QLatin1String("--help") || parameter == QLatin1String("-h")) {
            return UsageText(programName);
        }
    }
    return std::nullopt;
}

}  // namespace vok
