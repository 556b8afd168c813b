#pragma once

#include "player/UserDialogs.h"

class QWidget;

namespace vok {

// The real dialogs: QMessageBox and QFileDialog, modal over the parent.
class QtUserDialogs : public UserDialogs {
  public:
    explicit QtUserDialogs(QWidget* parent = nullptr) : parent_(parent) {}

    void SetParent(QWidget* parent) { parent_ = parent; }

    void Message(const QString& caption, const QString& text, Icon icon) override;
    bool AskYesNo(const QString& caption, const QString& text) override;
    QString OpenFile(const OpenRequest& request) override;

  private:
    QWidget* parent_;
    QString lastFolder_;
};

}  // namespace vok
