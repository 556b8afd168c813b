#include <gtest/gtest.h>

#include "support/Id3Writer.h"
#include "support/TempDir.h"
#include "tags/TagTitleArtist.h"

namespace vok {
namespace {

using test::Id3Frame;
using test::Id3v1Tag;
using test::Id3v2Tag;

QByteArray V1(const QByteArray& title, const QByteArray& artist) {
    Id3v1Tag tag;
    tag.title = title;
    tag.artist = artist;
    return tag.Build();
}

QByteArray V2(const QString& title, const QString& artist) {
    Id3v2Tag tag;
    if (!title.isEmpty()) {
        tag.Add(Id3Frame::Text("TIT2", title));
    }
    if (!artist.isEmpty()) {
        tag.Add(Id3Frame::Text("TPE1", artist));
    }
    return tag.Build();
}

class TagTitleArtistTest : public ::testing::Test {
  protected:
    TitleArtist Tags(const QString& name, const QByteArray& bytes) {
        return TagTitleArtist(dir_.Write(name, bytes));
    }
    test::TempDir dir_;
};

TEST_F(TagTitleArtistTest, Id3v2WinsOverId3v1) {
    TitleArtist r = Tags("both.mp3", test::Mp3File(V2("Two", "Artist2"), 500, V1("One", "A1")));
    EXPECT_EQ(r.Title, "Two");
    EXPECT_EQ(r.Artist, "Artist2");
    // A v2 tag without the frames still decides: the v1 block is not consulted.
    r = Tags("empty2.mp3", test::Mp3File(V2("", ""), 500, V1("One", "A1")));
    EXPECT_EQ(r.Title, "");
    EXPECT_EQ(r.Artist, "");
    // So does a v2 header that claims more than the file holds.
    Id3v2Tag huge;
    huge.Add(Id3Frame::Text("TIT2", "Two"));
    huge.declaredSize = 0x0FFFFFFF;
    r = Tags("huge.mp3", test::Mp3File(huge.Build(), 500, V1("One", "A1")));
    EXPECT_EQ(r.Title, "");
}

TEST_F(TagTitleArtistTest, Id3v1WhenNoId3v2) {
    const TitleArtist r = Tags("one.mp3", test::Mp3File({}, 500, V1("One", "A1")));
    EXPECT_EQ(r.Title, "One");
    EXPECT_EQ(r.Artist, "A1");
    EXPECT_EQ(Tags("none.mp3", test::FakeMp3Body(500)).Title, "");
    EXPECT_EQ(Tags("tiny.mp3", "ID3").Title, "");
}

TEST_F(TagTitleArtistTest, ExtensionDecidesTheSource) {
    const QByteArray tagged = test::Mp3File(V2("Two", "Artist2"), 500, V1("One", "A1"));
    EXPECT_EQ(Tags("upper.Mp3", tagged).Title, "Two");
    EXPECT_EQ(Tags("song.MP3", tagged).Artist, "Artist2");
    // Tags are only read from MP3 files.
    EXPECT_EQ(Tags("song.ogg", tagged).Title, "");
    EXPECT_EQ(Tags("song.wma", tagged).Title, "");
    EXPECT_EQ(Tags("song.mp3.bak", tagged).Title, "");
    EXPECT_EQ(Tags("noext", tagged).Title, "");
    // Not a lyric file: nothing, and no crash.
    EXPECT_EQ(Tags("broken.VOK", tagged).Title, "");
}

TEST_F(TagTitleArtistTest, MissingFilesAndFolders) {
    EXPECT_EQ(TagTitleArtist(dir_.FilePath("gone.mp3")).Title, "");
    EXPECT_EQ(TagTitleArtist(dir_.MakeDir("folder.mp3")).Title, "");
    EXPECT_EQ(TagTitleArtist({}).Title, "");
}

TEST(TagExtensionTest, SearchStopsAtTheSecondCharacter) {
    EXPECT_EQ(TagExtension("a.MP3"), "mp3");
    EXPECT_EQ(TagExtension("/x/song.v1.Vok"), "vok");
    EXPECT_EQ(TagExtension(".mp3"), "");  // the first character is never searched
    EXPECT_EQ(TagExtension("a."), "");
    EXPECT_EQ(TagExtension("ab"), "");
    EXPECT_EQ(TagExtension(""), "");
    EXPECT_EQ(TagExtension("x.b"), "b");
}

}  // namespace
}  // namespace vok
