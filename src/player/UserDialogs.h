#pragma once

#include <QString>

namespace vok {

// Every message box and file dialog of the player goes through here, so tests can answer
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

}  // namespace vok
