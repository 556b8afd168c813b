#include <gtest/gtest.h>

#include "support/Id3Writer.h"
#include "support/TempDir.h"
#include "tags/GenreNames.h"
#include "tags/Id3v1.h"

namespace vok {
namespace {

using test::Id3v1Tag;

class Id3v1Test : public ::testing::Test {
  protected:
    TID3v1 Read(const QByteArray& block) {
        TID3v1 reader;
        EXPECT_TRUE(reader.Read(dir_.Write("song.mp3", test::Mp3File({}, 1000, block))));
        return reader;
    }
    test::TempDir dir_;
};

TEST_F(Id3v1Test, FieldsAndVersions) {
    Id3v1Tag tag;
    tag.title = "K\xE4rlek";
    tag.artist = "Artist \x01";
    tag.album = QByteArray(30, 'a');
    tag.comment = QByteArray(30, 'c');
    tag.genre = 17;
    TID3v1 r = Read(tag.Build());
    EXPECT_EQ(r.Version, 1);
    EXPECT_EQ(r.Title, QStringLiteral("K\u00E4rlek"));
    EXPECT_EQ(r.Artist, "Artist");  // trailing space and control character removed
    EXPECT_EQ(r.Album.size(), 30);
    EXPECT_EQ(r.Comment.size(), 30);
    EXPECT_EQ(GenreName(r.GenreNumber), "Rock");

    // Comment ending in a zero byte and then 7: version 1.1, track 7, 28-byte comment.
    tag.comment = QByteArray(27, 'c') + ' ';
    tag.track = 7;
    QByteArray block = tag.Build();
    r = Read(block);
    EXPECT_EQ(r.Version, 2);
    EXPECT_EQ(r.Track, 7);
    EXPECT_EQ(r.Comment, QString(27, QLatin1Char('c')));

    block[125] = ' ';  // space then a non-space is version 1.1 too
    EXPECT_EQ(Read(block).Version, 2);
    block[126] = ' ';
    r = Read(block);
    EXPECT_EQ(r.Version, 1);
    EXPECT_EQ(r.Track, 0);
    block[125] = '\0';
    block[126] = '\0';
    EXPECT_EQ(Read(block).Version, 1);
}

TEST_F(Id3v1Test, NoBlock) {
    Id3v1Tag tag;
    tag.title = "T";
    TID3v1 reader;
    EXPECT_FALSE(reader.Read(dir_.Write("short.mp3", tag.Build().left(127))));
    EXPECT_FALSE(reader.Exists);
    EXPECT_TRUE(reader.Read(dir_.Write("only.mp3", tag.Build())));  // the block alone
    EXPECT_TRUE(reader.Exists);
    EXPECT_TRUE(reader.Read(dir_.Write("off.mp3", tag.Build() + "x")));
    EXPECT_FALSE(reader.Exists);
    EXPECT_EQ(reader.Title, "");
    EXPECT_EQ(reader.GenreNumber, 255);
    EXPECT_FALSE(reader.Read(dir_.FilePath("missing.mp3")));
}

TEST(GenreNamesTest, TableEndsAndMisspellings) {
    EXPECT_EQ(GenreName(79), "Hard Rock");
    EXPECT_EQ(GenreName(80), "Folk");
    EXPECT_EQ(GenreName(92), "Progessive Rock");
    EXPECT_EQ(GenreName(144), "Trash Metal");
    EXPECT_EQ(GenreName(147), "Synthpop");
    EXPECT_EQ(GenreName(148), "");
    EXPECT_EQ(GenreName(255), "");
}

}  // namespace
}  // namespace vok
