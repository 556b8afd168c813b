// What the playlist window asks of the player: list files, adding songs and folders, removing and
// moving rows, the tool bar and the progress bar.

#include "player/PlayerController.h"

#include "playlist/FindFiles.h"
#include "playlist/ListFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

namespace vok {

namespace {

const QString kListFilter = QStringLiteral("Playlist-files (*.vpl *.m3u);;All files (*)");
const QString kSongFilter = QStringLiteral(
    "Songs (*.vok *.lrc *.mp3 *.ogg *.wma);;Vokalento-files (*.vok *.lrc);;"
    "Music-files (*.mp3 *.ogg *.wma)");
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
    if (!written.ok) {
        ShowError(written.error.isEmpty() ? QStringLiteral("Unable to write to %1").arg(target)
                                          : written.error);
    }
}

void PlayerController::AddFilesBtnClick() {
    UserDialogs::OpenRequest request;
    request.Title = QStringLiteral("Add one or more files...");
    request.Folder = settings_.LyricFolder;
    request.Filter = kSongFilter;
    request.DefaultSuffix = QStringLiteral("vok");
    QStringList picked = dialogs_.OpenFiles(request);
    if (!picked.isEmpty()) {
        SortNames(picked);
        playList_.AddEntries(picked);
        UppdateraLVLista();
    }
    display_.LyricsDirty = true;
    VisaInfo();
}

void PlayerController::AddFolder() {
    UserDialogs::FolderChoice& choice = folderChoice_;
    if (scanning_ ||
        !dialogs_.ChooseFolder(QStringLiteral("Add folder..."), settings_.LyricFolder, choice)) {
        return;
    }
    if (!QFileInfo(choice.Folder).isDir()) {
        return;
    }
    QString folder = QDir::fromNativeSeparators(choice.Folder);
    if (!folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
    }
    scanning_ = true;
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
    QStringList found;
    if (choice.LyricFiles) {
        FindFiles(folder + QStringLiteral("*.vok"), choice.Recursive, true, found, progress);
        if (!closed_) {
            FindFiles(folder + QStringLiteral("*.lrc"), choice.Recursive, true, found, progress);
        }
    }
    if (choice.Mp3s && !closed_) {
        FindFiles(folder + QStringLiteral("*.mp3"), choice.Recursive, true, found, progress);
    }
    scanning_ = false;
    if (closed_) {
        return;
    }
    playList_.AddEntries(found);
    UppdateraLVLista();
    display_.LyricsDirty = true;
    for (PlaylistWindowView* view : playlistViews_) {
        view->ShowScanning(false);
        view->ColumnsChanged();
    }
    VisaInfo();
}

void PlayerController::ClearListClick() {
    playList_.SetPlayIndex(-1);
    if (!playList_.RensaListanClick()) {
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
    playList_.VokListaDblClick(row);
}

bool PlayerController::DeleteEntry(int row) {
    if (scanning_ || !playList_.RemoveEntry(row)) {
        return false;
    }
    for (PlaylistWindowView* view : playlistViews_) {
        view->RowRemoved(row);
    }
    display_.LyricsDirty = true;
    VisaInfo();
    return true;
}

bool PlayerController::MoveEntry(int from, int before) {
    if (scanning_ || before == from || before == from + 1) {
        return false;  // dropped on itself or just below itself: the order stays
    }
    if (!playList_.MoveEntry(from, before)) {
        return false;
    }
    for (PlaylistWindowView* view : playlistViews_) {
        view->RowMoved(from, before);
    }
    display_.LyricsDirty = true;
    VisaInfo();
    return true;
}

void PlayerController::PlayListPB(int x, int width) {
    ProgressSeek seek;
    if (!SeekFromProgressBar(x, width, engine_.LengthMs(), seek)) {
        return;
    }
    engine_.SeekToSecond(seek.seconds);
    engine_.SetCurrentLine(song_.LineNumberAt(seek.timeMs));
    display_.LyricsDirty = true;
}

void PlayerController::UppdateraLVLista() {
    // Rows always mirror the entries, an emptied list included.
    for (PlaylistWindowView* view : playlistViews_) {
        view->RowsRebuilt();
    }
}

void PlayerController::VisaInfo() {
    RefreshStatusLine();
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
