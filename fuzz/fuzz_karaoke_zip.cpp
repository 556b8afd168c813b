// Opens arbitrary bytes as a zipped CD+G song, as the player does, and checks what it relies on:
// either a refusal with a message, or both files unpacked inside the private folder and no larger
// than the limits; and once the song is let go, nothing left behind.
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdint>

#include "InputFile.h"
#include "karaoke/GraphicsSong.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The unpacked folders go to a runtime folder of the harness's own, watched for leftovers.
    static QTemporaryDir runtime;
    static const bool pointed = qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    const QString path = vok::fuzz::WriteInputFile(data, size, QStringLiteral("input.zip"));
    if (path.isEmpty() || !pointed) {
        return 0;
    }
    constexpr vok::ZipLimits kLimits{100, 4 << 20, 1 << 20};  // small, so the fuzzer stays quick
    {
        const vok::GraphicsSongFiles song = vok::FindGraphicsSong(path, kLimits);
        if (song.IsGraphicsSong == song.Refused() || song.Refused() != (song.Unpacked == nullptr)) {
            __builtin_trap();
        }
        if (song.IsGraphicsSong) {
            const QString folder = song.Unpacked->Folder() + QLatin1Char('/');
            const QFileInfo cdg(song.CdgPath);
            const QFileInfo audio(song.AudioPath);
            if (!song.CdgPath.startsWith(folder) || !song.AudioPath.startsWith(folder) ||
                !cdg.isFile() || !audio.isFile() || cdg.size() > kLimits.MaxCdgBytes ||
                audio.size() > kLimits.MaxAudioBytes) {
                __builtin_trap();
            }
        }
    }
    if (!QDir(runtime.path()).isEmpty()) {
        __builtin_trap();
    }
    return 0;
}
