// INI parsing and every read the player and the dialog make; what is parsed, written out and
// parsed again must read the same.
#include <cstdint>
#include <cstdlib>

#include "settings/IniFile.h"
#include "settings/SettingsStore.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString folder = QStringLiteral("/program/");
    vok::IniFile ini = vok::IniFile::Parse(bytes);
    const vok::PlayerSettings player = vok::ReadPlayerSettings(ini, folder);
    const vok::DialogSettings dialog = vok::ReadDialogSettings(ini);
    if (player.Volume < 0 || player.Volume > vok::kMaxVolume || dialog.JumpTime < 1 ||
        player.ActivePlayItem < -1 || player.Caption.size() > vok::kIniMaxValueLength) {
        std::abort();
    }

    const vok::IniFile reread = vok::IniFile::Parse(ini.ToBytes());
    if (player != vok::ReadPlayerSettings(reread, folder)) {
        std::abort();
    }

    // Both write steps over whatever was there, then the values must read back.
    vok::WriteDialogSettings(ini, dialog, player);
    vok::WriteCloseSettings(ini, player);
    const vok::PlayerSettings written =
        vok::ReadPlayerSettings(vok::IniFile::Parse(ini.ToBytes()), folder);
    if (written.SongFolders != dialog.SongFolders || written.Volume != player.Volume ||
        written.TextColour != player.TextColour || written.MainFrmX != player.MainFrmX) {
        std::abort();
    }
    return 0;
}
