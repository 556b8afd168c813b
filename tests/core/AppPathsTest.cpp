#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "core/AppPaths.h"
#include "support/TempDir.h"

namespace vok {
namespace {

AppPathInputs Inputs(const QString& programFolder) {
    AppPathInputs inputs;
    inputs.ProgramFolder = programFolder;
    inputs.HomeFolder = QStringLiteral("/home/singer");
    return inputs;
}

TEST(AppPaths, PortableProgramKeepsEverythingBesideItself) {
    const AppPaths paths = AppPaths::Resolve(Inputs(QStringLiteral("/opt/karaoke")));
    EXPECT_TRUE(paths.FilesBesideProgram());
    EXPECT_EQ(paths.ProgramFolder(), QStringLiteral("/opt/karaoke/"));
    EXPECT_EQ(paths.SettingsFile(), QStringLiteral("/opt/karaoke/VokPlayer.ini"));
    EXPECT_EQ(paths.DefaultPlaylistFile(), QStringLiteral("/opt/karaoke/default.vpl"));
    EXPECT_EQ(paths.LibraryFile(), QStringLiteral("/opt/karaoke/library.sqlite"));
    EXPECT_EQ(paths.LogoCandidates(), QStringList{QStringLiteral("/opt/karaoke/Logo.dat")});
    EXPECT_EQ(paths.DefaultLyricFolder(), QStringLiteral("/opt/karaoke/"));
}

TEST(AppPaths, InstalledOrUnwritableProgramUsesXdgFolders) {
    const AppPaths installed = AppPaths::Resolve(Inputs(QStringLiteral("/usr/bin")));
    EXPECT_FALSE(installed.FilesBesideProgram());
    EXPECT_EQ(installed.SettingsFile(),
              QStringLiteral("/home/singer/.config/vokplayer/VokPlayer.ini"));
    EXPECT_EQ(installed.DefaultPlaylistFile(),
              QStringLiteral("/home/singer/.local/state/vokplayer/default.vpl"));
    EXPECT_EQ(installed.LibraryFile(),
              QStringLiteral("/home/singer/.local/share/vokplayer/library.sqlite"));
    EXPECT_EQ(installed.LogoCandidates(),
              (QStringList{QStringLiteral("/home/singer/.local/share/vokplayer/Logo.dat"),
                           QStringLiteral("/usr/bin/Logo.dat"),
                           QStringLiteral("/usr/share/vokplayer/Logo.dat")}));
    EXPECT_EQ(installed.DefaultLyricFolder(), QStringLiteral("/home/singer/"));

    AppPathInputs readOnly = Inputs(QStringLiteral("/media/stick/player"));
    readOnly.ProgramFolderWritable = false;
    readOnly.XdgConfigHome = QStringLiteral("/cfg");
    readOnly.XdgStateHome = QStringLiteral("relative/ignored");
    const AppPaths fallback = AppPaths::Resolve(readOnly);
    EXPECT_FALSE(fallback.FilesBesideProgram());
    EXPECT_EQ(fallback.SettingsFile(), QStringLiteral("/cfg/vokplayer/VokPlayer.ini"));
    EXPECT_EQ(fallback.LibraryFile(),
              QStringLiteral("/home/singer/.local/share/vokplayer/library.sqlite"));
    EXPECT_EQ(fallback.DefaultPlaylistFile(),
              QStringLiteral("/home/singer/.local/state/vokplayer/default.vpl"));
}

TEST(AppPaths, UsrMeansTheFolderNotAPrefixOfItsName) {
    EXPECT_TRUE(IsInstalledLocation(QStringLiteral("/usr/local/bin")));
    EXPECT_TRUE(IsInstalledLocation(QStringLiteral("/usr")));
    EXPECT_FALSE(IsInstalledLocation(QStringLiteral("/usrdata/bin")));
    EXPECT_FALSE(IsInstalledLocation(QStringLiteral("/home/usr/bin")));
}

TEST(AppPaths, AnyPrefixHoldingTheDataFolderCountsAsInstalled) {
    const test::TempDir dir;
    const QString bin = dir.MakeDir(QStringLiteral("prefix/bin"));
    EXPECT_FALSE(HasInstalledDataFolder(bin)) << "no share/vokplayer yet";
    dir.MakeDir(QStringLiteral("prefix/share/vokplayer"));
    EXPECT_TRUE(HasInstalledDataFolder(bin));
    EXPECT_TRUE(HasInstalledDataFolder(bin + QStringLiteral("/")));
    // Only a bin folder is a prefix's program folder; a build tree's own share/ does not count.
    dir.MakeDir(QStringLiteral("build/share/vokplayer"));
    EXPECT_FALSE(HasInstalledDataFolder(dir.MakeDir(QStringLiteral("build/tools"))));

    AppPathInputs inputs = Inputs(bin);
    inputs.BesideInstalledData = true;
    inputs.XdgStateHome = QStringLiteral("/state");
    const AppPaths installed = AppPaths::Resolve(inputs);
    EXPECT_FALSE(installed.FilesBesideProgram());
    EXPECT_EQ(installed.DefaultPlaylistFile(), QStringLiteral("/state/vokplayer/default.vpl"));
    EXPECT_EQ(installed.LogoCandidates().last(),
              QDir::cleanPath(dir.Path() + QStringLiteral("/prefix/share/vokplayer/Logo.dat")));
    inputs.ForceBesideProgram = true;  // the folder override still wins
    EXPECT_TRUE(AppPaths::Resolve(inputs).FilesBesideProgram());
}

TEST(AppPaths, OverrideForcesEverythingIntoThatFolder) {
    const test::TempDir dir;
    AppPaths::SetFolderOverride(dir.Path());
    const AppPaths paths = AppPaths::Current();
    AppPaths::SetFolderOverride(QString());
    EXPECT_TRUE(paths.FilesBesideProgram());
    EXPECT_EQ(paths.SettingsFile(), dir.Path() + QStringLiteral("/VokPlayer.ini"));
    EXPECT_EQ(paths.DefaultPlaylistFile(), dir.Path() + QStringLiteral("/default.vpl"));
    EXPECT_EQ(paths.LibraryFile(), dir.Path() + QStringLiteral("/library.sqlite"));
    EXPECT_FALSE(paths.OnReadOnlyMedium());  // a temporary folder is no CD
    EXPECT_NE(AppPaths::Current().ProgramFolder(), paths.ProgramFolder());
}

TEST(AppPaths, LogoIsTheFirstCandidateThatIsAFile) {
    const test::TempDir dir;
    AppPathInputs inputs = Inputs(dir.FilePath(QStringLiteral("usr/bin")));
    inputs.ProgramFolderWritable = false;
    inputs.XdgDataHome = dir.FilePath(QStringLiteral("data"));
    const AppPaths paths = AppPaths::Resolve(inputs);
    EXPECT_TRUE(paths.LogoFile().isEmpty());
    dir.MakeDir(QStringLiteral("data/vokplayer/Logo.dat"));  // a folder of that name is no logo
    const QString packaged = dir.Write(QStringLiteral("usr/share/vokplayer/Logo.dat"), "BM");
    EXPECT_EQ(paths.LogoFile(), packaged);
    const QString beside = dir.Write(QStringLiteral("usr/bin/Logo.dat"), "BM");
    EXPECT_EQ(paths.LogoFile(), beside);
}

TEST(AppPaths, MakeParentFolderFailsBelowARegularFile) {
    const test::TempDir dir;
    EXPECT_TRUE(MakeParentFolder(dir.FilePath(QStringLiteral("a/b/c.ini"))));
    const QString file = dir.Write(QStringLiteral("plain"), "x");
    EXPECT_FALSE(MakeParentFolder(file + QStringLiteral("/sub/c.ini")));
}

}  // namespace
}  // namespace vok
