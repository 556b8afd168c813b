// What the playlist window asks of the player: list files, adding songs and folders, removing and
// moving rows, the tool bar and the progress bar.

#include "player/PlayerController.h"

#include "playlist/FindFiles.h"
#include "playlist/ListFiles.h"

#include <QCoreApplication>
#include <QElapsedTimer>

namespace vok {

namespace {

const QString kListFilter = QStringLiteral("Playlist-files (*.vpl *.m3u);;All files (*)");
const QString kSongFilter = QStringLiteral(
    "Songs (*.vok *.lrc *.cdg *.zip *.mp3 *.ogg *.wma);;Vokalento-files (*.vok *.lrc);;"
    "MP3+G karaoke (*.cdg *.zip);;Music-files (*.mp3 *.ogg *.wma)");
const QString kSaveFilter = QStringLiteral("Vokalento playlist (*.vpl);;All files (*)");

// A scan hands the event loop a turn this often, so the windows repaint without the scan
// spending its time there.
constexpr int kScanBreathMs = 20;

}  // namespace

void PlayerController::LoadPL(bool add) {
    UserDialogs::OpenRequest request;
    request.Title = add ? QStringLiteral("Add playlist...") : QStringLiteral("Load playlist...");
    request.Filter = kListFilter;
    const QString picked = dialogs_.OpenFile(request);
    if (!picked.isEmpty()) {
        LoadPL(add, picked);
    }
    VisaInfo();
}

void PlayerController::SavePL(const QString& fileName) {
    QString target = fileName;
    if (target.isEmpty()) {
        UserDialogs::OpenRequest request;
        request.Title = QStringLiteral("Save Vokalento playlist...");
        request.Filter = kSaveFilter;
        request.DefaultSuffix = QStringLiteral("vpl");
        target = dialogs_.SaveFile(request);
        if (target.isEmpty()) {
            return;
        }
        target = WithListExtension(target);
    }
    const ListWriteResult written = WritePlayList(target, playList_.PlayItems());
    if (!written.Ok) {
        ShowError(written.Message);
    }
}

void PlayerController::AddFilesBtnClick() {
    UserDialogs::OpenRequest request;
    request.Title = QStringLiteral("Add one or more files...");
    request.Folder = settings_.LyricFolder;
    request.Filter = kSongFilter;
    request.DefaultSuffix = QStringLiteral("vok");
    QStringList picked = dialogs_.OpenFiles(request);
    if (picked.isEmpty()) {
        return;
    }
    SortNames(picked);
    AddToPlaylist(picked);
}

void PlayerController::AddFolder() {
    if (!folderScan_.Choose(dialogs_, settings_.LyricFolder)) {
        return;
    }
    library_->AddFolders({folderScan_.ChosenFolder()});
    for (PlaylistWindowView* view : playlistViews_) {
        view->ShowScanning(true);
    }
    FindProgress progress;
    progress.enteringFolder = [this](const QString& path) {
        for (PlaylistWindowView* view : playlistViews_) {
            view->ShowStatusText(FolderScanStatus(path));
        }
    };
    QElapsedTimer breath;
    breath.start();
    progress.betweenEntries = [this, &breath] {
        if (breath.elapsed() >= kScanBreathMs) {
            QCoreApplication::processEvents();
            breath.restart();
        }
        return !closed_;
    };
    const std::optional<QStringList> found = folderScan_.Scan(progress);
    if (!found) {
        return;  // the player is closing
    }
    AddToPlaylist(*found);
    for (PlaylistWindowView* view : playlistViews_) {
        view->ShowScanning(false);
        view->ColumnsChanged();
    }
}

void PlayerController::ClearListClick() {
    playList_.SetPlayIndex(-1);
    if (playList_.RensaListanClick(State())) {
        ReleaseSong();
        UppdateraLVLista();
    } else {
        RepaintRows();
    }
    VisaInfo();
}

void PlayerController::ToolStopClick() {
    if (State() == PlayState::Playing) {
        StopBtnClick();
    }
}

void PlayerController::VokListaDblClick(int row) {
    const PlaylistStep step = playList_.DoubleClick(row, State());
    Follow(step);
    if (step.What == PlaylistStep::Action::Load) {
        VisaInfo();
    }
}

bool PlayerController::DeleteEntry(int row) {
    if (folderScan_.Scanning() || !playList_.RemoveEntry(row)) {
        return false;
    }
    for (PlaylistWindowView* view : playlistViews_) {
        view->RowRemoved(row);
    }
    display_.InvalidateLyrics();
    VisaInfo();
    return true;
}

bool PlayerController::MoveEntry(int from, int before) {
    if (folderScan_.Scanning() || before == from || before == from + 1) {
        return false;  // dropped on itself or just below itself: the order stays
    }
    if (!playList_.MoveEntry(from, before)) {
        return false;
    }
    for (PlaylistWindowView* view : playlistViews_) {
        view->RowMoved(from, before);
    }
    display_.InvalidateLyrics();
    VisaInfo();
    return true;
}

void PlayerController::PlayListPB(int x, int width) {
    ProgressSeek seek;
    if (SeekFromProgressBar(x, width, Engine().LengthMs(), seek)) {
        session_.SeekTo(seek.seconds, seek.timeMs);
    }
}

void PlayerController::UppdateraLVLista() {
    // Rows always mirror the entries, an emptied list included.
    for (PlaylistWindowView* view : playlistViews_) {
        view->RowsRebuilt();
    }
}

void PlayerController::VisaInfo() {
    for (PlaylistWindowView* view : playlistViews_) {
        view->StatusChanged();
    }
}

QString PlayerController::PlaylistStatus() const {
    return QStringLiteral("Files in list: %1").arg(playList_.Count());
}

void PlayerController::SetPlaylistPlacement(const QRect& frame, bool visible) {
    settings_.PlayListX = frame.x();
    settings_.PlayListY = frame.y();
    settings_.PlayListW = frame.width();
    settings_.PlayListH = frame.height();
    settings_.PlayListVisible = visible;
}

}  // namespace vok
