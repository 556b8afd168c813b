#include <gtest/gtest.h>

#include "support/Id3Writer.h"
#include "support/TempDir.h"
#include "tags/Id3v2.h"

namespace vok {
namespace {

using test::Id3Encoding;
using test::Id3Frame;
using test::Id3v2Tag;

class Id3v2Test : public ::testing::Test {
  protected:
    TID3v2 Read(const Id3v2Tag& tag) { return ReadBytes(test::Mp3File(tag.Build(), 2000)); }
    TID3v2 ReadBytes(const QByteArray& bytes) {
        TID3v2 reader;
        EXPECT_TRUE(reader.Read(dir_.Write(QStringLiteral("song.mp3"), bytes)));
        return reader;
    }
    test::TempDir dir_;
};

TEST_F(Id3v2Test, EveryKnownFrameInAllThreeVersions) {
    const QList<QByteArray> ids34 = {"TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON",
                                     "TCOM", "TENC", "TCOP", "TLAN", "COMM", "WXXX"};
    const QList<QByteArray> ids2 = {"TT2", "TP1", "TAL", "TRK", "TYE", "TCO",
                                    "TCM", "TEN", "TCR", "TLA", "COM", "WXX"};
    const QStringList values = {"Title", "Artist", "Album", "3/12", "1999", "(17)Rock",
                                "Comp",  "Enc",    "Cop",   "swe",  "Nice", "http://x"};
    for (std::uint8_t version : {2, 3, 4}) {
        SCOPED_TRACE(version);
        const auto& ids = version == 2 ? ids2 : ids34;
        Id3v2Tag tag;
        tag.version = version;
        for (int i = 0; i < 10; ++i) {
            tag.Add(Id3Frame::Text(ids[i], values[i]));
        }
        tag.Add(Id3Frame::Described(ids[10], "desc", values[10]));
        tag.Add(Id3Frame::Described(ids[11], "home", values[11], Id3Encoding::Latin1, nullptr));
        tag.padding = 64;
        const TID3v2 r = Read(tag);
        const QStringList got = {r.Title,    r.Artist,  r.Album,  r.TrackText, r.Year,    r.Genre,
                                 r.Composer, r.Encoder, r.Rights, r.Language,  r.Comment, r.Link};
        EXPECT_EQ(got, QStringList({"Title", "Artist", "Album", "3/12", "1999", "Rock", "Comp",
                                    "Enc", "Cop", "swe", "Nice", "http://x"}));
        EXPECT_EQ(r.Track, 3);
        EXPECT_EQ(r.Version, version);
    }
}

TEST_F(Id3v2Test, FallbacksAndEncodings) {
    Id3v2Tag tag;
    tag.Add(Id3Frame::Text("TIT2", QStringLiteral("Utf8 ♪"), Id3Encoding::Utf8))
        .Add(Id3Frame::Text("TIT1", "Group"))
        .Add(Id3Frame::Text("TPE1", "   "))  // blank after trimming: falls back
        .Add(Id3Frame::Text("TOPE", "Original"))
        .Add(Id3Frame::Text("TALB", QStringLiteral("Big endian ♪"), Id3Encoding::Utf16Be))
        .Add(Id3Frame::Text("TOAL", QStringLiteral("Åsa ü"), Id3Encoding::Utf16Bom))
        .Add(Id3Frame::Text("TDRC", "2004-05-06"));
    const TID3v2 r = Read(tag);
    EXPECT_EQ(r.Title, QStringLiteral("Utf8 ♪"));
    EXPECT_EQ(r.Artist, "Original");
    EXPECT_EQ(r.Album, QStringLiteral("Big endian ♪"));
    EXPECT_EQ(r.Year, "2004");
}

TEST(Id3v2TextTest, Decoding) {
    EXPECT_EQ(TID3v2::DecodeText(QByteArray("\x01\xFF\xFE\x41\x00\x42\x00", 7)), "AB");
    EXPECT_EQ(TID3v2::DecodeText(QByteArray("\x01\xFF\xFE\x41\x00\x00\x00\x42\x00", 9)), "A");
    EXPECT_EQ(TID3v2::DecodeText(QByteArray("\x01\x41\x00\x42", 4)), "A");  // odd byte dropped
    EXPECT_EQ(TID3v2::DecodeText(QByteArray("\x02\x26\x6A\x00", 4)), QStringLiteral("♪"));
    EXPECT_EQ(TID3v2::DecodeText(QByteArray("\x03\xC3 A\x00B", 6)), QStringLiteral("\uFFFD A"));
    // Latin-1: the zero encoding byte trims away, inner zero bytes stay.
    EXPECT_EQ(TID3v2::DecodeText(QByteArray("\x00 A\xE5\x00", 5)), QStringLiteral("A\u00E5"));
    EXPECT_EQ(TID3v2::DecodeText(QByteArray("\0A\0B", 4)), QString("A") + QChar(0) + "B");
    EXPECT_EQ(TID3v2::DecodeText(QByteArray(1, '\x01')), "");

    EXPECT_EQ(TID3v2::TrackNumber("7/12"), 7);
    EXPECT_EQ(TID3v2::TrackNumber("/12"), 0);
    EXPECT_EQ(TID3v2::TrackNumber("seven"), 0);
    EXPECT_EQ(TID3v2::TrackNumber("-3"), 0);
    EXPECT_EQ(TID3v2::TrackNumber("65536"), 0);  // does not wrap into a small number
    EXPECT_EQ(TID3v2::GenreText("(17)"), "");
    EXPECT_EQ(TID3v2::GenreText("(17)(18)Techno"), "Techno");
    EXPECT_EQ(TID3v2::GenreText("Rock"), "Rock");

    const auto comment = [](const Id3Frame& f) {
        return TID3v2::DecodeDescribedText(f.data, true);
    };
    EXPECT_EQ(comment(Id3Frame::Described("COMM", "", "Body", Id3Encoding::Utf16Bom)), "Body");
    // A description ending in an ASCII letter: the terminator is found on a unit boundary.
    EXPECT_EQ(comment(Id3Frame::Described("COMM", "A", "Text", Id3Encoding::Utf16Bom)), "Text");
    // No separator: a one-byte one removes nothing after the language.
    EXPECT_EQ(comment(Id3Frame::Raw("COMM", QByteArray("\0engNoSep", 9))), "NoSep");
    EXPECT_EQ(comment(Id3Frame::Raw("COMM", QByteArray("\0en", 3))), "");
}

TEST_F(Id3v2Test, TagsThatGiveNoFields) {
    Id3v2Tag tooBig;
    tooBig.Add(Id3Frame::Text("TIT2", "Title"));
    tooBig.declaredSize = 256 * 1024 * 1024 - 1;
    TID3v2 r = Read(tooBig);
    EXPECT_TRUE(r.Exists);
    EXPECT_EQ(r.TagSize, 0);
    EXPECT_EQ(r.Title, "");

    Id3v2Tag extended;
    extended.flags = 0x40;
    extended.Add(Id3Frame::Text("TIT2", "Title"));
    EXPECT_EQ(Read(extended).Title, "");

    for (std::uint8_t version : {0, 1, 5, 255}) {
        Id3v2Tag tag;
        tag.version = version;
        tag.Add(Id3Frame::Text("TIT2", "Title"));
        r = Read(tag);
        EXPECT_TRUE(r.Exists);
        EXPECT_EQ(r.Title, "") << int(version);
    }

    Id3v2Tag compressed;
    compressed.Add(Id3Frame::Text("TIT2", "Title"));
    compressed.frames[0].formatFlags = 0x80;
    EXPECT_EQ(Read(compressed).Title, "");
}

TEST_F(Id3v2Test, TagSizeCountsHeaderAndFooter) {
    Id3v2Tag tag;
    tag.version = 4;
    tag.Add(Id3Frame::Text("TIT2", "T"));
    const qint64 size = tag.Build().size();
    EXPECT_EQ(ReadBytes(tag.Build()).TagSize, size);  // filling the file exactly is inside it
    tag.flags = 0x10;
    EXPECT_EQ(Read(tag).TagSize, size + 10);
}

TEST_F(Id3v2Test, FrameWalk) {
    Id3v2Tag tag;
    tag.Add(Id3Frame::Text("TIT2", "First"))
        .Add(Id3Frame::Raw("APIC", QByteArray(5000, 'x')))  // unknown: skipped whole
        .Add(Id3Frame::Raw("TPE1", {}))                     // empty: no data, no stall
        .Add(Id3Frame::Text("TALB", QString(1500, QLatin1Char('a'))))
        .Add(Id3Frame::Text("TIT2", "Second"));  // a later frame replaces an earlier one
    TID3v2 r = Read(tag);
    EXPECT_EQ(r.Title, "Second");
    EXPECT_EQ(r.Album.size(), 999);  // 1000 bytes less the encoding byte

    // Frames past the declared end are not read.
    Id3v2Tag outside;
    outside.Add(Id3Frame::Text("TPE1", "Out"));
    r = ReadBytes(Id3v2Tag().Add(Id3Frame::Text("TIT2", "In")).Build() + outside.Build().mid(10) +
                  test::FakeMp3Body(500));
    EXPECT_EQ(r.Title, "In");
    EXPECT_EQ(r.Artist, "");

    // A frame size far past the file ends the walk; frames so far are kept, and the huge
    // frame's data is read no further than 1000 bytes or the file's end.
    Id3v2Tag huge;
    huge.version = 4;
    huge.syncSafeFrameSizes = false;
    huge.Add(Id3Frame::Text("TIT2", "Kept")).Add(Id3Frame::Text("TPE1", "Artist"));
    huge.Add(Id3Frame::Text("TALB", "Lost"));
    huge.frames[1].declaredSize = 0xFFFFFFFF;
    r = Read(huge);
    EXPECT_EQ(r.Title, "Kept");
    EXPECT_TRUE(r.Artist.startsWith("Artist"));
    EXPECT_LE(r.Artist.size(), 999);
    EXPECT_EQ(r.Album, "");
}

// Sizes of 128 or more (sync-safe, or plain as some write them), group/length bytes, unsync.
TEST_F(Id3v2Test, Version4SizesAndFrameFlags) {
    Id3v2Tag tag;
    tag.version = 4;
    tag.Add(Id3Frame::Raw("APIC", QByteArray(200, '\x01')))
        .Add(Id3Frame::Raw("TPE1", QByteArray("\x07\0\0\0\x04\0A\xFF\0B", 10)))
        .Add(Id3Frame::Text("TALB", "Compressed"));
    tag.frames[2].formatFlags = 0x08;
    for (const auto& [syncSafe, tagFlags, frameFlags] :
         {std::tuple<bool, std::uint8_t, std::uint8_t>{true, 0, 0x43}, {false, 0x80, 0x41}}) {
        tag.syncSafeFrameSizes = syncSafe;
        tag.flags = tagFlags;
        tag.frames[1].formatFlags = frameFlags;
        EXPECT_EQ(Read(tag).Artist + Read(tag).Album, QStringLiteral("A\u00FFB"));
    }
}

TEST_F(Id3v2Test, ShortMissingFilesAndReuse) {
    TID3v2 reader;
    EXPECT_FALSE(reader.Read(dir_.Write("short.mp3", "ID3\x03\x00\x00\x00\x00\x00")));
    EXPECT_FALSE(reader.Exists);
    EXPECT_FALSE(reader.Read(dir_.FilePath("missing.mp3")));
    EXPECT_FALSE(reader.Read(dir_.MakeDir("folder.mp3")));
    EXPECT_TRUE(reader.Read(dir_.Write("plain.mp3", test::FakeMp3Body(100))));
    EXPECT_FALSE(reader.Exists);

    // A second read starts from nothing.
    Id3v2Tag first;
    first.Add(Id3Frame::Text("TIT2", "Title")).Add(Id3Frame::Text("TRCK", "4"));
    ASSERT_TRUE(reader.Read(dir_.Write("a.mp3", test::Mp3File(first.Build(), 100))));
    ASSERT_EQ(reader.Title, "Title");
    ASSERT_TRUE(reader.Read(dir_.Write("b.mp3", test::Mp3File(Id3v2Tag().Build(), 100))));
    EXPECT_EQ(reader.Title, "");
    EXPECT_EQ(reader.Track, 0);
}

}  // namespace
}  // namespace vok
