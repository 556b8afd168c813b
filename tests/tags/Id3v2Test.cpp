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
    TID3v2 ReadTag(const Id3v2Tag& tag, int bodySize = 2000) {
        return ReadBytes(test::Mp3File(tag.Build(), bodySize));
    }
    TID3v2 ReadBytes(const QByteArray& bytes) {
        TID3v2 reader;
        EXPECT_TRUE(reader.Read(dir_.Write(QStringLiteral("song.mp3"), bytes)));
        return reader;
    }
    test::TempDir dir_;
};

TEST_F(Id3v2Test, ReadsEveryKnownFrameInAllThreeVersions) {
    struct Case {
        std::uint8_t version;
        QList<QByteArray> ids;
    };
    const Case cases[] = {
        {3, {"TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON", "TCOM", "TENC", "TCOP", "TLAN"}},
        {4, {"TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON", "TCOM", "TENC", "TCOP", "TLAN"}},
        {2, {"TT2", "TP1", "TAL", "TRK", "TYE", "TCO", "TCM", "TEN", "TCR", "TLA"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        Id3v2Tag tag;
        tag.version = c.version;
        const QStringList values = {"Title",    "Artist",   "Album",   "3/12",   "1999",
                                    "(17)Rock", "Composer", "Encoder", "Rights", "swe"};
        for (int i = 0; i < c.ids.size(); ++i) {
            tag.Add(Id3Frame::Text(c.ids[i], values[i]));
        }
        tag.Add(Id3Frame::Described(c.version == 2 ? "COM" : "COMM", "desc", "Nice"));
        tag.Add(Id3Frame::Described(c.version == 2 ? "WXX" : "WXXX", "home", "http://x.example",
                                    Id3Encoding::Latin1, nullptr));
        tag.padding = 64;
        const TID3v2 r = ReadTag(tag);
        EXPECT_TRUE(r.Exists);
        EXPECT_EQ(r.Version, c.version);
        EXPECT_EQ(r.Title, "Title");
        EXPECT_EQ(r.Artist, "Artist");
        EXPECT_EQ(r.Album, "Album");
        EXPECT_EQ(r.Track, 3);
        EXPECT_EQ(r.TrackText, "3/12");
        EXPECT_EQ(r.Year, "1999");
        EXPECT_EQ(r.Genre, "Rock");
        EXPECT_EQ(r.Comment, "Nice");
        EXPECT_EQ(r.Composer, "Composer");
        EXPECT_EQ(r.Encoder, "Encoder");
        EXPECT_EQ(r.Rights, "Rights");
        EXPECT_EQ(r.Language, "swe");
        EXPECT_EQ(r.Link, "http://x.example");
    }
}

TEST_F(Id3v2Test, FallbackFramesFillEmptyFields) {
    Id3v2Tag tag;
    tag.Add(Id3Frame::Text("TIT2", "   "))  // blank after trimming: falls back
        .Add(Id3Frame::Text("TIT1", "Group"))
        .Add(Id3Frame::Text("TOPE", "Original"))
        .Add(Id3Frame::Text("TOAL", "Old album"))
        .Add(Id3Frame::Text("TDRC", "2004-05-06"));
    const TID3v2 r = ReadTag(tag);
    EXPECT_EQ(r.Title, "Group");
    EXPECT_EQ(r.Artist, "Original");
    EXPECT_EQ(r.Album, "Old album");
    EXPECT_EQ(r.Year, "2004");
}

TEST_F(Id3v2Test, OnlyEncodingsZeroAndOneAreTaken) {
    Id3v2Tag tag;
    tag.Add(Id3Frame::Text("TIT2", "Utf8 title", Id3Encoding::Utf8))
        .Add(Id3Frame::Text("TIT1", "Latin title"))
        .Add(Id3Frame::Text("TPE1", "Big endian", Id3Encoding::Utf16Be))
        .Add(Id3Frame::Text("TALB", QStringLiteral("Åsa ü"), Id3Encoding::Utf16Bom));
    const TID3v2 r = ReadTag(tag);
    EXPECT_EQ(r.Title, "Latin title");
    EXPECT_EQ(r.Artist, "");
    EXPECT_EQ(r.Album, QStringLiteral("Åsa ü"));
}

TEST_F(Id3v2Test, TextDecoding) {
    // UTF-16 with the little-endian BOM, ending at the first zero unit.
    EXPECT_EQ(TID3v2::DecodeText(QByteArray("\x01\xFF\xFE\x41\x00\x42\x00", 7)), "AB");
    EXPECT_EQ(TID3v2::DecodeText(QByteArray("\x01\xFF\xFE\x41\x00\x00\x00\x42\x00", 9)), "A");
    // An odd trailing byte is no unit.
    EXPECT_EQ(TID3v2::DecodeText(QByteArray("\x01\x41\x00\x42", 4)), "A");
    // Latin-1: the zero encoding byte trims away, inner zero bytes stay, high bytes map 1:1.
    EXPECT_EQ(TID3v2::DecodeText(QByteArray("\x00 A\xE5\x00", 5)), QStringLiteral("A\u00E5"));
    EXPECT_EQ(TID3v2::DecodeText(QByteArray("\x00"
                                            "A\x00"
                                            "B",
                                            4)),
              QString("A") + QChar(0) + "B");
    EXPECT_EQ(TID3v2::DecodeText({}), "");
    EXPECT_EQ(TID3v2::DecodeText(QByteArray(1, '\x01')), "");
}

TEST_F(Id3v2Test, TrackAndGenreRules) {
    EXPECT_EQ(TID3v2::TrackNumber("7"), 7);
    EXPECT_EQ(TID3v2::TrackNumber("7/12"), 7);
    EXPECT_EQ(TID3v2::TrackNumber("/12"), 0);
    EXPECT_EQ(TID3v2::TrackNumber("seven"), 0);
    EXPECT_EQ(TID3v2::TrackNumber(""), 0);
    EXPECT_EQ(TID3v2::TrackNumber("-3"), 0);
    EXPECT_EQ(TID3v2::TrackNumber("65535"), 65535);
    EXPECT_EQ(TID3v2::TrackNumber("65536"), 0);  // does not wrap into a small number

    EXPECT_EQ(TID3v2::GenreText("(17)Rock"), "Rock");
    EXPECT_EQ(TID3v2::GenreText("(17)"), "");
    EXPECT_EQ(TID3v2::GenreText("(17)(18)Techno"), "Techno");
    EXPECT_EQ(TID3v2::GenreText("Rock"), "Rock");
}

TEST_F(Id3v2Test, DescribedTexts) {
    using enum Id3Encoding;
    const auto comment = [](const Id3Frame& f) {
        return TID3v2::DecodeDescribedText(f.data, true);
    };
    EXPECT_EQ(comment(Id3Frame::Described("COMM", "", "Plain")), "Plain");
    EXPECT_EQ(comment(Id3Frame::Described("COMM", "About", "Body", Utf16Bom)), "Body");
    // A description ending in an ASCII letter: the terminator is found on a unit boundary.
    EXPECT_EQ(comment(Id3Frame::Described("COMM", "A", "Text", Utf16Bom)), "Text");
    // No separator: a one-byte one removes nothing after the language.
    EXPECT_EQ(comment(Id3Frame::Raw("COMM", QByteArray("\x00"
                                                       "engNoSep",
                                                       9))),
              "NoSep");
    EXPECT_EQ(comment(Id3Frame::Raw("COMM", QByteArray("\x00"
                                                       "en",
                                                       3))),
              "");
    EXPECT_EQ(comment(Id3Frame::Raw("COMM", QByteArray(1, '\x01'))), "");
    EXPECT_EQ(TID3v2::DecodeDescribedText(QByteArray("\x00url\x00http://a", 13), false),
              "http://a");
}

TEST_F(Id3v2Test, TagsThatGiveNoFields) {
    {
        SCOPED_TRACE("size larger than the file");
        Id3v2Tag tag;
        tag.Add(Id3Frame::Text("TIT2", "Title"));
        tag.declaredSize = 256 * 1024 * 1024 - 1;
        const TID3v2 r = ReadTag(tag);
        EXPECT_TRUE(r.Exists);
        EXPECT_EQ(r.TagSize, 0);
        EXPECT_EQ(r.Title, "");
    }
    {
        SCOPED_TRACE("extended header");
        Id3v2Tag tag;
        tag.flags = 0x40;
        tag.Add(Id3Frame::Text("TIT2", "Title"));
        const TID3v2 r = ReadTag(tag);
        EXPECT_TRUE(r.Exists);
        EXPECT_EQ(r.Title, "");
    }
    for (std::uint8_t version : {0, 1, 5, 255}) {
        SCOPED_TRACE(version);
        Id3v2Tag tag;
        tag.version = version;
        tag.Add(Id3Frame::Text("TIT2", "Title"));
        const TID3v2 r = ReadTag(tag);
        EXPECT_TRUE(r.Exists);
        EXPECT_EQ(r.Version, version);
        EXPECT_EQ(r.Title, "");
    }
    {
        SCOPED_TRACE("compressed frame");
        Id3v2Tag tag;
        Id3Frame frame = Id3Frame::Text("TIT2", "Title");
        frame.formatFlags = 0x80;
        tag.Add(frame);
        EXPECT_EQ(ReadTag(tag).Title, "");
    }
}

TEST_F(Id3v2Test, TagSizeCountsHeaderAndFooter) {
    Id3v2Tag tag;
    tag.version = 4;
    tag.Add(Id3Frame::Text("TIT2", "T"));
    const int bodySize = static_cast<int>(tag.Build().size()) - 10;
    EXPECT_EQ(ReadTag(tag).TagSize, bodySize + 10);
    tag.flags = 0x10;
    EXPECT_EQ(ReadTag(tag).TagSize, bodySize + 20);
    // A tag that fills the file exactly is still inside it.
    tag.flags = 0;
    EXPECT_EQ(ReadBytes(tag.Build()).TagSize, bodySize + 10);
    EXPECT_EQ(ReadBytes(tag.Build()).Title, "T");
}

TEST_F(Id3v2Test, FrameWalkLimits) {
    {
        SCOPED_TRACE("later frame replaces earlier");
        Id3v2Tag tag;
        tag.Add(Id3Frame::Text("TIT2", "First")).Add(Id3Frame::Text("TIT2", "Second"));
        EXPECT_EQ(ReadTag(tag).Title, "Second");
    }
    {
        SCOPED_TRACE("unknown frames are skipped, long frames cut at 1000 bytes");
        Id3v2Tag tag;
        tag.Add(Id3Frame::Raw("APIC", QByteArray(5000, 'x')))
            .Add(Id3Frame::Text("TALB", QString(1500, QLatin1Char('a'))))
            .Add(Id3Frame::Text("TIT2", "After"));
        const TID3v2 r = ReadTag(tag);
        EXPECT_EQ(r.Album.size(), 999);  // 1000 bytes less the encoding byte
        EXPECT_EQ(r.Title, "After");
    }
    {
        SCOPED_TRACE("frames after the declared tag end are not read");
        Id3v2Tag tag;
        tag.Add(Id3Frame::Text("TIT2", "In"));
        QByteArray bytes = tag.Build();
        Id3v2Tag outside;
        outside.Add(Id3Frame::Text("TPE1", "Out"));
        bytes.append(outside.Build().mid(10));
        const TID3v2 r = ReadBytes(bytes + test::FakeMp3Body(500));
        EXPECT_EQ(r.Title, "In");
        EXPECT_EQ(r.Artist, "");
    }
    {
        SCOPED_TRACE("a frame size far past the file ends the walk, frames so far kept");
        Id3v2Tag tag;
        Id3Frame huge = Id3Frame::Text("TPE1", "Artist");
        huge.declaredSize = 0xFFFFFFFF;
        tag.Add(Id3Frame::Text("TIT2", "Kept")).Add(huge).Add(Id3Frame::Text("TALB", "Lost"));
        tag.syncSafeFrameSizes = false;
        tag.version = 4;
        const TID3v2 r = ReadTag(tag);
        EXPECT_EQ(r.Title, "Kept");
        // Its data runs on (at most 1000 bytes) into what follows; inner zero bytes stay.
        EXPECT_TRUE(r.Artist.startsWith("Artist"));
        EXPECT_LE(r.Artist.size(), 999);
        EXPECT_EQ(r.Album, "");
    }
    {
        SCOPED_TRACE("zero-sized frames do not stall the walk");
        Id3v2Tag tag;
        tag.Add(Id3Frame::Raw("TIT2", {})).Add(Id3Frame::Raw("TXXX", {}));
        tag.Add(Id3Frame::Text("TPE1", "Next"));
        const TID3v2 r = ReadTag(tag);
        EXPECT_EQ(r.Title, "");
        EXPECT_EQ(r.Artist, "Next");
    }
}

TEST_F(Id3v2Test, ShortAndMissingFiles) {
    TID3v2 reader;
    EXPECT_FALSE(reader.Read(dir_.Write("short.mp3", "ID3\x03\x00\x00\x00\x00\x00")));
    EXPECT_FALSE(reader.Exists);
    EXPECT_TRUE(
        reader.Read(dir_.Write("ten.mp3", QByteArray("ID3\x03\x00\x00\x00\x00\x00\x00", 10))));
    EXPECT_TRUE(reader.Exists);
    EXPECT_TRUE(reader.Read(dir_.Write("plain.mp3", test::FakeMp3Body(100))));
    EXPECT_FALSE(reader.Exists);
    EXPECT_FALSE(reader.Read(dir_.FilePath("missing.mp3")));
    EXPECT_FALSE(reader.Read(dir_.MakeDir("folder.mp3")));
}

TEST_F(Id3v2Test, ReadResetsEarlierResults) {
    Id3v2Tag tag;
    tag.Add(Id3Frame::Text("TIT2", "Title")).Add(Id3Frame::Text("TRCK", "4"));
    TID3v2 reader;
    ASSERT_TRUE(reader.Read(dir_.Write("a.mp3", test::Mp3File(tag.Build(), 100))));
    ASSERT_EQ(reader.Title, "Title");
    Id3v2Tag other;
    other.Add(Id3Frame::Text("TPE1", "Artist"));
    ASSERT_TRUE(reader.Read(dir_.Write("b.mp3", test::Mp3File(other.Build(), 100))));
    EXPECT_EQ(reader.Title, "");
    EXPECT_EQ(reader.Track, 0);
    EXPECT_EQ(reader.Artist, "Artist");
}

}  // namespace
}  // namespace vok
