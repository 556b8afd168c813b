#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

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

    // The folder selector's answer; it keeps the folder and the boxes between uses.
    struct FolderChoice {
        QString Folder;
        bool LyricFiles = true;
        bool Mp3s = true;
        bool Recursive = true;
    };

    virtual ~UserDialogs() = default;

    // A box with one OK button.
    virtual void Message(const QString& caption, const QString& text, Icon icon) = 0;
    // True for Yes.
    virtual bool AskYesNo(const QString& caption, const QString& text) = 0;
    // The picked file, or an empty text when the user cancelled.
    virtual QString OpenFile(const OpenRequest& request) = 0;
    // Existing files, several at once; empty when the user cancelled.
    virtual QStringList OpenFiles(const OpenRequest& request) = 0;
    // A name to write to (the file need not exist, its folder must); empty on Cancel.
    virtual QString SaveFile(const OpenRequest& request) = 0;
    // The folder selector, captioned `caption`. `startFolder` is selected the first time only.
    // False on Cancel or when no real folder was picked; `choice` is then untouched.
    virtual bool ChooseFolder(const QString& caption, const QString& startFolder,
                              FolderChoice& choice) = 0;
    // The plain folder browser (folders only, no button for a new folder), `instruction` as its
    // title, starting in `startFolder` when that is not empty. The folder, or empty on Cancel.
    virtual QString BrowseFolder(const QString& instruction, const QString& startFolder) = 0;
    // The colour dialog with the custom-colour part open, preset with `colour`. False on Cancel;
    // `colour` is then untouched.
    virtual bool PickColour(QColor& colour) = 0;
};

}  // namespace vok
