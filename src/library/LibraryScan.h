#pragma once

#include "library/LibraryWriter.h"
#include "library/SongLibrary.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <set>
#include <utility>

namespace vok::library {

// The walk of one library folder's tree, folder by folder: each folder's files are compared with
// the rows stored for that folder alone, so memory follows the largest folder, never the tree.
// New and changed songs are read and stored, vanished ones removed; hidden folders (".name") are
// left out, links are followed once (a folder seen before by its device and inode is not walked
// again), folders that cannot be listed keep their songs, and names that do not survive the
// file-name decoding are counted in NamesSkipped (the player could never open them).
class FolderScanner {
  public:
    // `between` runs between files: false ends the walk (a cancel), and it is where the worker
    // takes its queued writes and commits.
    FolderScanner(LibraryWriter& writer, ScanProgress& progress, std::function<bool()> between);

    enum class Outcome { Done, Missing, Cancelled };
    // A missing root keeps its songs: an unplugged disk is no reason to forget them.
    Outcome ScanRoot(const QString& root);

  private:
    struct Listing;
    bool ScanFolder(const QString& folder, std::vector<QString>& subfolders);
    bool List(const QString& folder, Listing& listing, std::vector<QString>& subfolders);

    LibraryWriter& writer_;
    ScanProgress& progress_;
    std::function<bool()> between_;
    std::set<std::pair<unsigned long, unsigned long>> seenFolders_;  // (device, inode)
    QSet<QString> walked_;
    QStringList unreadable_;
};

}  // namespace vok::library
