#pragma once

#include "library/SongLibrary.h"
#include "player/PlayerViews.h"
#include "playlist/PlayList.h"

#include <QAbstractTableModel>
#include <QList>

namespace vok {

// The rows of the playlist window over the player's playlist. The entries and the active entry
// are read from the playlist itself; the model keeps only what a row shows beyond them (title and
// artist, from the library, which reads a file's tags once per version of the file), so a removal
// or a move renumbers and never reads a tag.
class PlaylistModel : public QAbstractTableModel, public PlaylistWindowView {
    Q_OBJECT

  public:
    enum Column { NrColumn, FileColumn, TitleColumn, ArtistColumn, ColumnCount };

    PlaylistModel(const PlayList& playList, library::SongLibrary& library,
                  QObject* parent = nullptr);

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
    library::SongLibrary& library_;
    QList<RowText> rows_;
};

}  // namespace vok
