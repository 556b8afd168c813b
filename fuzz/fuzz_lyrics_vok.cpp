// Loads arbitrary bytes as a lyric file and asks the model every question the display asks.
#include <QString>
#include <cstdint>
#include <limits>

#include "InputFile.h"
#include "lyrics/Vokalento.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = vok::fuzz::WriteInputFile(data, size, QStringLiteral("input.vok"));
    if (path.isEmpty()) {
        return 0;
    }

    vok::TVokalento model;
    model.Reset();
    if (!model.LoadFromFile(path) || !model.Valid) {
        return 0;
    }
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    for (const std::int32_t time : {kMin, -1, 0, 1, 1000, 60000, kMax}) {
        std::int32_t number = 0;
        QString text;
        model.LineAt(time, number, text);
        model.LineNumberAt(time);
        model.LineText(number);
    }
    for (const std::int32_t position : {kMin, 0, 1, 2, model.LineCount, model.SlotCount, kMax}) {
        vok::LyricLine line;
        model.GetLine(position, line);
    }
    // The invariants every caller relies on.
    if (model.LineCount < 0 || model.LineCount > model.SlotCount || model.FileName.isEmpty() ||
        model.Title.size() > 127 || model.Artist.size() > 127 || model.Copyright.size() > 63 ||
        model.SongFile.size() > 255) {
        __builtin_trap();
    }
    return 0;
}
