#pragma once

#include "player/UserDialogs.h"
#include "playlist/FindFiles.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace vok {

// "Add folder...": the folder selector's choice, kept from one use to the next, and the scan of
// the chosen folder for lyric files and songs. One scan at a time.
class FolderScan {
  public:
    bool Scanning() const { return scanning_; }

    // Asks for a folder, starting at `startFolder`; false when cancelled, when the folder is
    // gone, or while a scan runs.
    bool Choose(UserDialogs& dialogs, const QString& startFolder);
    const QString& ChosenFolder() const { return choice_.Folder; }
    // Scans the chosen folder: its lyric files (".vok", then ".lrc") and graphics songs (".cdg",
    // then ".zip"), then its MP3s, as the choice says, each sorted; an MP3 that is a graphics
    // song's audio is not listed again. Nothing when the progress ended the scan.
    std::optional<QStringList> Scan(const FindProgress& progress);

  private:
    bool scanning_ = false;
    UserDialogs::FolderChoice choice_;
};

// Leaves out the audio files that a .cdg of the list has beside it: the song is listed once.
void WithoutGraphicsAudio(QStringList& songs);

}  // namespace vok
