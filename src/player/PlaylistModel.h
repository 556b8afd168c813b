#pragma once

#include "player/PlayerViews.h"
#include "playlist/PlayList.h"
#include "tags/TagTitleArtist.h"

#include <QAbstractTableModel>
#include <QDateTime>
#include <QHash>
#include <QList>

namespace vok {

// Title and artist of a file, read once per file version: a rebuild of a list whose files did
// not change reads no tag again.
class RowTagCache {
  public:
    TitleArtist Lookup(const QString& fileName);
    void Clear() { cache_.clear(); }

  private:
    struct Entry {
        qint64 Size = -1;
        QDateTime Modified;
        TitleArtist Tags;
    };
    QHash<QString, Entry> cache_;
};

// The rows of the playlist window over the player's playlist. The entries and the active entry
// are read from the playlist itself; the model keeps only what a row shows beyond them (title and
// artist), so a removal or a move renumbers and never reads a tag.
class PlaylistModel : public QAbstractTableModel, public PlaylistWindowView {
    Q_OBJECT

  public:
    enum Column { NrColumn, FileColumn, TitleColumn, ArtistColumn, ColumnCount };

    explicit PlaylistModel(const PlayList& playList, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDropActions() const override;

    // PlaylistWindowView.
    void RowsChanged() override;
    void RowsRebuilt() override;
    void RowRemoved(int row) override;
    void RowMoved(int from, int before) override;
    void StatusChanged() override {}
    void ShowProgress(int, int) override {}

  private:
    struct RowText {
        QString Title;
        QString Artist;
    };
    RowText MakeRow(const QString& entry);

    const PlayList& playList_;
    QList<RowText> rows_;
    RowTagCache tags_;
};

}  // namespace vok
