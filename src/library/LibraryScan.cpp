#include "library/LibraryScan.h"

#include "library/SongFacts.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QHash>

#include <algorithm>
#include <memory>

namespace vok::library {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

qint64 ModifiedMs(const struct stat& info) {
    return static_cast<qint64>(info.st_mtim.tv_sec) * 1000 +
           static_cast<qint64>(info.st_mtim.tv_nsec) / 1000000;
}

QString LowerName(const QString& path) {
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1).toLower();
}

bool IsUnder(const QString& folder, const QString& parent) {
    return folder == parent ||
           folder.startsWith(parent.endsWith(QLatin1Char('/')) ? parent
                                                               : parent + QLatin1Char('/'));
}

}  // namespace

struct FolderScanner::Listing {
    struct File {
        QString Name;
        SongKind Kind;
        FileStamp Stamp;
    };
    std::vector<File> Files;
};

FolderScanner::FolderScanner(LibraryWriter& writer, ScanProgress& progress,
                             std::function<bool()> between)
    : writer_(writer), progress_(progress), between_(std::move(between)) {}

FolderScanner::Outcome FolderScanner::ScanRoot(const QString& root) {
    struct stat info {};
    if (::stat(QFile::encodeName(root).constData(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        return Outcome::Missing;
    }
    seenFolders_.clear();
    walked_.clear();
    unreadable_.clear();
    seenFolders_.insert(
        {static_cast<unsigned long>(info.st_dev), static_cast<unsigned long>(info.st_ino)});
    // Depth first; the stack holds the folders found but not walked yet.
    std::vector<QString> stack{root};
    while (!stack.empty()) {
        const QString folder = stack.back();
        stack.pop_back();
        std::vector<QString> subfolders;
        if (!ScanFolder(folder, subfolders)) {
            return Outcome::Cancelled;
        }
        // Reversed, so that the walk goes down in the listing's order.
        stack.insert(stack.end(), subfolders.rbegin(), subfolders.rend());
    }
    // The folders of the tree that are gone (or no longer reached) lose their songs; those below a
    // folder that could not be listed keep theirs.
    for (const QString& folder : writer_.FoldersWithSongsUnder(root)) {
        if (walked_.contains(folder)) {
            continue;
        }
        const bool belowUnreadable =
            std::any_of(unreadable_.cbegin(), unreadable_.cend(),
                        [&folder](const QString& parent) { return IsUnder(folder, parent); });
        if (!belowUnreadable) {
            progress_.SongsRemoved += static_cast<int>(writer_.FolderSongs(folder).size());
            writer_.RemoveFolderSongs(folder);
        }
    }
    return Outcome::Done;
}

bool FolderScanner::List(const QString& folder, Listing& listing,
                         std::vector<QString>& subfolders) {
    const QByteArray encoded = QFile::encodeName(folder);
    const std::unique_ptr<DIR, DirCloser> dir(opendir(encoded.constData()));
    if (!dir) {
        return false;
    }
    const int fd = dirfd(dir.get());
    while (const dirent* entry = readdir(dir.get())) {
        const QByteArray raw(entry->d_name);
        if (raw.startsWith('.')) {
            continue;  // ".", ".." and hidden entries
        }
        const QString name = QFile::decodeName(raw);
        if (QFile::encodeName(name) != raw) {
            ++progress_.NamesSkipped;
            continue;
        }
        const bool maybeFolder =
            entry->d_type == DT_DIR || entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN;
        const std::optional<SongKind> kind = SongKindOfName(name);
        if (!kind && !maybeFolder) {
            continue;  // no need to look at it
        }
        struct stat info {};
        if (fstatat(fd, entry->d_name, &info, 0) != 0) {
            continue;  // a dangling link
        }
        if (S_ISDIR(info.st_mode)) {
            if (seenFolders_
                    .insert({static_cast<unsigned long>(info.st_dev),
                             static_cast<unsigned long>(info.st_ino)})
                    .second) {
                subfolders.push_back(JoinPath(folder, name));
            }
        } else if (kind && S_ISREG(info.st_mode)) {
            listing.Files.push_back(
                {name, *kind, {static_cast<qint64>(info.st_size), ModifiedMs(info)}});
        }
    }
    return true;
}

bool FolderScanner::ScanFolder(const QString& folder, std::vector<QString>& subfolders) {
    progress_.Folder = folder;
    walked_.insert(folder);
    Listing listing;
    if (!List(folder, listing, subfolders)) {
        unreadable_.append(folder);  // keeps its songs
        ++progress_.FoldersDone;
        return between_();
    }
    std::sort(listing.Files.begin(), listing.Files.end(),
              [](const Listing::File& a, const Listing::File& b) { return a.Name < b.Name; });
    QHash<QString, StoredFile> stored;
    for (StoredFile& song : writer_.FolderSongs(folder)) {
        stored.insert(song.Path, std::move(song));
    }
    QSet<QString> names;  // lower-cased, as the player finds audio beside a song
    for (const Listing::File& file : listing.Files) {
        names.insert(file.Name.toLower());
    }
    QSet<QString> hidden;  // the audio files that lyric and graphics songs of this folder play
    QSet<QString> songs;
    const auto visit = [&](const Listing::File& file) {
        const QString path = JoinPath(folder, file.Name);
        ++progress_.FilesSeen;
        const auto found = stored.constFind(path);
        const bool same = found != stored.cend() && found->Size == file.Stamp.Size &&
                          found->ModifiedMs == file.Stamp.ModifiedMs;
        QString audio;
        if (same && (found->Audio.isEmpty() || FolderOf(found->Audio) != folder ||
                     names.contains(LowerName(found->Audio)))) {
            audio = found->Audio;
            songs.insert(path);
        } else {
            const SongFacts facts = ReadSongFacts(path);
            if (facts.IsSong) {
                writer_.StoreSong(path, folder, facts, file.Stamp);
                ++progress_.SongsAdded;
                songs.insert(path);
                audio = facts.Audio;
            }
        }
        if (!audio.isEmpty() && FolderOf(audio) == folder) {
            hidden.insert(LowerName(audio));
        }
        return between_();
    };
    // The songs that stand for an audio file first, so that audio is known before it is listed.
    for (const Listing::File& file : listing.Files) {
        if (file.Kind != SongKind::Audio && !visit(file)) {
            return false;
        }
    }
    for (const Listing::File& file : listing.Files) {
        if (file.Kind == SongKind::Audio && !hidden.contains(file.Name.toLower()) && !visit(file)) {
            return false;
        }
    }
    for (const StoredFile& song : stored) {
        if (!songs.contains(song.Path)) {
            writer_.RemoveSong(song.Id);
            ++progress_.SongsRemoved;
        }
    }
    ++progress_.FoldersDone;
    return between_();
}

}  // namespace vok::library
