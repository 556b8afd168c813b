#pragma once

#include "player/UserDialogs.h"

#include <memory>

class QWidget;

namespace vok {

class TAddSelectorFrm;

// The real dialogs: QMessageBox and QFileDialog, modal over the parent.
class QtUserDialogs : public UserDialogs {
  public:
    explicit QtUserDialogs(QWidget* parent = nullptr);
    ~QtUserDialogs() override;

    void SetParent(QWidget* parent) { parent_ = parent; }

    void Message(const QString& caption, const QString& text, Icon icon) override;
    bool AskYesNo(const QString& caption, const QString& text) override;
    QString OpenFile(const OpenRequest& request) override;
    QStringList OpenFiles(const OpenRequest& request) override;
    QString SaveFile(const OpenRequest& request) override;
    bool ChooseFolder(const QString& caption, const QString& startFolder,
                      FolderChoice& choice) override;
    QString BrowseFolder(const QString& instruction, const QString& startFolder) override;
    bool PickColour(QColor& colour) override;

  private:
    QStringList Ask(const OpenRequest& request, int fileMode, bool save);

    QWidget* parent_;
    QString lastFolder_;
    std::unique_ptr<TAddSelectorFrm> selector_;
};

}  // namespace vok
