#pragma once

#include <QString>
#include <QStringList>

#include "settings/IniFile.h"

namespace vok {

// Sections and keys of VokPlayer.ini.
namespace ini {
inline const QString kGeneral = QStringLiteral("Installningar");
inline const QString kSongFolders = QStringLiteral("Kataloger");
inline const QString kLyricFolderSection = QStringLiteral("VokKatalog");

inline const QString kTitel = QStringLiteral("Titel");
inline const QString kVart = QStringLiteral("Vart");
inline const QString kVolym = QStringLiteral("Volym");
inline const QString kSpolTid = QStringLiteral("SpolTid");
inline const QString kDualDesc = QStringLiteral("DualDesc");
inline const QString kAutoStartFS = QStringLiteral("AutoStartFS");
inline const QString kSpectrumActive = QStringLiteral("SpectrumActive");
inline const QString kLoadAccurate = QStringLiteral("LoadAccurate");
inline const QString kTextFarg = QStringLiteral("TextFarg");
inline const QString kTextOLFarg = QStringLiteral("TextOLFarg");
inline const QString kEnableOLText = QStringLiteral("EnableOLText");
inline const QString kPlayListX = QStringLiteral("PlayListX");
inline const QString kPlayListY = QStringLiteral("PlayListY");
inline const QString kPlayListW = QStringLiteral("PlayListW");
inline const QString kPlayListH = QStringLiteral("PlayListH");
inline const QString kMainFrmX = QStringLiteral("MainFrmX");
inline const QString kMainFrmY = QStringLiteral("MainFrmY");
inline const QString kPlayListVisible = QStringLiteral("PlayListVisible");
inline const QString kActivePlayItem = QStringLiteral("ActivePlayItem");
inline const QString kLyricOffset = QStringLiteral("LyricOffset");
inline const QString kTargetLoudness = QStringLiteral("TargetLoudness");
inline const QString kEvenLoudness = QStringLiteral("EvenLoudness");
}  // namespace ini

inline const QString kDefaultCaption = QStringLiteral("Kestrovane Vokalento");
inline constexpr int kMinJumpTime = 1;
inline constexpr int kMaxJumpTime = 512;
inline constexpr int kMaxVolume = 255;
// The user's lyric offset, ms; positive shows the lines sooner.
inline constexpr int kMaxLyricOffset = 3000;
inline constexpr int kLyricOffsetStep = 50;
// The loudness every song is brought to, LUFS, and the range a hand-edited value is held within.
inline constexpr int kDefaultTargetLoudness = -16;
inline constexpr int kMinTargetLoudness = -30;
inline constexpr int kMaxTargetLoudness = -5;
// The lyric colours of a missing file, Windows colour values (core/WinColour.h): palette white
// and palette grey.
inline constexpr qint32 kDefaultTextColour = 0x02FFFFFF;
inline constexpr qint32 kDefaultOutlineColour = 0x02666666;

// Every setting the player window holds. Defaults are those of a missing file.
struct PlayerSettings {
    QString Caption = kDefaultCaption;  // Titel
    QStringList SongFolders;            // Kataloger
    QString LyricFolder;                // Vart; the reader's default is the program folder
    int Volume = kMaxVolume;            // Volym, 0 … 255
    int JumpTime = 5;                   // SpolTid, whole seconds
    bool DualDesc = false;
    bool AutoStartFS = true;
    bool SpectrumActive = true;
    bool LoadAccurate = true;
    qint32 TextColour = kDefaultTextColour;        // TextFarg
    qint32 OutlineColour = kDefaultOutlineColour;  // TextOLFarg
    bool OutlinedText = true;                      // EnableOLText
    int PlayListX = -1;                            // −1: the player window's left
    int PlayListY = -1;                            // −1: the player window's top
    int PlayListW = -1;                            // −1: 277
    int PlayListH = -1;                            // −1: 391
    int MainFrmX = -1;  // as stored; after placing, the settled left that the close write stores
    int MainFrmY = -1;
    bool PlayListVisible = false;
    int ActivePlayItem = -1;  // −1: none
    int LyricOffset = 0;      // ms, −3000 … +3000; positive shows the lines sooner
    int TargetLoudness = kDefaultTargetLoudness;  // LUFS, −30 … −5
    bool EvenLoudness = true;                     // every song brought to TargetLoudness

    bool operator==(const PlayerSettings&) const = default;
};

// The settings dialog's own copies.
struct DialogSettings {
    QStringList SongFolders;
    QString LyricFolder;  // empty when the key is absent
    int JumpTime = 5;
    bool DualDesc = false;
    bool AutoStartFS = true;
};

// The song folders: as many entries as section "Kataloger" has keys, entry i read from key "i"
// (empty when that key is absent), so keys "0" and "2" give the value of "0" and an empty entry.
QStringList ReadSongFolders(const IniFile& ini);

// Player creation read. `programFolder` (with its trailing separator) is Vart's default.
// Out-of-range numbers from a hand-edited file are brought into range: Volume to 0 … 255,
// JumpTime to 1 … 512, ActivePlayItem below −1 to −1, LyricOffset to −3000 … +3000,
// TargetLoudness to −30 … −5.
PlayerSettings ReadPlayerSettings(const IniFile& ini, const QString& programFolder);
// Dialog creation read (Vart defaults to empty here; JumpTime is brought into 1 … 512).
DialogSettings ReadDialogSettings(const IniFile& ini);
// Dialog OK write: the song folders (section erased and rewritten), Vart, SpolTid, DualDesc and
// AutoStartFS from the dialog; the colours and the outline flag from the player.
void WriteDialogSettings(IniFile& ini, const DialogSettings& dialog, const PlayerSettings& player);
// Close write: PlayListVisible, Volym, SpectrumActive, LoadAccurate, MainFrmX/Y, the playlist
// window's bounds, ActivePlayItem, LyricOffset, TargetLoudness and EvenLoudness. The caller skips
// it in a read-only run.
void WriteCloseSettings(IniFile& ini, const PlayerSettings& player);

// The same steps on the file itself, opened afresh by path each time. A missing or unreadable
// file reads as defaults. The writes keep every other line of the file and replace it in one
// atomic step; on failure they report "Unable to write to <path>" and the file stays as it was.
// An existing file that cannot be read is never overwritten (that is a failure too).
PlayerSettings LoadPlayerSettings(const QString& iniPath, const QString& programFolder);
DialogSettings LoadDialogSettings(const QString& iniPath);
WriteResult StoreDialogSettings(const QString& iniPath, const DialogSettings& dialog,
                                const PlayerSettings& player);
WriteResult StoreCloseSettings(const QString& iniPath, const PlayerSettings& player);

}  // namespace vok
