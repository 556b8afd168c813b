#include "player/FolderScan.h"

#include "karaoke/KaraokeName.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace vok {

bool FolderScan::Choose(UserDialogs& dialogs, const QString& startFolder) {
    return !scanning_ &&
           dialogs.ChooseFolder(QStringLiteral("Add folder..."), startFolder, choice_) &&
           QFileInfo(choice_.Folder).isDir();
}

std::optional<QStringList> FolderScan::Scan(const FindProgress& progress) {
    QString folder = QDir::fromNativeSeparators(choice_.Folder);
    if (!folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
    }
    scanning_ = true;
    bool ended = false;
    FindProgress watched = progress;
    watched.betweenEntries = [&progress, &ended] {
        ended = ended || (progress.betweenEntries && !progress.betweenEntries());
        return !ended;
    };
    QStringList found;
    const auto scan = [&](const char* pattern) {
        if (!ended) {
            FindFiles(folder + QLatin1String(pattern), choice_.Recursive, true, found, watched);
        }
    };
    if (choice_.LyricFiles) {
        scan("*.vok");
        scan("*.lrc");
        scan("*.cdg");
        scan("*.zip");
    }
    if (choice_.Mp3s) {
        scan("*.mp3");
    }
    scanning_ = false;
    if (ended) {
        return std::nullopt;
    }
    WithoutGraphicsAudio(found);
    return found;
}

void WithoutGraphicsAudio(QStringList& songs) {
    // The case of name and extension is ignored, as when the song finds its audio.
    const auto withoutExtension = [](const QString& path) {
        return path.left(path.lastIndexOf(QLatin1Char('.'))).toLower();
    };
    QSet<QString> graphics;
    for (const QString& song : songs) {
        if (IsCdgFileName(song)) {
            graphics.insert(withoutExtension(song));
        }
    }
    if (graphics.isEmpty()) {
        return;
    }
    songs.removeIf([&](const QString& song) {
        return IsGraphicsAudioName(song) && graphics.contains(withoutExtension(song));
    });
}

}  // namespace vok
