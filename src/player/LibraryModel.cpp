#include "player/LibraryModel.h"

#include <QColor>
#include <QLocale>
#include <QMimeData>
#include <QUrl>

#include <algorithm>
#include <set>

namespace vok {

namespace {

const QColor kRowText(192, 192, 192);

QString Count(int n) {
    // Digit groups as the rest of the English interface writes them: 12,345.
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(n);
}

}  // namespace

QString DurationText(int durationMs) {
    if (durationMs <= 0) {
        return QString();
    }
    const int seconds = durationMs / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString LibraryStatusText(int songCount, const library::ScanProgress& progress) {
    if (progress.Running) {
        return QStringLiteral("Scanning %1: %2 files")
            .arg(progress.Folder, Count(progress.FilesSeen));
    }
    return songCount == 1 ? QStringLiteral("1 song")
                          : QStringLiteral("%1 songs").arg(Count(songCount));
}

LibraryModel::LibraryModel(const library::SongLibrary& library, QObject* parent)
    : QAbstractTableModel(parent), library_(library) {}

void LibraryModel::Search(const QString& text) {
    beginResetModel();
    text_ = text;
    rows_ = library_.Search(text);
    endResetModel();
}

QString LibraryModel::Path(int row) const {
    return row >= 0 && row < rows_.size() ? rows_.at(row).Path : QString();
}

QStringList LibraryModel::Paths(const QModelIndexList& rows) const {
    std::set<int> numbers;
    for (const QModelIndex& index : rows) {
        if (index.isValid() && index.row() < rows_.size()) {
            numbers.insert(index.row());
        }
    }
    QStringList paths;
    for (const int row : numbers) {
        paths.append(rows_.at(row).Path);
    }
    return paths;
}

int LibraryModel::RowOf(const QString& path) const {
    const auto found =
        std::find_if(rows_.cbegin(), rows_.cend(),
                     [&path](const library::SongRow& row) { return row.Path == path; });
    return found == rows_.cend() ? -1 : static_cast<int>(found - rows_.cbegin());
}

int LibraryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int LibraryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant LibraryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_.size()) {
        return {};
    }
    const library::SongRow& song = rows_.at(index.row());
    switch (role) {
        case Qt::DisplayRole:
            switch (index.column()) {
                case TitleColumn:
                    return song.Title;
                case ArtistColumn:
                    return song.Artist;
                case KindColumn:
                    return library::KindName(song.Kind);
                case DurationColumn:
                    return DurationText(song.DurationMs);
                default:
                    return {};
            }
        case Qt::ToolTipRole:
            return song.Path;
        case Qt::TextAlignmentRole:
            return index.column() == DurationColumn ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                    : QVariant();
        case Qt::ForegroundRole:
            return kRowText;
        default:
            return {};
    }
}

QVariant LibraryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    switch (section) {
        case TitleColumn:
            return QStringLiteral("Title");
        case ArtistColumn:
            return QStringLiteral("Artist");
        case KindColumn:
            return QStringLiteral("Kind");
        case DurationColumn:
            return QStringLiteral("Length");
        default:
            return {};
    }
}

Qt::ItemFlags LibraryModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

QStringList LibraryModel::mimeTypes() const {
    return {QStringLiteral("text/uri-list")};
}

QMimeData* LibraryModel::mimeData(const QModelIndexList& indexes) const {
    QList<QUrl> urls;
    for (const QString& path : Paths(indexes)) {
        urls.append(QUrl::fromLocalFile(path));
    }
    auto* data = new QMimeData;
    data->setUrls(urls);
    return data;
}

}  // namespace vok
