#pragma once

#include <QString>

class QWidget;

namespace vok {

// Every message box and file dialog of the player window goes through here, so tests can answer
// them without a person at the screen.
class UserDialogs {
  public:
    enum class Icon { None, Information, Warning, Error };

    struct OpenRequest {
        QString Title;
        QString Folder;  // empty: wherever the dialog was last
        QString Filter;  // Qt syntax, e.g. "Vokalento-file (*.vok)"
        QString DefaultSuffix;
    };

    virtual ~UserDialogs() = default;

    // A box with one OK button.
    virtual void Message(const QString& caption, const QString& text, Icon icon) = 0;
    // True for Yes.
    virtual bool AskYesNo(const QString& caption, const QString& text) = 0;
    // The picked file, or an empty text when the user cancelled.
    virtual QString OpenFile(const OpenRequest& request) = 0;
};

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
