// The first-show step, files named from outside, list files, and closing.

#include "player/PlayerController.h"

#include "core/FileNames.h"
#include "playlist/ListFiles.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace vok {

namespace {

const QString kAutoQuitSwitch = QStringLiteral("/AUTOQUIT");

bool IsListFileName(const QString& path) {
    // A named .m3u is read as a list, as the open dialog and the desktop entry offer it.
    return HasExtension(path, u".vpl") || HasExtension(path, u".m3u");
}

QStringList ExistingFiles(const QStringList& names) {
    QStringList files;
    for (const QString& name : names) {
        if (QFileInfo(name).isFile()) {
            files.append(name);
        }
    }
    return files;
}

}  // namespace

void PlayerController::AfterShow() {
    autoQuit_ = false;
    readyForFiles_ = true;
    // The stored PlayListVisible shows the playlist window here once that window exists.
    if (!startedWithFiles_) {
        LoadPL(false, paths_.DefaultPlaylistFile());
        RestoreActiveEntry();
        ScanLibraryFolders();
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
    // Every file named, in order, makes the playlist; names that are no file are passed over.
    const QStringList files = ExistingFiles(options_.Parameters);
    const bool listed = !files.isEmpty() && ReplacePlaylistWith(files);
    ScanLibraryFolders();
    if (!listed) {
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

void PlayerController::OpenHandedFiles(const QStringList& names) {
    // Names that are no file (a mistyped name, a switch such as /AUTOQUIT handed after the song)
    // are passed over; with none left the song being sung keeps playing.
    const QStringList files = ExistingFiles(names);
    if (!readyForFiles_ || files.isEmpty()) {
        return;
    }
    // The dialog would stay modal over a player come to the front, maybe full screen, and keep
    // the keyboard: it closes first.
    if (settingsOpen_) {
        settingsDialog_->Cancel();
    }
    Stoppa();
    UnloadMP3BtnClick();
    if (window_ != nullptr) {
        window_->BringToFront();
    }
    if (!ReplacePlaylistWith(files)) {
        return;
    }
    if (settings_.AutoStartFS) {
        SkarmLage(true);
    }
    PlayBtnClick();
}

bool PlayerController::ReplacePlaylistWith(const QStringList& files) {
    QStringList entries;
    bool listRead = false;
    for (const QString& file : files) {
        if (!IsListFileName(file)) {
            entries.append(file);
            continue;
        }
        const ListReadResult list = ReadPlayList(file);
        if (list.status == ListReadResult::Status::Unreadable) {
            ShowError(list.error);
        }
        entries += list.entries;
        listRead = true;
    }
    // The first entry becomes entry 0 and is opened, lyric or audio file.
    ReplacePlaylist(entries);
    if (listRead) {
        for (PlaylistWindowView* view : playlistViews_) {
            view->ColumnsChanged();
        }
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
        const WriteResult written = StoreCloseSettings(paths_.SettingsFile(), settings_);
        if (!written.Ok) {
            ShowError(written.Message);
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
    if (!written.Ok) {
        ShowError(written.Message);
    }
}

}  // namespace vok
