#include "player/PlaylistModel.h"

#include "core/FileNames.h"

#include <QColor>

namespace vok {

namespace {

const QColor kActiveRow(0, 128, 0);
const QColor kRowText(192, 192, 192);

}  // namespace

PlaylistModel::PlaylistModel(const PlayList& playList, library::SongLibrary& library,
                             QObject* parent)
    : QAbstractTableModel(parent), playList_(playList), library_(library) {}

PlaylistModel::RowText PlaylistModel::MakeRow(const QString& entry) {
    // A graphics song's title comes from its audio's tags or its karaoke file name; the library
    // knows how.
    const TitleArtist tags = library_.RowTitle(entry);
    // A title without an artist is not shown: the file name says more.
    if (tags.Artist.isEmpty()) {
        return {FileNamePart(entry), QString()};
    }
    return {tags.Title, tags.Artist};
}

int PlaylistModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int PlaylistModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant PlaylistModel::data(const QModelIndex& index, int role) const {
    const int row = index.row();
    if (!index.isValid() || row >= rows_.size() || row >= playList_.Count()) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
            switch (index.column()) {
                case NrColumn:
                    return QString::number(row + 1);
                case FileColumn:
                    return playList_.PlayItems().at(row);
                case TitleColumn:
                    return rows_.at(row).Title;
                case ArtistColumn:
                    return rows_.at(row).Artist;
                default:
                    return {};
            }
        case Qt::BackgroundRole:
            return row == playList_.PlayIndex() ? QVariant(kActiveRow) : QVariant();
        case Qt::ForegroundRole:
            return kRowText;
        default:
            return {};
    }
}

QVariant PlaylistModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    switch (section) {
        case NrColumn:
            return QStringLiteral("Nr");
        case FileColumn:
            return QStringLiteral("File");
        case TitleColumn:
            return QStringLiteral("Title");
        case ArtistColumn:
            return QStringLiteral("Artist");
        default:
            return {};
    }
}

Qt::ItemFlags PlaylistModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::ItemIsDropEnabled;
    }
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled;
    if (index.row() != playList_.PlayIndex()) {
        flags |= Qt::ItemIsDragEnabled;  // the active entry stays where it is
    }
    return flags;
}

Qt::DropActions PlaylistModel::supportedDropActions() const {
    return Qt::MoveAction;
}

void PlaylistModel::RowsChanged() {
    if (rows_.size() != playList_.Count()) {
        RowsRebuilt();  // entries changed behind the model's back: never show stale rows
        return;
    }
    if (!rows_.isEmpty()) {
        emit dataChanged(index(0, 0), index(static_cast<int>(rows_.size()) - 1, ColumnCount - 1),
                         {Qt::BackgroundRole});
    }
}

void PlaylistModel::RowsRebuilt() {
    beginResetModel();
    rows_.clear();
    rows_.reserve(playList_.Count());
    for (const QString& entry : playList_.PlayItems()) {
        rows_.append(MakeRow(entry));
    }
    endResetModel();
}

void PlaylistModel::RowRemoved(int row) {
    if (row < 0 || row >= rows_.size() || rows_.size() != playList_.Count() + 1) {
        RowsRebuilt();
        return;
    }
    beginRemoveRows(QModelIndex(), row, row);
    rows_.removeAt(row);
    endRemoveRows();
    RowsChanged();
    if (row < rows_.size()) {
        emit dataChanged(index(row, NrColumn), index(static_cast<int>(rows_.size()) - 1, NrColumn),
                         {Qt::DisplayRole});
    }
}

void PlaylistModel::RowMoved(int from, int before) {
    const int count = static_cast<int>(rows_.size());
    if (count != playList_.Count() || from < 0 || from >= count || before < 0 || before > count ||
        !beginMoveRows(QModelIndex(), from, from, QModelIndex(), before)) {
        RowsRebuilt();
        return;
    }
    rows_.move(from, before > from ? before - 1 : before);
    endMoveRows();
    // Numbers and the active colour follow the positions.
    emit dataChanged(index(0, 0), index(count - 1, ColumnCount - 1),
                     {Qt::DisplayRole, Qt::BackgroundRole});
}

}  // namespace vok
