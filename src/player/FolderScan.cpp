#include "player/FolderScan.h"

#include <QDir>
#include <QFileInfo>

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
    }
    if (choice_.Mp3s) {
        scan("*.mp3");
    }
    scanning_ = false;
    if (ended) {
        return std::nullopt;
    }
    return found;
}

}  // namespace vok
