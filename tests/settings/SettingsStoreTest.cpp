#include <gtest/gtest.h>

#include <QRect>

#include "settings/SettingsStore.h"
#include "support/TempDir.h"

namespace vok {
namespace {

const QString kProgramFolder = QStringLiteral("/opt/player/");

TEST(PlayerRead, NoFileGivesTheDefaults) {
    const test::TempDir dir;
    const PlayerSettings s =
        LoadPlayerSettings(dir.FilePath(QStringLiteral("VokPlayer.ini")), kProgramFolder);
    EXPECT_EQ(s.Caption, QStringLiteral("Kestrovane Vokalento"));
    EXPECT_TRUE(s.SongFolders.isEmpty());
    EXPECT_EQ(s.LyricFolder, kProgramFolder);
    EXPECT_EQ(s.Volume, 255);
    EXPECT_EQ(s.JumpTime, 5);
    EXPECT_FALSE(s.DualDesc);
    EXPECT_TRUE(s.AutoStartFS && s.SpectrumActive && s.LoadAccurate && s.OutlinedText);
    EXPECT_EQ(s.TextColour, 50331647);
    EXPECT_EQ(s.OutlineColour, 40265318);
    EXPECT_EQ(s.PlayListX, -1);
    EXPECT_EQ(s.PlayListH, -1);
    EXPECT_EQ(s.MainFrmX, -1);
    EXPECT_EQ(s.MainFrmY, -1);
    EXPECT_FALSE(s.PlayListVisible);
    EXPECT_EQ(s.ActivePlayItem, -1);

    // The dialog's own read leaves the lyric folder empty.
    const DialogSettings d = LoadDialogSettings(dir.FilePath(QStringLiteral("VokPlayer.ini")));
    EXPECT_TRUE(d.LyricFolder.isEmpty());
    EXPECT_EQ(d.JumpTime, 5);
    EXPECT_FALSE(d.DualDesc);
    EXPECT_TRUE(d.AutoStartFS);
}

TEST(PlayerRead, EveryKeyIsTakenFromTheFile) {
    const IniFile ini = IniFile::Parse(
        "[Installningar]\nTitel=Party\nVolym=0x80\nSpolTid=12\nDualDesc=1\nAutoStartFS=0\n"
        "SpectrumActive=0\nLoadAccurate=0\nTextFarg=255\nTextOLFarg=$FF00\nEnableOLText=0\n"
        "PlayListX=10\nPlayListY=20\nPlayListW=300\nPlayListH=400\nMainFrmX=-50\nMainFrmY=60\n"
        "PlayListVisible=5\nActivePlayItem=3\n[VokKatalog]\nVart=/songs/vok/\n");
    const PlayerSettings s = ReadPlayerSettings(ini, kProgramFolder);
    EXPECT_EQ(s.Caption, QStringLiteral("Party"));
    EXPECT_EQ(s.LyricFolder, QStringLiteral("/songs/vok/"));
    EXPECT_EQ(s.Volume, 128);
    EXPECT_EQ(s.JumpTime, 12);
    EXPECT_TRUE(s.DualDesc);
    EXPECT_FALSE(s.AutoStartFS || s.SpectrumActive || s.LoadAccurate || s.OutlinedText);
    EXPECT_EQ(s.TextColour, 255);
    EXPECT_EQ(s.OutlineColour, 0xFF00);
    EXPECT_EQ(QRect(s.PlayListX, s.PlayListY, s.PlayListW, s.PlayListH), QRect(10, 20, 300, 400));
    EXPECT_EQ(s.MainFrmX, -50);  // negative positions other than −1 stay
    EXPECT_EQ(s.MainFrmY, 60);
    EXPECT_TRUE(s.PlayListVisible);
    EXPECT_EQ(s.ActivePlayItem, 3);
}

TEST(PlayerRead, BrokenValuesFallBackOrAreBroughtIntoRange) {
    const IniFile ini = IniFile::Parse(
        "[Installningar]\nVolym=loud\nSpolTid=0\nTextFarg=red\nActivePlayItem=-7\n"
        "DualDesc=yes\n");
    PlayerSettings s = ReadPlayerSettings(ini, kProgramFolder);
    EXPECT_EQ(s.Volume, 255);
    EXPECT_EQ(s.JumpTime, 1);
    EXPECT_EQ(s.TextColour, kDefaultTextColour);
    EXPECT_EQ(s.ActivePlayItem, -1);
    EXPECT_FALSE(s.DualDesc);

    s = ReadPlayerSettings(IniFile::Parse("[Installningar]\nVolym=-4\nSpolTid=100000\n"),
                           kProgramFolder);
    EXPECT_EQ(s.Volume, 0);
    EXPECT_EQ(s.JumpTime, 512);
}

TEST(SongFolders, CountComesFromTheKeysValuesFromTheNumbers) {
    EXPECT_EQ(ReadSongFolders(IniFile::Parse("[Kataloger]\n0=/a\n2=/c\n")),
              (QStringList{QStringLiteral("/a"), QString()}));
    EXPECT_EQ(ReadSongFolders(IniFile::Parse("[Kataloger]\nx=1\n1=/b\n0=/a\n")),
              (QStringList{QStringLiteral("/a"), QStringLiteral("/b"), QString()}));
    EXPECT_TRUE(ReadSongFolders(IniFile::Parse("[Kataloger]\n")).isEmpty());
}

TEST(DialogWrite, RewritesTheFolderListAndTakesColoursFromThePlayer) {
    IniFile ini = IniFile::Parse(
        "[Kataloger]\n0=/old0\n1=/old1\n2=/old2\n[Installningar]\nTitel=Mine\nVolym=9\n");
    DialogSettings dialog;
    dialog.SongFolders = {QStringLiteral("/new"), QString(), QStringLiteral("/new")};
    dialog.LyricFolder = QString();
    dialog.JumpTime = 12;
    dialog.DualDesc = true;
    dialog.AutoStartFS = false;
    PlayerSettings player;
    player.TextColour = 0x00112233;
    player.OutlinedText = false;
    WriteDialogSettings(ini, dialog, player);

    const IniFile reread = IniFile::Parse(ini.ToBytes());
    EXPECT_EQ(ReadSongFolders(reread), dialog.SongFolders);
    EXPECT_EQ(reread.Entries(u"Kataloger").size(), 3U);
    const DialogSettings d = ReadDialogSettings(reread);
    EXPECT_EQ(d.JumpTime, 12);
    EXPECT_TRUE(d.DualDesc);
    EXPECT_FALSE(d.AutoStartFS);
    // An empty folder is stored, not dropped.
    EXPECT_EQ(reread.ReadString(u"VokKatalog", u"Vart", QStringLiteral("absent")), QString());
    const PlayerSettings p = ReadPlayerSettings(reread, kProgramFolder);
    EXPECT_TRUE(p.LyricFolder.isEmpty());
    EXPECT_EQ(p.TextColour, 0x00112233);
    EXPECT_EQ(p.OutlineColour, kDefaultOutlineColour);
    EXPECT_FALSE(p.OutlinedText);
    EXPECT_EQ(p.Caption, QStringLiteral("Mine"));  // keys the step does not own are untouched
    EXPECT_EQ(p.Volume, 9);
    // The dialog write leaves the close-write keys alone.
    EXPECT_EQ(reread.ReadInteger(u"Installningar", u"MainFrmX", 7), 7);
}

TEST(CloseWrite, StoresExactlyTheCloseKeys) {
    IniFile ini = IniFile::Parse("[Installningar]\nTextFarg=1\nSpolTid=30\n");
    PlayerSettings player;
    player.TextColour = 2;  // colours are not part of the close write
    player.JumpTime = 7;
    player.Volume = 100;
    player.MainFrmX = 640;
    player.MainFrmY = -20;
    player.PlayListX = 1;
    player.PlayListY = 2;
    player.PlayListW = 3;
    player.PlayListH = 4;
    player.PlayListVisible = true;
    player.SpectrumActive = false;
    player.ActivePlayItem = 4;
    player.LyricOffset = -150;
    player.TargetLoudness = -20;
    player.EvenLoudness = false;
    WriteCloseSettings(ini, player);
    EXPECT_EQ(ini.ToBytes(),
              "[Installningar]\nTextFarg=1\nSpolTid=30\nPlayListVisible=1\nVolym=100\n"
              "SpectrumActive=0\nLoadAccurate=1\nMainFrmX=640\nMainFrmY=-20\nPlayListX=1\n"
              "PlayListY=2\nPlayListW=3\nPlayListH=4\nActivePlayItem=4\nLyricOffset=-150\n"
              "TargetLoudness=-20\nEvenLoudness=0\n");
}

TEST(PlayerRead, LyricOffsetAndTargetLoudnessAreHeldInRange) {
    const auto offset = [](const char* value) {
        return ReadPlayerSettings(
                   IniFile::Parse(QByteArray("[Installningar]\nLyricOffset=") + value + "\n"), {})
            .LyricOffset;
    };
    EXPECT_EQ(ReadPlayerSettings(IniFile::Parse(""), {}).LyricOffset, 0);
    EXPECT_EQ(offset("150"), 150);
    EXPECT_EQ(offset("-3000"), -3000);
    EXPECT_EQ(offset("3001"), 3000);
    EXPECT_EQ(offset("-99999999"), -3000);
    EXPECT_EQ(offset("soon"), 0);
    const auto target = [](const char* value) {
        return ReadPlayerSettings(
                   IniFile::Parse(QByteArray("[Installningar]\nTargetLoudness=") + value + "\n"),
                   {})
            .TargetLoudness;
    };
    EXPECT_EQ(target("x"), -16);
    EXPECT_EQ(target("-40"), -30);
    EXPECT_EQ(target("0"), -5);
}

TEST(StoreOnDisk, StepsReadBackAndKeepForeignLines) {
    const test::TempDir dir;
    const QString path =
        dir.Write(QStringLiteral("VokPlayer.ini"), "; my notes\n[Extra]\nmine=1\n");
    PlayerSettings player = LoadPlayerSettings(path, kProgramFolder);
    player.Volume = 17;
    ASSERT_TRUE(StoreCloseSettings(path, player).Ok);
    DialogSettings dialog = LoadDialogSettings(path);
    dialog.SongFolders = {QStringLiteral("/music")};
    ASSERT_TRUE(StoreDialogSettings(path, dialog, player).Ok);

    const PlayerSettings again = LoadPlayerSettings(path, kProgramFolder);
    EXPECT_EQ(again.Volume, 17);
    EXPECT_EQ(again.SongFolders, QStringList{QStringLiteral("/music")});
    const QByteArray bytes = test::ReadAll(path);
    EXPECT_TRUE(bytes.startsWith("; my notes\n[Extra]\nmine=1\n"));
}

TEST(StoreOnDisk, RefusedWritesChangeNothing) {
    const test::TempDir dir;
    const QString blocker = dir.Write(QStringLiteral("blocker"), "x");
    const QString refused = blocker + QStringLiteral("/VokPlayer.ini");
    PlayerSettings player;
    const WriteResult closeWrite = StoreCloseSettings(refused, player);
    EXPECT_FALSE(closeWrite.Ok);
    EXPECT_EQ(closeWrite.Message, QStringLiteral("Unable to write to ") + refused);
    EXPECT_FALSE(StoreDialogSettings(refused, DialogSettings{}, player).Ok);

    // An existing file that cannot be read is not replaced by one holding only this step's keys.
    const QString tooBig =
        dir.Write(QStringLiteral("big.ini"), QByteArray(IniFile::kMaxFileSize + 10, '\n'));
    EXPECT_EQ(StoreCloseSettings(tooBig, player).Message,
              QStringLiteral("Unable to write to ") + tooBig);
    EXPECT_EQ(test::ReadAll(tooBig).size(), IniFile::kMaxFileSize + 10);
    // Reading it still comes up with defaults.
    EXPECT_EQ(LoadPlayerSettings(tooBig, kProgramFolder).Volume, 255);
}

// 4,000 song folders of 200 "ä" in Windows-1252 (826 KB) become 1.6 MB of UTF-8 at close;
// the next start must still read them, and the next close write them again.
TEST(StoreOnDisk, LargeWindows1252FileSurvivesTheCloseWriteAsUtf8) {
    const test::TempDir dir;
    QByteArray bytes = "[Installningar]\r\nVolym=17\r\n[Kataloger]\r\n";
    const QByteArray folder(200, '\xE4');
    for (int i = 0; i < 4000; ++i) {
        bytes += QByteArray::number(i) + '=' + folder + "\r\n";
    }
    const QString path = dir.Write(QStringLiteral("VokPlayer.ini"), bytes);
    ASSERT_GT(bytes.size(), 800'000);

    const PlayerSettings first = LoadPlayerSettings(path, kProgramFolder);
    ASSERT_EQ(first.SongFolders.size(), 4000);
    EXPECT_EQ(first.SongFolders.back(), QString(200, QChar(0xE4)));
    EXPECT_EQ(first.Volume, 17);
    ASSERT_TRUE(StoreCloseSettings(path, first).Ok);
    EXPECT_GT(test::ReadAll(path).size(), 1'600'000);
    EXPECT_EQ(LoadPlayerSettings(path, kProgramFolder), first);
    ASSERT_TRUE(StoreCloseSettings(path, first).Ok);
    EXPECT_EQ(LoadPlayerSettings(path, kProgramFolder), first);
}

}  // namespace
}  // namespace vok
