// --version and --help: answered before the player starts, anything else starts it.

#include <gtest/gtest.h>

#include "app/CommandLine.h"

#include <QRegularExpression>

namespace vok {
namespace {

const QString kProgram = QStringLiteral("vokplayer");

TEST(CommandLine, VersionAndHelpAnswerWhereverTheyStandAndTheFirstWins) {
    const QString version = VersionText() + QLatin1Char('\n');
    EXPECT_TRUE(VersionText().startsWith(QStringLiteral("Kestrovane Vokalento ")));
    EXPECT_TRUE(VersionText().contains(QRegularExpression(QStringLiteral(" \\d+\\.\\d+\\.\\d+$"))))
        << VersionText().toStdString();
    EXPECT_EQ(EarlyAnswer({QStringLiteral("--version")}, kProgram), version);
    EXPECT_EQ(EarlyAnswer({QStringLiteral("song.vok"), QStringLiteral("--version")}, kProgram),
              version);
    EXPECT_EQ(EarlyAnswer({QStringLiteral("-h")}, kProgram), UsageText(kProgram));
    EXPECT_EQ(EarlyAnswer({QStringLiteral("--help"), QStringLiteral("--version")}, kProgram),
              UsageText(kProgram));
}

TEST(CommandLine, FilesAndThePlayersOwnSwitchesStartThePlayer) {
    EXPECT_FALSE(EarlyAnswer({}, kProgram));
    EXPECT_FALSE(EarlyAnswer({QStringLiteral("song.vok"), QStringLiteral("/AUTOQUIT")}, kProgram));
    // Only the exact switches count: a file that merely looks like one is still a file.
    EXPECT_FALSE(EarlyAnswer({QStringLiteral("--versions"), QStringLiteral("-help"),
                              QStringLiteral("/HELP"), QStringLiteral("--Version")},
                             kProgram));
}

TEST(CommandLine, UsageNamesTheProgramTheFilesAndAutoQuit) {
    const QString usage = UsageText(kProgram);
    EXPECT_TRUE(usage.startsWith(QStringLiteral("Usage: vokplayer [FILE]... [/AUTOQUIT]\n")));
    for (const char* word : {"/AUTOQUIT", "--help", "--version", ".vok", ".vpl"}) {
        EXPECT_TRUE(usage.contains(QLatin1String(word))) << word;
    }
    EXPECT_TRUE(
        usage.contains(QLatin1String("  /AUTOQUIT   end the player when Stop is pressed\n")));
    EXPECT_TRUE(usage.endsWith(QLatin1Char('\n')));
}

}  // namespace
}  // namespace vok
