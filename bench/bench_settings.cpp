// What the player waits for at start-up: parsing a full VokPlayer.ini and reading every key.
#include <benchmark/benchmark.h>

#include "settings/IniFile.h"
#include "settings/SettingsStore.h"

namespace {

QByteArray FullIni(int songFolders) {
    vok::IniFile ini;
    vok::PlayerSettings player;
    player.Caption = QStringLiteral("Karaoke night");
    player.LyricFolder = QStringLiteral("/home/singer/Karaoke/Lyrics/");
    vok::DialogSettings dialog;
    for (int i = 0; i < songFolders; ++i) {
        dialog.SongFolders.push_back(QStringLiteral("/home/singer/Music/Collection %1/").arg(i));
    }
    dialog.LyricFolder = player.LyricFolder;
    vok::WriteDialogSettings(ini, dialog, player);
    vok::WriteCloseSettings(ini, player);
    ini.WriteString(vok::ini::kGeneral, vok::ini::kTitel, player.Caption);
    return ini.ToBytes();
}

void BM_ReadEveryPlayerKey(benchmark::State& state) {
    const QByteArray bytes = FullIni(static_cast<int>(state.range(0)));
    const QString folder = QStringLiteral("/opt/player/");
    for (auto _ : state) {
        const vok::IniFile ini = vok::IniFile::Parse(bytes);
        vok::PlayerSettings settings = vok::ReadPlayerSettings(ini, folder);
        benchmark::DoNotOptimize(settings);
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_ReadEveryPlayerKey)->Arg(5)->Arg(1000);

}  // namespace

BENCHMARK_MAIN();
