#pragma once

#include "player/PlayerController.h"
#include "player/PlayerViews.h"
#include "player/PlaylistModel.h"

#include <QTreeView>
#include <QWidget>

class QLabel;
class QMenu;
class QProgressBar;
class QToolBar;
class QToolButton;

namespace vok {

// The rows of the playlist window. A row can be dragged inside the list, and songs dragged in from
// the Library window; a drop reports the dragged row, or the songs, and the row they should stand
// before (the row count: the end).
class TSpelLista : public QTreeView {
    Q_OBJECT

  public:
    explicit TSpelLista(QWidget* parent = nullptr);

    int SelectedRow() const;
    void SelectRow(int row);

  signals:
    void RowDropped(int from, int before);
    void SongsDropped(int before, const QStringList& songs);

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    bool TakesDrag(const QDropEvent* event) const;
};

// The playlist window: a tool window beside the player window showing the playlist as rows, with
// its own transport buttons, the list menu, a progress bar that seeks and a status line. It shows
// what the controller tells it and forwards every click and key; closing it only hides it.
class TPlayListFrm : public QWidget, public PlaylistWindowView {
    Q_OBJECT

  public:
    // mainCorner: the player window's top-left, where the window goes when no place is stored.
    TPlayListFrm(PlayerController& controller, QPoint mainCorner, QWidget* parent = nullptr);
    ~TPlayListFrm() override;

    PlaylistModel& Model() { return model_; }
    TSpelLista* SpelLista() const { return spelLista_; }
    QProgressBar* PlayPB() const { return playPB_; }
    QLabel* PLSB() const { return plsb_; }
    QToolBar* TBar() const { return tBar_; }
    QMenu* ListPopup() const { return listPopup_; }
    QToolButton* ToolButton(const QString& caption) const;

    // The width of "Title": what the other columns leave of the list.
    void FormResize();
    // The Delete key: the selected row goes unless it is the active one.
    void DeleteSelected();

    // PlaylistWindowView.
    void RowsChanged() override;
    void RowsRebuilt() override;
    void StatusChanged() override;
    void ShowProgress(int positionMs, int lengthMs) override;
    void ColumnsChanged() override { FormResize(); }
    void ShowScanning(bool scanning) override;
    void ShowStatusText(const QString& text) override;
    bool Shown() const override { return isVisible(); }
    void SetShown(bool shown) override;
    void ShowFullScreen(bool on) override;

  signals:
    // Shown or hidden (the player window's "Playlist" button follows).
    void VisibilityChanged(bool visible);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

  private:
    void ApplyProgress();
    void BuildToolBar();
    void BuildListPopup();
    void Place(QPoint mainCorner);
    void StorePlacement();
    bool HandleKey(QEvent* event);
    void RowDropped(int from, int before);

    PlayerController& controller_;
    QAction* fullscreen_ = nullptr;
    PlaylistModel model_;
    QToolBar* tBar_ = nullptr;
    QMenu* listPopup_ = nullptr;
    QProgressBar* playPB_ = nullptr;
    struct Progress {
        int PositionMs = 0;
        int LengthMs = 0;
    } progress_;
    TSpelLista* spelLista_ = nullptr;
    QLabel* plsb_ = nullptr;
};

}  // namespace vok
