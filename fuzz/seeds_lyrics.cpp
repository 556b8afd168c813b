// Seeds for the lyric-file harness: valid files of both versions and the usual breakage.
#include "Seeds.h"
#include "support/LyricFileWriter.h"

namespace {

using vok::test::LyricFileWriter;

vok::fuzz::SeedSet MakeLyricSeeds() {
    LyricFileWriter song(2);
    song.Title("Seed").Artist("Writer").Copyright("(c)").SongLength(30000).SongFile("seed.mp3");
    for (int i = 0; i < 6; ++i) {
        song.Line(i * 4000, i * 4000 + 3000, QStringLiteral("Line %1 \u00e9").arg(i + 1));
    }
    LyricFileWriter v1(1);
    v1.Title(QStringLiteral("Wide \u6b4c")).SongFile("C:\\Music\\v1.ogg");
    v1.Line(0, 500, "one").Line(600, 900, "two");

    LyricFileWriter realign;
    realign.HeaderCount(8).Line(0, 10, "a").Line(20, 30, "bb").Line(40, 50, "c").BadMarkerAt(2);

    LyricFileWriter truncated = song;
    truncated.TruncateTo(song.RecordOffset(4) + 10);

    return {
        "lyrics_vok",
        {song.Bytes(), v1.Bytes(), realign.Bytes(), truncated.Bytes(),
         LyricFileWriter(song).BadMarkerAt(3).Bytes(),
         LyricFileWriter(song).HeaderCount(2147483647).Bytes(),
         LyricFileWriter(song).HeaderCount(-1).Bytes(), LyricFileWriter(2).HeaderCount(3).Bytes(),
         LyricFileWriter(song).WrongMagic().Bytes(), LyricFileWriter(song).VersionByte(3).Bytes(),
         LyricFileWriter(song).Patch(10, QByteArray(1, '\xFF')).Bytes()}};
}

const vok::fuzz::SeedRegistration registration(MakeLyricSeeds);

}  // namespace
