// Seeds for the zipped-song harness: a good song and the ways a zip goes wrong.
#include "Seeds.h"
#include "support/ZipWriter.h"

namespace {

using vok::test::MakeZip;
using vok::test::ZipMember;

vok::fuzz::SeedSet MakeKaraokeZipSeeds() {
    const QByteArray cdg(24 * 40, '\x09');
    const QByteArray good = MakeZip({{"Song.cdg", cdg}, {"x.ogg", "o"}, {"song.mp3", "audio"}});
    std::vector<ZipMember> many;
    for (int i = 0; i < 120; ++i) {
        many.push_back({QString::number(i), {}});
    }
    many.push_back({"late.cdg", cdg});
    QByteArray lying = MakeZip({{"b.cdg", cdg}, {"b.mp3", {}, 8 << 20}});
    for (qsizetype at = lying.indexOf("PK\1\2"); at >= 0; at = lying.indexOf("PK\1\2", at + 4)) {
        lying.replace(at + 24, 4, QByteArray("\1\0\0\0", 4));  // a bomb's lie: 1 byte
    }
    return {"karaoke_zip",
            {good, good.left(good.size() / 2), good.left(good.size() - 10),
             MakeZip({{"../../up.cdg", cdg}, {"/abs/up.flac", "f"}}),
             MakeZip({{"a.cdg", cdg}, {"a.mp3", "audio"}}, true), MakeZip({{"a.mp3", "audio"}}),
             MakeZip({{"__MACOSX/._a.cdg", "r"}, {"dir/", {}}, {"a.CDG", cdg}, {"A.WAV", "w"}}),
             MakeZip(many), lying, QByteArray("PK\5\6") + QByteArray(18, '\xFF')}};
}

const vok::fuzz::SeedRegistration registration(MakeKaraokeZipSeeds);

}  // namespace
