#pragma once

#include "player/PlayerController.h"
#include "player/PlayerViews.h"
#include "player/UserDialogs.h"

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace vok {

class ColourSwatch;

// The settings dialog "Settings": made once at start, shown modally by "Settings...". It keeps its
// controls, song folders and lyric folder between openings; OK writes them through the controller
// and hands them over. The colours and the outline flag it sets on the player at once.
class TInstForm : public QDialog, public SettingsDialogView {
    Q_OBJECT

  public:
    TInstForm(PlayerController& controller, UserDialogs& dialogs, QWidget* parent = nullptr);
    ~TInstForm() override;

    std::optional<SettingsDialogAnswer> Execute() override;
    void Cancel() override { reject(); }

    static inline const QString kSongFolderInstruction =
        QStringLiteral("Where do you have your songs. (subfolders also included)");
    static inline const QString kLyricFolderInstruction =
        QStringLiteral("Where do you have your Vokalento-files?");

  private:
    QWidget* BuildGeneralPage();
    QWidget* BuildTextPage();
    QWidget* BuildLanguagePage();
    QWidget* BuildScreenPage();
    void FormCreate();
    void FormShow();
    void ScreenTabShow();
    void VokPathBtnClick();
    void AddBtnClick();
    void DelBtnClick();
    void MP3DirListClick();
    void PickColour(bool outline);
    void OkBtnClick();
    // The browsers start in the lyric folder, or in the default one while that is empty.
    QString BrowseStart() const;
    DialogSettings Current() const;

    PlayerController& controller_;
    UserDialogs& dialogs_;
    QStringList songFolders_;  // kept equal to MP3DirList's entries
    QString lyricFolder_;      // only the browser changes it

    QTabWidget* pg_ = nullptr;
    QWidget* screenPage_ = nullptr;
    QLineEdit* vokPath_ = nullptr;
    QSpinBox* spolTid_ = nullptr;
    QCheckBox* accCB_ = nullptr;
    QPushButton* delBtn_ = nullptr;
    QListWidget* mp3DirList_ = nullptr;
    ColourSwatch* actTextClr_ = nullptr;
    ColourSwatch* actOLTextClr_ = nullptr;
    QCheckBox* olCB_ = nullptr;
    QCheckBox* dualDescCB_ = nullptr;
    QCheckBox* startFSCB_ = nullptr;
    QListWidget* sclb_ = nullptr;
};

}  // namespace vok
