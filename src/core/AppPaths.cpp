#include "core/AppPaths.h"

#include <sys/vfs.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <mutex>

namespace vok {

namespace {

constexpr unsigned long kIso9660Magic = 0x9660;
constexpr unsigned long kUdfMagic = 0x15013346;

const QString kSettingsName = QStringLiteral("VokPlayer.ini");
const QString kPlaylistName = QStringLiteral("default.vpl");
const QString kLibraryName = QStringLiteral("library.sqlite");
const QString kLogoName = QStringLiteral("Logo.dat");
const QString kOwnFolder = QStringLiteral("vokplayer");

struct Override {
    std::mutex mutex;
    QString folder;
};

Override& FolderOverride() {
    static Override instance;
    return instance;
}

QString WithSlash(QString folder) {
    if (!folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
    }
    return folder;
}

QString OrDefault(const QString& value, const QString& home, const char* relative) {
    // The XDG rules ignore relative paths in these variables.
    if (!value.isEmpty() && QDir::isAbsolutePath(value)) {
        return WithSlash(value);
    }
    return WithSlash(home) + QLatin1String(relative);
}

QString RunningProgramFolder() {
    if (QCoreApplication::instance() != nullptr) {
        return QCoreApplication::applicationDirPath();
    }
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
}

}  // namespace

AppPaths AppPaths::Resolve(const AppPathInputs& inputs) {
    AppPaths paths;
    paths.programFolder_ = WithSlash(QDir::cleanPath(inputs.ProgramFolder));
    paths.besideProgram_ =
        inputs.ForceBesideProgram || (inputs.ProgramFolderWritable && !inputs.BesideInstalledData &&
                                      !IsInstalledLocation(inputs.ProgramFolder));
    if (paths.besideProgram_) {
        paths.settingsFile_ = paths.programFolder_ + kSettingsName;
        paths.defaultPlaylist_ = paths.programFolder_ + kPlaylistName;
        paths.libraryFile_ = paths.programFolder_ + kLibraryName;
        paths.logoCandidates_ = {paths.programFolder_ + kLogoName};
        paths.defaultLyricFolder_ = paths.programFolder_;
        return paths;
    }
    const QString home = inputs.HomeFolder;
    const QString config = OrDefault(inputs.XdgConfigHome, home, ".config/");
    const QString state = OrDefault(inputs.XdgStateHome, home, ".local/state/");
    const QString data = OrDefault(inputs.XdgDataHome, home, ".local/share/");
    paths.settingsFile_ = config + kOwnFolder + QLatin1Char('/') + kSettingsName;
    paths.defaultPlaylist_ = state + kOwnFolder + QLatin1Char('/') + kPlaylistName;
    paths.libraryFile_ = data + kOwnFolder + QLatin1Char('/') + kLibraryName;
    // A logo of the user's own first, then one beside the program, then the packaged one
    // (<prefix>/bin → <prefix>/share/vokplayer).
    const QString installedData =
        QDir::cleanPath(paths.programFolder_ + QStringLiteral("../share/")) + QLatin1Char('/');
    paths.logoCandidates_ = {data + kOwnFolder + QLatin1Char('/') + kLogoName,
                             paths.programFolder_ + kLogoName,
                             installedData + kOwnFolder + QLatin1Char('/') + kLogoName};
    paths.defaultLyricFolder_ = WithSlash(home);
    return paths;
}

AppPaths AppPaths::Current() {
    AppPathInputs inputs;
    {
        Override& current = FolderOverride();
        const std::lock_guard lock(current.mutex);
        inputs.ProgramFolder = current.folder;
    }
    if (inputs.ProgramFolder.isEmpty()) {
        inputs.ProgramFolder = qEnvironmentVariable(kFolderVariable);
    }
    if (!inputs.ProgramFolder.isEmpty()) {
        inputs.ProgramFolder = QFileInfo(inputs.ProgramFolder).absoluteFilePath();
        inputs.ForceBesideProgram = true;
    } else {
        inputs.ProgramFolder = RunningProgramFolder();
    }
    inputs.HomeFolder = QDir::homePath();
    inputs.XdgConfigHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    inputs.XdgStateHome = qEnvironmentVariable("XDG_STATE_HOME");
    inputs.XdgDataHome = qEnvironmentVariable("XDG_DATA_HOME");
    inputs.ProgramFolderWritable = QFileInfo(inputs.ProgramFolder).isWritable();
    inputs.BesideInstalledData = HasInstalledDataFolder(inputs.ProgramFolder);
    return Resolve(inputs);
}

void AppPaths::SetFolderOverride(const QString& folder) {
    Override& current = FolderOverride();
    const std::lock_guard lock(current.mutex);
    current.folder = folder;
}

QString AppPaths::LogoFile() const {
    for (const QString& candidate : logoCandidates_) {
        if (QFileInfo(candidate).isFile()) {
            return candidate;
        }
    }
    return QString();
}

bool AppPaths::OnReadOnlyMedium() const {
    struct statfs info {};
    const QByteArray folder = QFile::encodeName(programFolder_);
    if (statfs(folder.constData(), &info) != 0) {
        return false;
    }
    return IsReadOnlyMediumType(static_cast<unsigned long>(info.f_type));
}

bool IsReadOnlyMediumType(unsigned long fsType) {
    return fsType == kIso9660Magic || fsType == kUdfMagic;
}

bool IsInstalledLocation(const QString& folder) {
    const QString clean = QDir::cleanPath(folder);
    return clean == QLatin1String("/usr") || clean.startsWith(QLatin1String("/usr/"));
}

bool HasInstalledDataFolder(const QString& folder) {
    const QString clean = QDir::cleanPath(folder);
    if (QFileInfo(clean).fileName() != QLatin1String("bin")) {
        return false;
    }
    return QFileInfo(clean + QLatin1String("/../share/") + kOwnFolder).isDir();
}

bool MakeParentFolder(const QString& filePath) {
    return QDir().mkpath(QFileInfo(filePath).absolutePath());
}

}  // namespace vok
