#include <gtest/gtest.h>

#include <QFile>
#include <limits>

#include "lyrics/Vokalento.h"
#include "support/LyricFileWriter.h"
#include "support/TempDir.h"

namespace vok {
namespace {

using test::LyricFileWriter;

class VokalentoLoad : public testing::Test {
  protected:
    TVokalento Load(const LyricFileWriter& writer) {
        TVokalento model;
        EXPECT_TRUE(model.LoadFromFile(writer.Write(dir_.FilePath("song.vok"))));
        return model;
    }
    LyricLine Slot(const TVokalento& model, int position) {
        LyricLine line{-1, -1, -1, 0, QStringLiteral("untouched")};
        model.GetLine(position, line);
        return line;
    }

    test::TempDir dir_;
};

TEST_F(VokalentoLoad, MinimumSizesAndRejectedFiles) {
    const TVokalento v1 = Load(LyricFileWriter(1));
    EXPECT_EQ(LyricFileWriter(1).Bytes().size(), 402);
    EXPECT_TRUE(v1.Valid);
    EXPECT_EQ(v1.Version, 1);
    EXPECT_EQ(v1.SlotCount, 0);
    EXPECT_EQ(v1.FileName, dir_.FilePath("song.vok"));

    for (const LyricFileWriter& bad :
         {LyricFileWriter(1).TruncateTo(401), LyricFileWriter(2).WrongMagic(),
          LyricFileWriter(2).Patch(0, "vokalento"), LyricFileWriter(2).VersionByte(3),
          LyricFileWriter(2).VersionByte(0)}) {
        const TVokalento model = Load(bad);
        EXPECT_FALSE(model.Valid);
        EXPECT_TRUE(model.FileName.isEmpty());
        EXPECT_EQ(model.SlotCount, 0);
    }
}

TEST_F(VokalentoLoad, MissingFileOrFolderReturnsFalseAndLeavesTheModel) {
    TVokalento model = Load(LyricFileWriter().Title("Kept").Line(0, 10, "a"));
    EXPECT_FALSE(model.LoadFromFile(dir_.FilePath("missing.vok")));
    EXPECT_FALSE(model.LoadFromFile(dir_.Path()));
    EXPECT_FALSE(model.LoadFromFile(QString()));
    EXPECT_TRUE(model.Valid);
    EXPECT_EQ(model.Title, "Kept");
    EXPECT_EQ(model.LineCount, 1);
}

TEST_F(VokalentoLoad, HeaderFieldsOfBothVersions) {
    const TVokalento v2 = Load(LyricFileWriter(2)
                                   .Title(QStringLiteral("Caf\u00e9 \u20ac"))
                                   .Artist("Artist")
                                   .Copyright("(c) 2024")
                                   .SongLength(183500)
                                   .Reserved(7, 0xFFFFFFFF)
                                   .SongFile("C:\\Music\\song.mp3"));
    EXPECT_EQ(v2.Title, QStringLiteral("Caf\u00e9 \u20ac"));
    EXPECT_EQ(v2.Artist, "Artist");
    EXPECT_EQ(v2.Copyright, "(c) 2024");
    EXPECT_EQ(v2.SongLength, 183500);
    EXPECT_EQ(v2.Reserved1, 7u);
    EXPECT_EQ(v2.Reserved2, 0xFFFFFFFFu);
    EXPECT_EQ(v2.SongFile, "C:\\Music\\song.mp3");

    // The version-1 title is UTF-16 and keeps characters no 8-bit code page holds.
    const TVokalento v1 = Load(
        LyricFileWriter(1).Title(QStringLiteral("\u6b4c \u00e5")).Reserved(9, 0).SongFile("a.ogg"));
    EXPECT_EQ(v1.Title, QStringLiteral("\u6b4c \u00e5"));
    EXPECT_EQ(v1.Reserved1, 9u);
    EXPECT_EQ(v1.SongFile, "a.ogg");
    EXPECT_TRUE(v1.Artist.isEmpty());

    // 64 code units fill the field with no terminator.
    EXPECT_EQ(Load(LyricFileWriter(1).Title(QString(80, 'x'))).Title, QString(64, 'x'));
}

TEST_F(VokalentoLoad, LengthBytesBeyondTheirRoomReadTheWholeRoom) {
    LyricFileWriter writer;
    writer.Title("t").Artist("a").Copyright("c").SongFile("s");
    writer.Patch(10, QByteArray(1, '\xC8')).Patch(266, QByteArray(1, '\xFF'));
    const TVokalento model = Load(writer);
    EXPECT_EQ(model.Title.size(), 127);
    EXPECT_EQ(model.Title.left(1), "t");
    EXPECT_EQ(model.Copyright.size(), 63);
    EXPECT_EQ(model.Artist, "a");
}

TEST_F(VokalentoLoad, HeaderOnlyFileHasNoSlots) {
    const TVokalento model = Load(LyricFileWriter(2).HeaderCount(3));
    EXPECT_TRUE(model.Valid);
    EXPECT_EQ(model.SlotCount, 0);
    EXPECT_EQ(model.LineCount, 0);
}

TEST_F(VokalentoLoad, FewerRecordsThanTheHeaderSays) {
    const TVokalento model =
        Load(LyricFileWriter().HeaderCount(3).Line(100, 200, "one").Line(300, 400, "two"));
    EXPECT_EQ(model.SlotCount, 3);
    EXPECT_EQ(model.LineCount, 2);
    EXPECT_EQ(Slot(model, 2), (LyricLine{2, 300, 400, 3, "two"}));
    EXPECT_EQ(Slot(model, 3), LyricLine());
    EXPECT_EQ(Slot(model, 0).Number, -1);
    EXPECT_EQ(Slot(model, 4).Number, -1);
}

TEST_F(VokalentoLoad, BrokenMarkerIsNotResynchronised) {
    LyricFileWriter writer;
    for (int i = 0; i < 5; ++i) {
        writer.Line(i * 1000, i * 1000 + 500, "line");
    }
    const TVokalento model = Load(writer.BadMarkerAt(2));
    EXPECT_EQ(model.SlotCount, 5);
    EXPECT_EQ(model.LineCount, 1);
    EXPECT_EQ(Slot(model, 1).Number, 1);
    for (int slot = 2; slot <= 5; ++slot) {
        EXPECT_EQ(Slot(model, slot), LyricLine());
    }
}

TEST_F(VokalentoLoad, MarkerFoundAgainAtAThreeByteStep) {
    // Record 2 is 18 bytes long: after its broken marker, slots 3..7 step through it and slot 8
    // lands on record 3's marker.
    const TVokalento model = Load(LyricFileWriter()
                                      .HeaderCount(8)
                                      .Line(0, 10, "a")
                                      .Line(20, 30, "bb")
                                      .Line(40, 50, "c")
                                      .BadMarkerAt(2));
    EXPECT_EQ(model.LineCount, 2);
    EXPECT_EQ(Slot(model, 8), (LyricLine{3, 40, 50, 1, "c"}));
    EXPECT_EQ(Slot(model, 2), LyricLine());
}

TEST_F(VokalentoLoad, RecordTexts) {
    QByteArray cut = "0123456789";
    cut.append('\0').append("hidden");
    const TVokalento model = Load(LyricFileWriter()
                                      .Line({1, 0, 1, QByteArray(255, 'w'), std::nullopt})
                                      .Line({2, 2, 3, cut, std::nullopt})
                                      .Line({3, 4, 5, "\x80uro", std::nullopt})
                                      .Line({4, 6, 7, "", std::nullopt}));
    EXPECT_EQ(model.LineCount, 4);
    EXPECT_EQ(model.LineText(1), QString(255, 'w'));
    EXPECT_EQ(Slot(model, 2).Text, "0123456789");
    EXPECT_EQ(Slot(model, 2).TextLength, 17);  // all 17 bytes consumed: record 3 still reads
    EXPECT_EQ(model.LineText(3), QStringLiteral("\u20acuro"));
    EXPECT_EQ(Slot(model, 4), (LyricLine{4, 6, 7, 0, ""}));
}

TEST_F(VokalentoLoad, RecordCutByTheEndOfTheFileStillCounts) {
    LyricFileWriter writer;
    writer.Line(0, 100, "first").Line(200, 300, "second");
    const TVokalento model = Load(writer.TruncateTo(writer.RecordOffset(2) + 16 + 3));
    EXPECT_EQ(model.LineCount, 2);
    EXPECT_EQ(Slot(model, 2), (LyricLine{2, 200, 300, 6, "sec"}));
}

TEST_F(VokalentoLoad, NegativeCountKeepsNoSlots) {
    const TVokalento model = Load(LyricFileWriter().HeaderCount(-5).Line(0, 10, "a"));
    EXPECT_TRUE(model.Valid);
    EXPECT_EQ(model.SlotCount, 0);
    EXPECT_EQ(model.LineCount, 0);
}

TEST_F(VokalentoLoad, HugeCountCostsNothingAndActsAsZeroSlots) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    const TVokalento model =
        Load(LyricFileWriter().HeaderCount(kMax).Line(1000, 2000, "a").Line(3000, 4000, "b"));
    EXPECT_EQ(model.SlotCount, kMax);
    EXPECT_EQ(model.LineCount, 2);
    EXPECT_EQ(Slot(model, kMax), LyricLine());
    std::int32_t number = -1;
    QString text;
    model.LineAt(3500, number, text);
    EXPECT_EQ(number, 2);
    model.LineAt(0, number, text);  // a zero slot spans time 0
    EXPECT_EQ(number, 0);
    EXPECT_EQ(model.LineNumberAt(5000), 0);  // the last slot is a zero one, started at 0
}

class ReplaceSongFileTest : public VokalentoLoad {};

TEST_F(ReplaceSongFileTest, WritesTheFieldAtItsOwnOffset) {
    for (int version : {1, 2}) {
        LyricFileWriter writer(version);
        writer.SongFile("old name that is rather long.mp3").Line(0, 10, "a").Line(20, 30, "b");
        TVokalento model = Load(writer);
        const QByteArray before = test::ReadAll(model.FileName);
        ASSERT_TRUE(model.ReplaceSongFile(QStringLiteral("n\u00e9w.ogg")));
        EXPECT_EQ(model.SongFile, QStringLiteral("n\u00e9w.ogg"));

        const QByteArray after = test::ReadAll(model.FileName);
        const qsizetype offset =
            version == 1 ? LyricFileWriter::kSongFileOffsetV1 : LyricFileWriter::kSongFileOffsetV2;
        QByteArray field(256, '\0');
        field.replace(0, 8, "\x07n\xe9w.ogg");
        EXPECT_EQ(after.mid(offset, 256), field);
        EXPECT_EQ(after.left(offset), before.left(offset));
        EXPECT_EQ(after.mid(offset + 256), before.mid(offset + 256)) << "version " << version;

        TVokalento reread;
        reread.LoadFromFile(model.FileName);
        EXPECT_EQ(reread.SongFile, model.SongFile);
        EXPECT_EQ(reread.LineCount, 2);
    }
}

TEST_F(ReplaceSongFileTest, RefusalsWriteNothing) {
    TVokalento model = Load(LyricFileWriter().SongFile("keep.mp3"));
    const QByteArray before = test::ReadAll(model.FileName);
    EXPECT_FALSE(model.ReplaceSongFile(QString(256, 'n')));
    // Letters Windows-1252 lacks would be written as "?" while success is reported.
    EXPECT_FALSE(model.ReplaceSongFile(QStringLiteral("piosenka \u0142.mp3")));
    EXPECT_FALSE(model.ReplaceSongFile(QStringLiteral("\U0001F3B5.mp3")));
    EXPECT_EQ(model.SongFile, "keep.mp3");
    EXPECT_TRUE(model.ReplaceSongFile(QString(255, 'n')));
    EXPECT_TRUE(model.ReplaceSongFile("keep.mp3"));
    EXPECT_EQ(test::ReadAll(model.FileName), before);

    // The file was replaced by something that is no lyric file of this version.
    LyricFileWriter(1).SongFile("v1.mp3").Write(model.FileName);
    const QByteArray other = test::ReadAll(model.FileName);
    EXPECT_FALSE(model.ReplaceSongFile("new.mp3"));
    EXPECT_EQ(test::ReadAll(model.FileName), other);
    EXPECT_EQ(model.SongFile, "keep.mp3");

    QFile::remove(model.FileName);
    EXPECT_FALSE(model.ReplaceSongFile("new.mp3"));
    EXPECT_FALSE(QFile::exists(model.FileName));

    TVokalento empty;
    EXPECT_FALSE(empty.ReplaceSongFile("new.mp3"));
}

}  // namespace
}  // namespace vok
