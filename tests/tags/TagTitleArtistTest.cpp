#include <gtest/gtest.h>

#include "support/Id3Writer.h"
#include "support/LyricFileWriter.h"
#include "support/TempDir.h"
#include "tags/TagTitleArtist.h"

namespace vok {
namespace {

using test::Id3Frame;
using test::Id3v2Tag;

class TagTitleArtistTest : public ::testing::Test {
  protected:
    TitleArtist Tags(const QString& name, const QByteArray& bytes) {
        return TagTitleArtist(dir_.Write(name, bytes));
    }
    static QByteArray V1(const QByteArray& title) {
        test::Id3v1Tag tag;
        tag.title = title;
        tag.artist = "A1";
        return tag.Build();
    }
    test::TempDir dir_;
};

TEST_F(TagTitleArtistTest, Id3v2DecidesWheneverItExists) {
    Id3v2Tag tag;
    tag.Add(Id3Frame::Text("TIT2", "Two")).Add(Id3Frame::Text("TPE1", "Artist2"));
    TitleArtist r = Tags("both.mp3", test::Mp3File(tag.Build(), 500, V1("One")));
    EXPECT_EQ(r.Title, "Two");
    EXPECT_EQ(r.Artist, "Artist2");
    // Without the frames, or with a size larger than the file, the v1 block is still ignored.
    EXPECT_EQ(Tags("empty2.mp3", test::Mp3File(Id3v2Tag().Build(), 500, V1("One"))).Title, "");
    tag.declaredSize = 0x0FFFFFFF;
    EXPECT_EQ(Tags("huge.mp3", test::Mp3File(tag.Build(), 500, V1("One"))).Artist, "");
    r = TagTitleArtist(QStringLiteral(VOK_AUDIO_FIXTURE_DIR "/tagged_v24.mp3"));  // by ffmpeg
    EXPECT_EQ(r.Title, QStringLiteral("Ångström – ♪"));
    EXPECT_EQ(r.Artist, QStringLiteral("Bjørk"));

    r = Tags("one.Mp3", test::Mp3File({}, 500, V1("One")));
    EXPECT_EQ(r.Title, "One");
    EXPECT_EQ(r.Artist, "A1");
}

TEST_F(TagTitleArtistTest, ExtensionDecidesTheSource) {
    const QByteArray lyrics =
        test::LyricFileWriter(2).Title("Song").Artist("Singer").Line(0, 100, "la").Bytes();
    TitleArtist r = Tags("song.VOK", lyrics);
    EXPECT_EQ(r.Title, "Song");
    EXPECT_EQ(r.Artist, "Singer");
    r = Tags("v1.vok", test::LyricFileWriter(1).Title("Old").Line(0, 100, "la").Bytes());
    EXPECT_EQ(r.Title, "Old");
    EXPECT_EQ(r.Artist, "");  // a version-1 file has no artist

    const QByteArray tagged = test::Mp3File({}, 500, V1("One"));
    EXPECT_EQ(Tags("broken.vok", tagged).Title, "");
    EXPECT_EQ(Tags("song.ogg", tagged).Title, "");
    EXPECT_EQ(Tags("song.mp3.bak", tagged).Title, "");
    EXPECT_EQ(TagTitleArtist(dir_.FilePath("gone.mp3")).Title, "");
    EXPECT_EQ(TagTitleArtist(dir_.MakeDir("folder.mp3")).Title, "");

    EXPECT_EQ(TagExtension("/x/song.v1.Vok"), "vok");
    EXPECT_EQ(TagExtension(".mp3"), "");  // the first character is never searched
    EXPECT_EQ(TagExtension("ab"), "");
    EXPECT_EQ(TagExtension("x.b"), "b");
}

}  // namespace
}  // namespace vok
