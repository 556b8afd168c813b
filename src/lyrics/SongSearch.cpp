#include "lyrics/SongSearch.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QSet>
#include <vector>

#include "core/FileNames.h"
#include "core/Wildcard.h"

namespace vok {

namespace {

struct Entry {
    QString Name;
    bool IsFolder;
};

// The folder's entries in the order the file system gives them, hidden ones included; an
// unreadable or missing folder gives none.
std::vector<Entry> ListEntries(const QString& folder) {
    std::vector<Entry> entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        entries.push_back({info.fileName(), info.isDir()});
    }
    return entries;
}

}  // namespace

QString FindSongInFolders(const QString& name, const QString& folder) {
    if (name.isEmpty() || folder.isEmpty()) {
        return {};
    }
    // An explicit stack instead of recursion, so a deep tree cannot exhaust the call stack; the
    // children are pushed in reverse so they come off in listing order (pre-order, depth first).
    std::vector<QString> pending{folder};
    QSet<QString> visited;
    while (!pending.empty()) {
        const QString current = std::move(pending.back());
        pending.pop_back();
        // Each real folder is searched once: links back into the tree end here.
        const QString canonical = QFileInfo(current).canonicalFilePath();
        if (canonical.isEmpty() || visited.contains(canonical)) {
            continue;
        }
        visited.insert(canonical);

        const std::vector<Entry> entries = ListEntries(current);
        for (const Entry& entry : entries) {
            if (WildcardMatch(name, entry.Name)) {
                return current + QLatin1Char('/') + entry.Name;
            }
        }
        for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
            if (it->IsFolder) {
                pending.push_back(current + QLatin1Char('/') + it->Name);
            }
        }
    }
    return {};
}

QString FindFileIgnoringCase(const QString& folder, const QString& name) {
    if (name.isEmpty()) {
        return {};
    }
    const QString exact = folder + QLatin1Char('/') + name;
    const QFileInfo exactInfo(exact);
    if (exactInfo.exists() && !exactInfo.isDir()) {
        return exact;
    }
    for (const Entry& entry : ListEntries(folder)) {
        if (!entry.IsFolder && entry.Name.compare(name, Qt::CaseInsensitive) == 0) {
            return folder + QLatin1Char('/') + entry.Name;
        }
    }
    return {};
}

namespace {

// Folder by folder, each searched for the names in their order; only when no song folder holds
// one of them is the song that was open kept.
AudioSearchResult SearchSongFolders(const QStringList& names, const QStringList& songFolders,
                                    const QString& openSongPath) {
    AudioSearchResult result;
    result.SearchRan = true;
    for (int k = 0; k < songFolders.size(); ++k) {
        for (const QString& name : names) {
            const QString found = FindSongInFolders(name, songFolders[k]);
            if (!found.isEmpty()) {
                result.Source = AudioSource::SongFolder;
                result.Path = found;
                result.FolderIndex = k;
                return result;
            }
        }
    }
    if (!openSongPath.isEmpty()) {
        result.Source = AudioSource::OpenSong;
        result.Path = openSongPath;
    }
    return result;
}

}  // namespace

AudioSearchResult FindAudioForLyrics(const QString& songFile, const QString& lyricFilePath,
                                     const QStringList& songFolders, const QString& openSongPath) {
    AudioSearchResult result;
    if (!songFile.isEmpty()) {
        const QFileInfo stored(songFile);
        if (stored.exists() && !stored.isDir()) {
            result.Source = AudioSource::StoredPath;
            result.Path = songFile;
            return result;
        }
    }
    const QString name = FileNamePart(songFile);
    const QString beside = FindFileIgnoringCase(QFileInfo(lyricFilePath).path(), name);
    if (!beside.isEmpty()) {
        result.Source = AudioSource::BesideLyrics;
        result.Path = beside;
        return result;
    }
    if (songFolders.isEmpty() || songFile.isEmpty()) {
        return result;
    }
    return SearchSongFolders({name}, songFolders, openSongPath);
}

QString FindAudioBesideLrc(const QString& lrcFilePath) {
    const QString base = NameWithoutExtension(lrcFilePath);
    if (base.isEmpty()) {
        return {};
    }
    const QString folder = QFileInfo(lrcFilePath).path();
    for (const QString& extension : LrcAudioExtensions()) {
        const QString found = FindFileIgnoringCase(folder, base + extension);
        if (!found.isEmpty()) {
            return found;
        }
    }
    return {};
}

AudioSearchResult FindAudioForLrc(const QString& lrcFilePath, const QStringList& songFolders,
                                  const QString& openSongPath) {
    AudioSearchResult result;
    const QString beside = FindAudioBesideLrc(lrcFilePath);
    if (!beside.isEmpty()) {
        result.Source = AudioSource::BesideLyrics;
        result.Path = beside;
        return result;
    }
    const QString base = NameWithoutExtension(lrcFilePath);
    if (songFolders.isEmpty() || base.isEmpty()) {
        return result;
    }
    QStringList names;
    for (const QString& extension : LrcAudioExtensions()) {
        names.append(base + extension);
    }
    return SearchSongFolders(names, songFolders, openSongPath);
}

}  // namespace vok
