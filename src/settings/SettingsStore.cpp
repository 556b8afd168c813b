#include "settings/SettingsStore.h"

#include <QHash>
#include <algorithm>
#include <optional>
#include <utility>

#include "settings/SettingsLog.h"

namespace vok {

namespace {

QString SongFolderKey(qsizetype index) {
    return QString::number(index);
}

// Writes refuse to replace a file they could not read: its other lines would be lost.
std::optional<IniFile> LoadForWriting(const QString& iniPath) {
    IniFile::LoadStatus status = IniFile::LoadStatus::Missing;
    IniFile ini = IniFile::Load(iniPath, &status);
    if (status == IniFile::LoadStatus::Unreadable) {
        qCWarning(lcSettings) << "Not replacing a file that could not be read:" << iniPath;
        return std::nullopt;
    }
    return ini;
}

}  // namespace

QStringList ReadSongFolders(const IniFile& ini) {
    // One pass over the section: a file with very many keys must not cost one scan per key.
    const auto entries = ini.Entries(ini::kSongFolders);
    QHash<QString, QString> byKey;
    byKey.reserve(static_cast<qsizetype>(entries.size()));
    for (const auto& [key, value] : entries) {
        const QString folded = key.toCaseFolded();
        if (!byKey.contains(folded)) {
            byKey.insert(folded, value);  // the first of duplicate keys wins, as on reading
        }
    }
    QStringList folders;
    folders.reserve(static_cast<qsizetype>(entries.size()));
    for (qsizetype i = 0; i < static_cast<qsizetype>(entries.size()); ++i) {
        folders.push_back(byKey.value(SongFolderKey(i)));
    }
    return folders;
}

PlayerSettings ReadPlayerSettings(const IniFile& ini, const QString& programFolder) {
    using namespace ini;
    PlayerSettings s;
    s.Caption = ini.ReadString(kGeneral, kTitel, kDefaultCaption);
    s.SongFolders = ReadSongFolders(ini);
    s.LyricFolder = ini.ReadString(kLyricFolderSection, kVart, programFolder);
    s.Volume = std::clamp(ini.ReadInteger(kGeneral, kVolym, kMaxVolume), 0, kMaxVolume);
    s.JumpTime = std::clamp(ini.ReadInteger(kGeneral, kSpolTid, 5), kMinJumpTime, kMaxJumpTime);
    s.DualDesc = ini.ReadBool(kGeneral, kDualDesc, false);
    s.AutoStartFS = ini.ReadBool(kGeneral, kAutoStartFS, true);
    s.SpectrumActive = ini.ReadBool(kGeneral, kSpectrumActive, true);
    s.LoadAccurate = ini.ReadBool(kGeneral, kLoadAccurate, true);
    s.TextColour = ini.ReadInteger(kGeneral, kTextFarg, kDefaultTextColour);
    s.OutlineColour = ini.ReadInteger(kGeneral, kTextOLFarg, kDefaultOutlineColour);
    s.OutlinedText = ini.ReadBool(kGeneral, kEnableOLText, true);
    s.PlayListX = ini.ReadInteger(kGeneral, kPlayListX, -1);
    s.PlayListY = ini.ReadInteger(kGeneral, kPlayListY, -1);
    s.PlayListW = ini.ReadInteger(kGeneral, kPlayListW, -1);
    s.PlayListH = ini.ReadInteger(kGeneral, kPlayListH, -1);
    s.MainFrmX = ini.ReadInteger(kGeneral, kMainFrmX, -1);
    s.MainFrmY = ini.ReadInteger(kGeneral, kMainFrmY, -1);
    s.PlayListVisible = ini.ReadBool(kGeneral, kPlayListVisible, false);
    s.ActivePlayItem = std::max(ini.ReadInteger(kGeneral, kActivePlayItem, -1), -1);
    s.LyricOffset =
        std::clamp(ini.ReadInteger(kGeneral, kLyricOffset, 0), -kMaxLyricOffset, kMaxLyricOffset);
    s.TargetLoudness =
        std::clamp(ini.ReadInteger(kGeneral, kTargetLoudness, kDefaultTargetLoudness),
                   kMinTargetLoudness, kMaxTargetLoudness);
    s.EvenLoudness = ini.ReadBool(kGeneral, kEvenLoudness, true);
    return s;
}

DialogSettings ReadDialogSettings(const IniFile& ini) {
    // The same keys with the same defaults as the player's read, but Vart defaults to empty.
    PlayerSettings p = ReadPlayerSettings(ini, QString());
    return DialogSettings{std::move(p.SongFolders), std::move(p.LyricFolder), p.JumpTime,
                          p.DualDesc, p.AutoStartFS};
}

void WriteDialogSettings(IniFile& ini, const DialogSettings& dialog, const PlayerSettings& player) {
    using namespace ini;
    // Erasing first means removed folders leave no keys behind.
    ini.EraseSection(kSongFolders);
    for (qsizetype i = 0; i < dialog.SongFolders.size(); ++i) {
        ini.WriteString(kSongFolders, SongFolderKey(i), dialog.SongFolders[i]);
    }
    ini.WriteString(kLyricFolderSection, kVart, dialog.LyricFolder);
    ini.WriteInteger(kGeneral, kSpolTid, dialog.JumpTime);
    ini.WriteBool(kGeneral, kDualDesc, dialog.DualDesc);
    ini.WriteBool(kGeneral, kAutoStartFS, dialog.AutoStartFS);
    ini.WriteInteger(kGeneral, kTextFarg, player.TextColour);
    ini.WriteInteger(kGeneral, kTextOLFarg, player.OutlineColour);
    ini.WriteBool(kGeneral, kEnableOLText, player.OutlinedText);
}

void WriteCloseSettings(IniFile& ini, const PlayerSettings& player) {
    using namespace ini;
    ini.WriteBool(kGeneral, kPlayListVisible, player.PlayListVisible);
    ini.WriteInteger(kGeneral, kVolym, player.Volume);
    ini.WriteBool(kGeneral, kSpectrumActive, player.SpectrumActive);
    ini.WriteBool(kGeneral, kLoadAccurate, player.LoadAccurate);
    ini.WriteInteger(kGeneral, kMainFrmX, player.MainFrmX);
    ini.WriteInteger(kGeneral, kMainFrmY, player.MainFrmY);
    ini.WriteInteger(kGeneral, kPlayListX, player.PlayListX);
    ini.WriteInteger(kGeneral, kPlayListY, player.PlayListY);
    ini.WriteInteger(kGeneral, kPlayListW, player.PlayListW);
    ini.WriteInteger(kGeneral, kPlayListH, player.PlayListH);
    ini.WriteInteger(kGeneral, kActivePlayItem, player.ActivePlayItem);
    ini.WriteInteger(kGeneral, kLyricOffset, player.LyricOffset);
    ini.WriteInteger(kGeneral, kTargetLoudness, player.TargetLoudness);
    ini.WriteBool(kGeneral, kEvenLoudness, player.EvenLoudness);
}

PlayerSettings LoadPlayerSettings(const QString& iniPath, const QString& programFolder) {
    return ReadPlayerSettings(IniFile::Load(iniPath), programFolder);
}

DialogSettings LoadDialogSettings(const QString& iniPath) {
    return ReadDialogSettings(IniFile::Load(iniPath));
}

WriteResult StoreDialogSettings(const QString& iniPath, const DialogSettings& dialog,
                                const PlayerSettings& player) {
    std::optional<IniFile> ini = LoadForWriting(iniPath);
    if (!ini) {
        return WriteResult::UnableToWrite(iniPath);
    }
    WriteDialogSettings(*ini, dialog, player);
    return ini->Save(iniPath);
}

WriteResult StoreCloseSettings(const QString& iniPath, const PlayerSettings& player) {
    std::optional<IniFile> ini = LoadForWriting(iniPath);
    if (!ini) {
        return WriteResult::UnableToWrite(iniPath);
    }
    WriteCloseSettings(*ini, player);
    return ini->Save(iniPath);
}

}  // namespace vok
