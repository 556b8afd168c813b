#pragma once

#include "player/UserDialogs.h"

#include <QDialog>

class QCheckBox;
class QFileSystemModel;
class QLabel;
class QTreeView;

namespace vok {

// The folder selector for adding a folder to the playlist: a folder tree, the path of the picked
// folder, and what to add. Made once and reused, so the folder and the boxes stay as the user
// left them.
class TAddSelectorFrm : public QDialog {
    Q_OBJECT

  public:
    explicit TAddSelectorFrm(const QString& startFolder, QWidget* parent = nullptr);

    // The folder selected in the tree; empty when none is.
    QString SelectedFolder() const;
    void SelectFolder(const QString& folder);
    // What the boxes say, with the selected folder.
    UserDialogs::FolderChoice Choice() const;

    QCheckBox* VOKCB() const { return vokCB_; }
    QCheckBox* MP3CB() const { return mp3CB_; }
    QCheckBox* RecCB() const { return recCB_; }
    QLabel* CHDirectory() const { return chDirectory_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // The selected folder in the middle of the tree's view.
    void ScrollToSelection();

    QFileSystemModel* folders_ = nullptr;
    QTreeView* dirSelector_ = nullptr;
    QLabel* chDirectory_ = nullptr;
    QCheckBox* vokCB_ = nullptr;
    QCheckBox* mp3CB_ = nullptr;
    QCheckBox* recCB_ = nullptr;
    bool followSelection_ = false;  // a folder above the selection was listed, not yet sorted
};

}  // namespace vok
