#include "playlist/FindFiles.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <vector>

#include "core/Wildcard.h"

namespace vok {

void SortNames(QStringList& names) {
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<std::pair<QCollatorSortKey, qsizetype>> keys;
    keys.reserve(static_cast<std::size_t>(names.size()));
    for (qsizetype i = 0; i < names.size(); ++i) {
        // Folded first: in the C locale Qt's sort keys are plain code points and would put
        // "B" before "a" whatever the case setting says.
        keys.emplace_back(collator.sortKey(names[i].toCaseFolded()), i);
    }
    std::sort(keys.begin(), keys.end(), [&names](const auto& a, const auto& b) {
        const int order = a.first.compare(b.first);
        if (order != 0) {
            return order < 0;
        }
        return names[a.second] < names[b.second];
    });
    QStringList sorted;
    sorted.reserve(names.size());
    for (const auto& key : keys) {
        sorted.append(names[key.second]);
    }
    names = std::move(sorted);
}

namespace {

class FolderScan {
  public:
    FolderScan(QString pattern, const FindProgress& progress)
        : pattern_(std::move(pattern)), progress_(progress) {}

    // Adds the matching files of folder (a path ending in "/") to files and its sub-folders, in
    // name order, to subFolders. False once the scan was told to stop.
    bool List(const QString& folder, bool sortFiles, QStringList& files, QStringList& subFolders) {
        const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
        const QFileInfoList entries =
            dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
        QStringList foundFiles;
        for (const QFileInfo& entry : entries) {
            if (progress_.betweenEntries && !progress_.betweenEntries()) {
                return false;
            }
            const QString name = entry.fileName();
            if (entry.isDir()) {
                subFolders.append(folder + name + QLatin1Char('/'));
            } else if (entry.isFile() && WildcardMatch(pattern_, name)) {
                foundFiles.append(folder + name);
            }
        }
        if (sortFiles) {
            SortNames(foundFiles);
        }
        files += foundFiles;
        SortNames(subFolders);
        return true;
    }

    // True the first time a folder is reached, by whatever path.
    bool FirstVisit(const QString& folder) {
        const QString canonical = QFileInfo(folder).canonicalFilePath();
        if (canonical.isEmpty()) {
            return false;  // vanished or a dangling link
        }
        if (visited_.contains(canonical)) {
            return false;
        }
        visited_.insert(canonical);
        return true;
    }

  private:
    QString pattern_;
    const FindProgress& progress_;
    QSet<QString> visited_;
};

}  // namespace

QString FolderScanStatus(const QString& folder) {
    return QStringLiteral(".: ") + folder + QStringLiteral(" :.");
}

void FindFiles(const QString& mask, bool recursive, bool append, QStringList& target,
               const FindProgress& progress) {
    const qsizetype separator = mask.lastIndexOf(QLatin1Char('/'));
    const QString folder = mask.left(separator + 1);
    const QString pattern = mask.mid(separator + 1);

    QStringList found;
    if (!pattern.isEmpty() && !mask.contains(QChar(0))) {
        FolderScan scan(pattern, progress);
        QStringList subFolders;
        bool going = scan.FirstVisit(folder.isEmpty() ? QStringLiteral(".") : folder) &&
                     scan.List(folder, true, found, subFolders);
        if (recursive && going) {
            // Depth first with an explicit stack, so no tree is too deep to scan.
            QStringList below;
            std::vector<QString> pending(subFolders.rbegin(), subFolders.rend());
            while (going && !pending.empty()) {
                const QString current = std::move(pending.back());
                pending.pop_back();
                if (!scan.FirstVisit(current)) {
                    continue;
                }
                if (progress.enteringFolder) {
                    progress.enteringFolder(current.chopped(1));
                }
                QStringList children;
                going = scan.List(current, false, below, children);
                pending.insert(pending.end(), children.rbegin(), children.rend());
            }
            SortNames(below);
            below.erase(std::unique(below.begin(), below.end()), below.end());
            found += below;
        }
    }
    if (append) {
        target += found;
    } else {
        target = std::move(found);
    }
}

}  // namespace vok
