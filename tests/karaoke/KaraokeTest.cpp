#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <optional>

#include "karaoke/GraphicsSong.h"
#include "karaoke/KaraokeName.h"
#include "support/TempDir.h"
#include "support/ZipWriter.h"

namespace vok {
namespace {

const QByteArray kCdg(7200, '\x09');

// Each test unpacks into a runtime folder of its own, so whatever is left behind shows.
class ZipSongTest : public testing::Test {
  protected:
    void SetUp() override { qputenv("XDG_RUNTIME_DIR", runtime_.Path().toUtf8()); }
    QStringList Leftovers() const {
        return QDir(runtime_.Path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
    }

    test::TempDir runtime_;
    test::TempDir songs_;
};

TEST_F(ZipSongTest, UnpacksTheCdgAndItsNamesakeAudioUnderOurNamesUntilDestroyed) {
    const QByteArray zip =
        test::MakeZip({{"first.mp3", "x"}, {"../../Track.cdg", kCdg}, {"a/TRACK.ogg", "audio"}});
    std::optional<ZipSong> song(std::in_place, songs_.Write("s.zip", zip));
    ASSERT_TRUE(song->Ok()) << song->Message().toStdString();
    const QString folder = song->Folder();
    EXPECT_EQ(song->CdgPath() + song->AudioPath(), folder + "/song.cdg" + folder + "/song.ogg");
    EXPECT_EQ(test::ReadAll(song->CdgPath()) + test::ReadAll(song->AudioPath()), kCdg + "audio");
    EXPECT_EQ(QFileInfo(folder).permissions() & 0x0077, 0);  // nothing for group and others
    EXPECT_FALSE(QFileInfo::exists(folder + "/../../Track.cdg"));
    song.reset();
    EXPECT_TRUE(Leftovers().isEmpty());
}

TEST_F(ZipSongTest, StaleFoldersOfEndedRunsAreRemovedOthersKept) {
    runtime_.MakeDir("vokplayer-zip-99999999-abcdef");  // above any process id the kernel gives
    const QString own = QString("vokplayer-zip-%1-x").arg(QCoreApplication::applicationPid());
    runtime_.MakeDir(own);
    runtime_.MakeDir("other");
    const ZipSong song(songs_.Write("junk.zip", QByteArray(5000, '\xA5')));
    EXPECT_EQ(song.Message(), "This file is not a zip.");
    EXPECT_EQ(Leftovers(), QStringList({"other", own}));
}

// With a size, the lie of a zip bomb: every central directory entry declares it (at 24) instead.
QByteArray DeclareSize(QByteArray zip, char size) {
    for (auto at = zip.indexOf("PK\1\2"); size && at >= 0; at = zip.indexOf("PK\1\2", at + 4)) {
        zip.replace(at + 24, 4, QByteArray(1, size) + QByteArray(3, 0));
    }
    return zip;
}

std::vector<test::ZipMember> ManyMembers(int count) {
    std::vector<test::ZipMember> members;
    for (int i = 2; i < count; ++i) {
        members.push_back({QString::number(i), {}});
    }
    members.insert(members.end(), {{"z.cdg", kCdg}, {"z.mp3", "audio"}});
    return members;
}

struct Bound {
    const char* Case;
    std::vector<test::ZipMember> Members;
    const char* Message;  // empty: the zip opens
    bool Encrypted = false;
    char DeclaredSize = 0;  // a lie in every header, when not 0
};

class ZipSongBounds : public ZipSongTest, public testing::WithParamInterface<Bound> {};

// Time and memory of these cases are benchmark figures (bench_karaoke), not test limits.
TEST_P(ZipSongBounds, OpensOrRefusesSayingWhyAndLeavesNothing) {
    const QByteArray bytes = test::MakeZip(GetParam().Members, GetParam().Encrypted);
    const QString zip = songs_.Write("s.zip", DeclareSize(bytes, GetParam().DeclaredSize));
    std::optional<ZipSong> song(std::in_place, zip);
    EXPECT_EQ(song->Message(), GetParam().Message);
    song.reset();
    EXPECT_TRUE(Leftovers().isEmpty());
}

// 300 MB of zeros pack into 1.4 MB.
const std::vector<test::ZipMember> kBomb{{"b.cdg", QByteArray(100, 0)}, {"b.mp3", {}, 300 << 20}};

INSTANTIATE_TEST_SUITE_P(
    Zips, ZipSongBounds,
    testing::Values(
        Bound{"NoCdg", {{"a.mp3", "audio"}}, "This zip holds no CD+G song."},
        Bound{"NoAudio",
              {{"a.cdg", kCdg}, {"a.wma", "audio"}},
              "This zip holds no audio for its song."},
        Bound{"Encrypted", {{"a.cdg", kCdg}, {"a.mp3", "audio"}}, "The zip is encrypted.", true},
        Bound{"TenThousandMembers", ManyMembers(10000), ""},
        Bound{"OneMore", ManyMembers(10001), "The zip holds too many files."},
        Bound{"DeclaredBomb", kBomb, "A file in the zip is too large."},
        Bound{"LyingBomb", kBomb, "The zip is damaged.", false, 100}),
    [](const testing::TestParamInfo<Bound>& row) { return row.param.Case; });

struct Beside {
    const char* Files;  // separated by spaces
    const char* Named;
    const char* Found;  // "cdg|audio" as named in the folder; "|" for no graphics song
};

class GraphicsSongBeside : public testing::TestWithParam<Beside> {};

TEST_P(GraphicsSongBeside, FindsTheOtherFileOfTheSameBaseName) {
    const test::TempDir dir;
    for (const QString& file : QString(GetParam().Files).split(' ')) {
        dir.Write(file, "x");
    }
    const GraphicsSongFiles song = FindGraphicsSong(dir.FilePath(GetParam().Named));
    EXPECT_EQ(song.IsGraphicsSong, !song.CdgPath.isEmpty());
    EXPECT_EQ(QString(song.CdgPath + "|" + song.AudioPath).remove(dir.Path() + "/"),
              GetParam().Found);
}

INSTANTIATE_TEST_SUITE_P(Rules, GraphicsSongBeside,
                         testing::Values(Beside{"S.cdg s.OGG S.wav s.MP3", "S.cdg", "S.cdg|s.MP3"},
                                         Beside{"S.CDG S.flac S.Wav", "S.CDG", "S.CDG|S.Wav"},
                                         Beside{"S.cdg s.mp3 S.mp3", "S.cdg", "S.cdg|S.mp3"},
                                         Beside{"S.cdg S.wma Other.mp3", "S.cdg", "S.cdg|"},
                                         Beside{"T.M4A t.cdg", "T.M4A", "t.cdg|T.M4A"},
                                         Beside{"T.mp3 T.lrc", "T.mp3", "|"}));

class KaraokeNaming : public testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(KaraokeNaming, SplitsDiscArtistAndTitle) {
    const KaraokeName name = ParseKaraokeName(GetParam().first);
    EXPECT_EQ(name.Artist + "|" + name.Title, GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(
    Names, KaraokeNaming,
    testing::Values(std::pair{"SF001-01 - Queen - Innuendo - Live.cdg", "Queen|Innuendo - Live"},
                    std::pair{"Queen - Somebody to Love - Live", "Queen|Somebody to Love - Live"},
                    std::pair{"Blink-182 - Adam's Song - Live", "Blink-182|Adam's Song - Live"},
                    std::pair{"U2 - One - Live.cdg", "U2|One - Live"},
                    std::pair{"SC8123-05 - Yesterday.cdg", "|Yesterday"},
                    std::pair{"Mr. Brightside", "|Mr. Brightside"},
                    std::pair{"/songs/ABBA \u2013 Waterloo.MP3", "ABBA|Waterloo"}));

}  // namespace
}  // namespace vok
