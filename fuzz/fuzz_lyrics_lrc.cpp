// Loads arbitrary bytes as an LRC file and asks the model every question the display asks.
#include <QString>
#include <cstdint>
#include <limits>

#include "InputFile.h"
#include "lyrics/Vokalento.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = vok::fuzz::WriteInputFile(data, size, QStringLiteral("input.lrc"));
    if (path.isEmpty()) {
        return 0;
    }
    vok::TVokalento model;
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
    model.EndLastLineAt(kMax);
    // The invariants the display relies on: lines numbered 1..n in time order, each ending at or
    // after its start, texts that fit a line.
    if (model.LineCount < 1 || model.LineCount != model.SlotCount ||
        model.Format != vok::LyricFormat::Lrc || model.FileName.isEmpty()) {
        __builtin_trap();
    }
    std::int32_t previousStart = 0;
    for (std::int32_t slot = 1; slot <= model.SlotCount; ++slot) {
        vok::LyricLine line;
        model.GetLine(slot, line);
        if (line.Number != slot || line.Start < previousStart || line.End < line.Start ||
            line.Text.isEmpty() || line.Text.size() > 255) {
            __builtin_trap();
        }
        previousStart = line.Start;
    }
    return 0;
}
