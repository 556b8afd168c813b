#pragma once

#include "library/SongLibrary.h"

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QStringList>

namespace vok {

// The rows of the Library window: the songs the last search found, best matches first. Rows
// drag out as a list of file URLs (what the playlist window takes).
class LibraryModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column { TitleColumn, ArtistColumn, KindColumn, DurationColumn, ColumnCount };

    explicit LibraryModel(const library::SongLibrary& library, QObject* parent = nullptr);

    // Shows the songs matching `text`.
    void Search(const QString& text);
    // The search shown, run again: the library's songs changed.
    void Refresh() { Search(text_); }

    QString Path(int row) const;
    // The songs of the given rows, in row order, each once.
    QStringList Paths(const QModelIndexList& rows) const;
    // The row showing `path`, or −1.
    int RowOf(const QString& path) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

  private:
    const library::SongLibrary& library_;
    QString text_;
    QList<library::SongRow> rows_;
};

// A song's length as "m:ss" (minutes beyond 59 stay minutes); empty while it is unknown.
QString DurationText(int durationMs);
// The Library window's status line: the library's size, or how far a running scan has come.
QString LibraryStatusText(int songCount, const library::ScanProgress& progress);

}  // namespace vok
