#pragma once

#include <QString>
#include <QStringList>

namespace vok {

// What the path rules depend on, gathered from the process and its environment.
struct AppPathInputs {
    QString ProgramFolder;  // absolute folder of the executable
    QString HomeFolder;
    QString XdgConfigHome;  // empty: <home>/.config
    QString XdgStateHome;   // empty: <home>/.local/state
    QString XdgDataHome;    // empty: <home>/.local/share
    bool ProgramFolderWritable = true;
    // The executable sits in <prefix>/bin beside <prefix>/share/vokplayer: an installed copy,
    // wherever the prefix is.
    bool BesideInstalledData = false;
    // Everything lives in ProgramFolder whatever it is (the folder override for tests and runs
    // that must stay self-contained).
    bool ForceBesideProgram = false;
};

// Where the program's own files live. Beside the executable, like a portable program; but when
// the executable is installed (under /usr, or in any prefix that holds its data folder), or its
// folder cannot be written, the settings and the default playlist go to the user's XDG folders.
class AppPaths {
  public:
    // Environment variable naming a folder that takes the executable folder's place.
    static constexpr const char* kFolderVariable = "VOK_APP_DIR";

    static AppPaths Resolve(const AppPathInputs& inputs);
    // The running program: the folder override when set, else VOK_APP_DIR when set, else the
    // executable's own folder.
    static AppPaths Current();
    // Points Current() at a folder (tests use a temporary one); an empty folder clears it.
    static void SetFolderOverride(const QString& folder);

    // The executable's folder (or the override), ending in "/".
    const QString& ProgramFolder() const { return programFolder_; }
    bool FilesBesideProgram() const { return besideProgram_; }
    // VokPlayer.ini
    const QString& SettingsFile() const { return settingsFile_; }
    // default.vpl
    const QString& DefaultPlaylistFile() const { return defaultPlaylist_; }
    // library.sqlite: the song library, which is data rather than settings or state
    const QString& LibraryFile() const { return libraryFile_; }
    // Where Logo.dat may be, in the order they are tried.
    const QStringList& LogoCandidates() const { return logoCandidates_; }
    // The first candidate that exists as a file; empty when there is none.
    QString LogoFile() const;
    // Initial lyric folder when none is stored: the program folder, or the home folder when the
    // program is installed (its own folder holds no songs then). Ends in "/".
    const QString& DefaultLyricFolder() const { return defaultLyricFolder_; }
    // True when the program folder lies on a CD or DVD file system: nothing is written then.
    bool OnReadOnlyMedium() const;

  private:
    QString programFolder_;
    bool besideProgram_ = true;
    QString settingsFile_;
    QString defaultPlaylist_;
    QString libraryFile_;
    QStringList logoCandidates_;
    QString defaultLyricFolder_;
};

// statfs file-system types of optical media: ISO 9660 and UDF.
bool IsReadOnlyMediumType(unsigned long fsType);
// True for folders under /usr (where packages install programs).
bool IsInstalledLocation(const QString& folder);
// True when folder is <prefix>/bin and <prefix>/share/vokplayer exists (looks at the disk).
bool HasInstalledDataFolder(const QString& folder);
// Creates the folder that holds filePath (and its parents); false when that fails.
bool MakeParentFolder(const QString& filePath);

}  // namespace vok
