// Seeds for the decoder harness: the small generated test songs of each format, and one pieced
// together from two songs at different rates.
#include <QFile>

#include "Seeds.h"

namespace vok::fuzz {
namespace {

QByteArray Fixture(const char* name) {
    QFile file(QStringLiteral(VOK_AUDIO_FIXTURE_DIR "/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const SeedRegistration kDecoderSeeds([] {
    SeedSet set{"audio_decoder", {}};
    for (const char* name : {"short_mono_44k.mp3", "vbr_mono_22k.mp3", "vorbis_mono_22k.ogg",
                             "wma_mono_22k.wma", "sine_mono_2k.wav"}) {
        set.seeds.push_back(Fixture(name));
    }
    set.seeds.push_back(Fixture("short_mono_44k.mp3") + Fixture("vbr_mono_22k.mp3"));
    return set;
});

}  // namespace
}  // namespace vok::fuzz
