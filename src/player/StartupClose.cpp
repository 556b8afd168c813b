// The first-show step, files named from outside, list files, and closing.

#include "player/PlayerController.h"

#include "core/FileNames.h"
#include "core/UserMessages.h"
#include "playlist/ListFiles.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <exception>

namespace vok {

namespace {

const QString kAutoQuitSwitch = QStringLiteral("/AUTOQUIT");

bool IsListFileName(const QString& path) {
    return HasExtension(path, u".vpl");
}

}  // namespace

void PlayerController::AfterShow() {
    autoQuit_ = false;
    readyForFiles_ = true;
    // The stored PlayListVisible shows the playlist window here once that window exists.
    if (!startedWithFiles_) {
        LoadPL(false, paths_.DefaultPlaylistFile());
        RestoreActiveEntry();
        return;
    }
    UnloadVokBtnClick();
    UnloadMP3BtnClick();
    startedWithFiles_ = false;
    readOnlyRun_ = true;
    QCoreApplication::processEvents();

    for (const QString& parameter : options_.Parameters) {
        if (parameter.toUpper() == kAutoQuitSwitch) {
            autoQuit_ = true;
        }
    }
    const QString first = options_.Parameters.constFirst();
    if (!QFileInfo(first).isFile()) {
        return;
    }
    if (!ReplacePlaylistWith(first)) {
        return;
    }
    if (settings_.AutoStartFS) {
        SkarmLage(true);
    }
    PlayBtnClick();
}

void PlayerController::RestoreActiveEntry() {
    // The list loads with entry 0 active; the entry that was active at the last close comes back,
    // loaded but not playing, when it is still in the list.
    const int stored = settings_.ActivePlayItem;
    if (stored > 0 && stored < playList_.Count()) {
        VokListaDblClick(stored);
    }
}

void PlayerController::OpenHandedFile(const QString& fileName) {
    // A name that is no file (a mistyped name, a switch such as /AUTOQUIT handed after the song)
    // leaves the player as it is: the song being sung keeps playing.
    if (!readyForFiles_ || !QFileInfo(fileName).isFile()) {
        return;
    }
    Stoppa();
    UnloadMP3BtnClick();
    if (window_ != nullptr) {
        window_->BringToFront();
    }
    if (!ReplacePlaylistWith(fileName)) {
        return;
    }
    if (settings_.AutoStartFS) {
        SkarmLage(true);
    }
    PlayBtnClick();
}

bool PlayerController::ReplacePlaylistWith(const QString& path) {
    if (IsListFileName(path)) {
        LoadPL(false, path);
    } else {
        ReplacePlaylist({path});  // entry 0, opened: a lyric or an audio file
    }
    return playList_.Count() > 0;
}

void PlayerController::LoadPL(bool add, const QString& fileName) {
    const ListReadResult list = ReadPlayList(fileName);
    if (list.status == ListReadResult::Status::Missing) {
        return;
    }
    if (list.status == ListReadResult::Status::Unreadable) {
        // The playlist stays as it was; an unreadable default list is not overwritten at close.
        if (fileName == paths_.DefaultPlaylistFile()) {
            defaultListUnreadable_ = true;
        }
        ShowError(list.error);
        return;
    }
    if (add) {
        AddToPlaylist(list.entries);
    } else {
        ReplacePlaylist(list.entries);
    }
    for (PlaylistWindowView* view : playlistViews_) {
        view->ColumnsChanged();
    }
}

void PlayerController::FormCloseQuery() {
    if (State() == PlayState::Playing) {
        Stoppa();
    }
}

void PlayerController::FormClose() {
    if (closed_) {
        return;
    }
    closed_ = true;
    session_.DisarmTick();
    if (!readOnlyRun_ && !mustEnd_) {
        settings_.Volume = Engine().Volume();
        const int index = playList_.PlayIndex();
        settings_.ActivePlayItem = index >= 0 && index < playList_.Count() ? index : -1;
        // A refused write is reported and the program still closes; the playlist file is a
        // separate file and is saved all the same.
        try {
            StoreCloseSettings(paths_.SettingsFile(), settings_);
        } catch (const WriteError& error) {
            ShowError(error.Message());
        } catch (const std::exception& error) {
            ShowError(UnableToWriteMessage(paths_.SettingsFile()));
        }
        SaveDefaultList();
    }
    session_.Engine().CloseStream();
    session_.Song().Reset();
}

void PlayerController::SaveDefaultList() {
    if (defaultListUnreadable_ && playList_.Count() == 0) {
        return;
    }
    const QString file = paths_.DefaultPlaylistFile();
    MakeParentFolder(file);
    const ListWriteResult written = WritePlayList(file, playList_.PlayItems());
    if (!written.ok) {
        ShowError(written.error.isEmpty() ? UnableToWriteMessage(file) : written.error);
    }
}

}  // namespace vok
