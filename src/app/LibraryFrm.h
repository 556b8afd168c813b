#pragma once

#include "player/LibraryModel.h"
#include "player/PlayerController.h"
#include "player/PlayerViews.h"

#include <QTimer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

namespace vok {

// The Library window: a search field over the song library and the songs it finds, found again
// as the user types. Enter or a double click appends the selected songs to the playlist,
// Shift+Enter or "Play next" puts them right after the active entry, and rows drag into the
// playlist window. It shows what the library and the controller tell it; closing only hides it.
class TLibraryFrm : public QWidget, public LibraryWindowView {
    Q_OBJECT

  public:
    // The parent is the player window: the first opening places the window beside it.
    explicit TLibraryFrm(PlayerController& controller, QWidget* parent = nullptr);
    ~TLibraryFrm() override;

    QLineEdit* SearchField() const { return search_; }
    QTreeView* Rows() const { return rows_; }
    LibraryModel& Model() { return model_; }
    QLabel* StatusLine() const { return status_; }

    // LibraryWindowView.
    void Open() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildLayout();
    void Place();
    void Search(const QString& text);
    // The search shown, run again after the library changed; the selected song stays selected.
    void Refresh();
    void SelectRow(int row);
    QStringList SelectedSongs() const;
    void Append();
    void PlayNext();
    void ShowStatus();
    // Usable or not: an unusable library says why and offers a rebuild where one can help.
    void ShowAvailability();
    bool HandleKey(QObject* watched, const QKeyEvent* key);

    PlayerController& controller_;
    LibraryModel model_;
    QLineEdit* search_ = nullptr;
    QLabel* fault_ = nullptr;
    QPushButton* rebuild_ = nullptr;
    QTreeView* rows_ = nullptr;
    QPushButton* append_ = nullptr;
    QPushButton* playNext_ = nullptr;
    QPushButton* rescan_ = nullptr;
    QLabel* status_ = nullptr;
    // Songs arrive in bursts while a scan runs: the rows follow at most this often.
    QTimer refresh_;
    bool searched_ = false;
    bool placed_ = false;
};

}  // namespace vok
