#include <gtest/gtest.h>

#include "support/Id3Writer.h"
#include "support/TempDir.h"
#include "tags/GenreNames.h"
#include "tags/Id3v1.h"

namespace vok {
namespace {

using test::Id3v1Tag;

QByteArray TitleBlock(const QByteArray& title) {
    Id3v1Tag tag;
    tag.title = title;
    return tag.Build();
}

class Id3v1Test : public ::testing::Test {
  protected:
    TID3v1 ReadBlock(const QByteArray& block, int bodySize = 1000) {
        TID3v1 reader;
        EXPECT_TRUE(reader.Read(dir_.Write("song.mp3", test::Mp3File({}, bodySize, block))));
        return reader;
    }
    test::TempDir dir_;
};

TEST_F(Id3v1Test, Version10Fields) {
    Id3v1Tag tag;
    tag.title = "Title";
    tag.artist = "Artist \x01";
    tag.album = QByteArray(30, 'a');
    tag.year = "1987";
    tag.comment = QByteArray(30, 'c');
    tag.genre = 17;
    const TID3v1 r = ReadBlock(tag.Build());
    EXPECT_TRUE(r.Exists);
    EXPECT_EQ(r.Version, 1);
    EXPECT_EQ(r.Title, "Title");
    EXPECT_EQ(r.Artist, "Artist");  // trailing space and control character removed
    EXPECT_EQ(r.Album, QString(30, QLatin1Char('a')));
    EXPECT_EQ(r.Year, "1987");
    EXPECT_EQ(r.Comment, QString(30, QLatin1Char('c')));
    EXPECT_EQ(r.Track, 0);
    EXPECT_EQ(r.GenreNumber, 17);
    EXPECT_EQ(GenreName(r.GenreNumber), "Rock");
}

TEST_F(Id3v1Test, VersionDetection) {
    // Comment ending in zero then 7: version 1.1, track 7, comment the first 28 bytes.
    Id3v1Tag tag;
    tag.comment = QByteArray(27, 'c') + ' ';
    tag.track = 7;
    QByteArray block = tag.Build();
    TID3v1 r = ReadBlock(block);
    EXPECT_EQ(r.Version, 2);
    EXPECT_EQ(r.Track, 7);
    EXPECT_EQ(r.Comment, QString(27, QLatin1Char('c')));

    // Space then a non-space also counts as version 1.1.
    block[125] = ' ';
    block[126] = 'x';
    r = ReadBlock(block);
    EXPECT_EQ(r.Version, 2);
    EXPECT_EQ(r.Track, 'x');

    // Zero then zero, or space then space: version 1.0 with a full 30-byte comment.
    block[125] = '\0';
    block[126] = '\0';
    EXPECT_EQ(ReadBlock(block).Version, 1);
    block[125] = ' ';
    block[126] = ' ';
    r = ReadBlock(block);
    EXPECT_EQ(r.Version, 1);
    EXPECT_EQ(r.Track, 0);
}

TEST_F(Id3v1Test, Latin1Text) {
    const TID3v1 r = ReadBlock(TitleBlock("K\xE4rlek"));
    EXPECT_EQ(r.Title, QStringLiteral("K\u00E4rlek"));
}

TEST_F(Id3v1Test, NoBlock) {
    TID3v1 reader;
    // Shorter than the block: no tag, even when the bytes start with "TAG".
    EXPECT_FALSE(reader.Read(dir_.Write("short.mp3", Id3v1Tag{}.Build().left(127))));
    EXPECT_FALSE(reader.Exists);
    EXPECT_EQ(reader.GenreNumber, 255);
    // Exactly the block alone is a tag.
    EXPECT_TRUE(reader.Read(dir_.Write("only.mp3", TitleBlock("T"))));
    EXPECT_TRUE(reader.Exists);
    // "TAG" not at the last 128 bytes.
    EXPECT_TRUE(reader.Read(dir_.Write("off.mp3", TitleBlock("T") + "x")));
    EXPECT_FALSE(reader.Exists);
    EXPECT_EQ(reader.Title, "");
    EXPECT_EQ(reader.Version, 1);
    EXPECT_FALSE(reader.Read(dir_.FilePath("missing.mp3")));
}

TEST(GenreNamesTest, TableEndsAndMisspellings) {
    EXPECT_EQ(GenreNames().size(), 148u);
    EXPECT_EQ(GenreName(0), "Blues");
    EXPECT_EQ(GenreName(79), "Hard Rock");
    EXPECT_EQ(GenreName(80), "Folk");
    EXPECT_EQ(GenreName(92), "Progessive Rock");
    EXPECT_EQ(GenreName(144), "Trash Metal");
    EXPECT_EQ(GenreName(147), "Synthpop");
    EXPECT_EQ(GenreName(148), "");
    EXPECT_EQ(GenreName(255), "");
    EXPECT_EQ(GenreName(-1), "");
}

}  // namespace
}  // namespace vok
