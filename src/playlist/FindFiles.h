#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace vok {

// Hooks the window gives a folder scan so it stays responsive; both may be empty.
struct FindProgress {
    // A sub-folder is entered (its full path); the status line shows FolderScanStatus of it.
    std::function<void(const QString& folder)> enteringFolder;
    // Called between entries examined (the window processes pending events here); returning
    // false ends the scan with what was found so far.
    std::function<bool()> betweenEntries;
};

// Sorts names in the user's language order ignoring case; names that differ only in case keep a
// fixed order.
void SortNames(QStringList& names);

// ".: <folder> :.", the status text while a sub-folder is scanned.
QString FolderScanStatus(const QString& folder);

// Collects the files for mask, a folder followed by a pattern ("/music/*.vok"). The folder's own
// files come first, ordered by name; with recursive, the files of every sub-folder at any depth
// follow as one list sorted by full path ignoring case. Only files are taken, hidden entries are
// skipped, and a folder reached twice (symbolic links) is scanned once. Unlistable folders are
// skipped. The names are appended to target, or replace its content when append is false.
void FindFiles(const QString& mask, bool recursive, bool append, QStringList& target,
               const FindProgress& progress = {});

}  // namespace vok
