// The settings dialog's side of the player: what it reads when it is made, what its OK writes and
// hands over, and the colours and outline it changes at once.

#include "player/PlayerController.h"

namespace vok {

void PlayerController::AttachSettingsDialog(SettingsDialogView* dialog) {
    settingsDialog_ = dialog;
    if (window_ != nullptr) {
        window_->EnableSettingsButton(CanOpenSettings());
    }
}

DialogSettings PlayerController::DialogCreationSettings() const {
    return LoadDialogSettings(paths_.SettingsFile());
}

void PlayerController::InstBtnClick() {
    if (!CanOpenSettings()) {
        return;
    }
    settingsOpen_ = true;
    const std::optional<SettingsDialogAnswer> answer = settingsDialog_->Execute();
    settingsOpen_ = false;
    if (answer) {
        TakeOverDialogSettings(*answer);
    }
    // Confirmed or not, colours or the outline may have changed: the line is drawn anew.
    if (State() == PlayState::Playing) {
        display_.InvalidateLyrics();
    }
}

bool PlayerController::SettingsOk(const DialogSettings& dialog) {
    const WriteResult written = StoreDialogSettings(paths_.SettingsFile(), dialog, settings_);
    if (!written.Ok) {
        ShowError(written.Message);
    }
    return written.Ok;
}

void PlayerController::TakeOverDialogSettings(const SettingsDialogAnswer& answer) {
    const DialogSettings& dialog = answer.Settings;
    // Folders named anew join the library; one already there is not walked again here.
    const QStringList before = LibraryFolders(settings_.SongFolders, settings_.LyricFolder);
    QStringList added;
    for (const QString& folder : LibraryFolders(dialog.SongFolders, dialog.LyricFolder)) {
        if (!before.contains(folder)) {
            added.append(folder);
        }
    }
    library_->AddFolders(added);
    settings_.SongFolders = dialog.SongFolders;
    settings_.LyricFolder = LyricFolderOrDefault(dialog.LyricFolder);
    settings_.JumpTime = dialog.JumpTime;
    session_.Engine().SetJumpTime(dialog.JumpTime);
    settings_.LoadAccurate = answer.LoadAccurate;
    settings_.DualDesc = dialog.DualDesc;
    // AutoStartFS is only stored: it takes effect at the next start.
    ApplyDisplayLayout();
}

void PlayerController::SetTextColour(qint32 colour) {
    settings_.TextColour = colour;
    ApplyColours();
}

void PlayerController::SetOutlineColour(qint32 colour) {
    settings_.OutlineColour = colour;
    ApplyColours();
}

void PlayerController::SetOutlined(bool on) {
    settings_.OutlinedText = on;
    ApplyColours();
}

void PlayerController::ApplyColours() {
    display_.SetColours(LyricColours{static_cast<std::uint32_t>(settings_.TextColour),
                                     static_cast<std::uint32_t>(settings_.OutlineColour),
                                     settings_.OutlinedText});
}

QStringList PlayerController::ScreenList() const {
    QStringList lines;
    if (window_ == nullptr) {
        return lines;
    }
    const QList<QRect> screens = window_->Screens();
    for (qsizetype i = 0; i < screens.size(); ++i) {
        lines.append(QStringLiteral("%1: %2 X %3")
                         .arg(i + 1)
                         .arg(screens[i].width())
                         .arg(screens[i].height()));
    }
    return lines;
}

}  // namespace vok
