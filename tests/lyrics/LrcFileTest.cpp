#include <gtest/gtest.h>

#include <QFile>
#include <limits>

#include "core/FileNames.h"
#include "lyrics/LrcFile.h"
#include "lyrics/SongSearch.h"
#include "lyrics/Vokalento.h"
#include "support/TempDir.h"

namespace vok {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

class LrcLoad : public testing::Test {
  protected:
    TVokalento Load(const QByteArray& bytes, const QString& name = QStringLiteral("song.lrc")) {
        TVokalento model;
        EXPECT_TRUE(model.LoadFromFile(dir_.Write(name, bytes)));
        return model;
    }
    static QString At(const TVokalento& song, std::int32_t time) {
        std::int32_t number = -1;
        QString text;
        song.LineAt(time, number, text);
        return text;
    }
    static LyricLine Slot(const TVokalento& song, std::int32_t position) {
        LyricLine line;
        song.GetLine(position, line);
        return line;
    }

    test::TempDir dir_;
};

TEST_F(LrcLoad, StampFormsSortingAndLineEnds) {
    const TVokalento song = Load(
        "[ti: Twinkle ]\n[ar:Anon]\n[length: 01:00.50]\n"
        "[00:10.00][00:30.5]Chorus\n"
        "[00:05.123]First\n"
        "[00:20]Second\n"
        "[00:25.00]\n"  // a gap
        "[Verse]\nplain text\n");
    EXPECT_TRUE(song.Valid);
    EXPECT_EQ(song.Format, LyricFormat::Lrc);
    EXPECT_EQ(song.Version, 0);
    EXPECT_EQ(song.Title, "Twinkle");
    EXPECT_EQ(song.Artist, "Anon");
    EXPECT_EQ(song.SongLength, 60500);
    ASSERT_EQ(song.LineCount, 4);
    EXPECT_EQ(song.SlotCount, 4);
    EXPECT_EQ(Slot(song, 1), (LyricLine{1, 5123, 9999, 5, "First"}));
    EXPECT_EQ(Slot(song, 2), (LyricLine{2, 10000, 19999, 6, "Chorus"}));
    EXPECT_EQ(Slot(song, 3), (LyricLine{3, 20000, 24999, 6, "Second"}));
    // The last line lasts to the song's end.
    EXPECT_EQ(Slot(song, 4), (LyricLine{4, 30500, 60500, 6, "Chorus"}));

    EXPECT_EQ(At(song, 5122), "");
    EXPECT_EQ(At(song, 5123), "First");
    EXPECT_EQ(At(song, 9999), "First");
    EXPECT_EQ(At(song, 10000), "Chorus");
    EXPECT_EQ(At(song, 24999), "Second");
    EXPECT_EQ(At(song, 25000), "");  // the gap
    EXPECT_EQ(At(song, 30500), "Chorus");
    EXPECT_EQ(At(song, 60501), "");
    EXPECT_EQ(song.LineNumberAt(26000), 3);
    // Blanks between stamps: the text is shown at both.
    EXPECT_EQ(At(Load("[00:02.00] [00:06.00]\t Spaced\n[00:08]x"), 6000), "Spaced");
}

TEST_F(LrcLoad, LastLineWithoutLengthEqualStampsAndEnhancedWords) {
    const TVokalento song = Load(
        "[00:01.00]<00:01.00>Twin<00:01.50>kle <00:02.00>twin<00:02.5>kle\r\n"
        "[00:04.00]A\r\n[00:04.00]B\r\n"
        "[00:08.00] <a>  x < 00:09 >y  \r\n");
    ASSERT_EQ(song.LineCount, 4);
    EXPECT_EQ(Slot(song, 1).Text, "Twinkle twinkle");
    EXPECT_EQ(Slot(song, 1).End, 3999);
    // Alike stamps keep the file's order; the first of them wins the lookup.
    EXPECT_EQ(Slot(song, 2).Text, "A");
    EXPECT_EQ(Slot(song, 3).Text, "B");
    EXPECT_EQ(Slot(song, 2).End, 7999);
    EXPECT_EQ(At(song, 4000), "A");
    // Only real stamps go; other angle brackets are words. Without [length:] the last line
    // lasts five seconds.
    EXPECT_EQ(Slot(song, 4), (LyricLine{4, 8000, 13000, 7, "<a> x y"}));
}

TEST_F(LrcLoad, EncodingsAndLineBreaks) {
    const QByteArray utf8 = "[ar:Bj\xC3\xB6rk]\n[00:01.00]\xC3\xA5\xC3\xA4\xC3\xB6\n";
    EXPECT_EQ(Load(utf8).Artist, QStringLiteral("Bj\u00F6rk"));
    EXPECT_EQ(At(Load("\xEF\xBB\xBF" + utf8), 1000), QStringLiteral("\u00E5\u00E4\u00F6"));
    // Not valid UTF-8: Windows-1252, where 0x80 is the euro sign.
    EXPECT_EQ(At(Load("[00:01.00]5 \x80 \xE5\n"), 1000), QStringLiteral("5 \u20AC \u00E5"));
    // Lone CR line ends; a last line without an end.
    const TVokalento cr = Load("[00:01.00]one\r[00:02.00]two\r\n[00:03.00]three");
    ASSERT_EQ(cr.LineCount, 3);
    EXPECT_EQ(At(cr, 2500), "two");
    EXPECT_EQ(At(cr, 3000), "three");
    // Capitals in the extension.
    EXPECT_TRUE(Load("[00:01]x", QStringLiteral("UP.LRC")).Valid);
}

TEST_F(LrcLoad, TagsOffsetAndNothingUsable) {
    EXPECT_EQ(Load("[offset:+250]\n[00:01]x").LyricOffset, 250);
    EXPECT_EQ(Load("[OFFSET: -120 ]\n[00:01]x").LyricOffset, -120);
    EXPECT_EQ(Load("[offset:999999999999999]\n[00:01]x").LyricOffset, kLrcMaxOffsetMs);
    EXPECT_EQ(Load("[offset:abc]\n[00:01]x").LyricOffset, 0);
    for (const QByteArray& junk :
         {QByteArray(), QByteArray("[ti:Only tags]\n[ar:x]\n"), QByteArray("[00:01.00]\n[00:02]"),
          QByteArray("VOKALENTO\x02 not lrc"), QByteArray(5000, '\0'),
          QByteArray("[:10]y\n[00:]z\n[00:01.]w\n[aa:bb]v\n")}) {
        const TVokalento song = Load(junk);
        EXPECT_FALSE(song.Valid) << junk.left(40).toStdString();
        EXPECT_TRUE(song.FileName.isEmpty());
        EXPECT_EQ(song.LineCount, 0);
    }
}

TEST_F(LrcLoad, ReplaceSongFileRefused) {
    TVokalento song = Load("[00:01]x");
    ASSERT_TRUE(song.Valid);
    EXPECT_FALSE(song.ReplaceSongFile(QStringLiteral("other.mp3")));
    EXPECT_EQ(test::ReadAll(dir_.FilePath("song.lrc")), QByteArray("[00:01]x"));
}

TEST(LrcParse, TimesClampAndReject) {
    EXPECT_EQ(ParseLrcTime(u"01:02.34"), 62340);
    EXPECT_EQ(ParseLrcTime(u"01:02.345"), 62345);
    EXPECT_EQ(ParseLrcTime(u"01:02.3456"), 62345);
    EXPECT_EQ(ParseLrcTime(u"1:2.3"), 62300);
    EXPECT_EQ(ParseLrcTime(u"00:02:50"), 2500);
    EXPECT_EQ(ParseLrcTime(u"00:75"), 75000);
    EXPECT_EQ(ParseLrcTime(u"99999:99.99"), kMax);
    EXPECT_EQ(ParseLrcTime(u"99999999999999999999999:00"), kMax);
    EXPECT_EQ(ParseLrcTime(u"-00:01.00"), 0);
    for (const char16_t* bad :
         {u"", u":", u"1", u"a:00", u"00:xx", u"00:01.", u"00:01x", u"--1:00", u"\u0661:00"}) {
        EXPECT_EQ(ParseLrcTime(bad), -1) << QString::fromUtf16(bad).toStdString();
    }
    // An absurd last stamp never wraps its end below its start.
    const LrcSong song = ParseLrc("[99999:99.99]x\n[-1:00]y");
    ASSERT_EQ(song.Lines.size(), 2u);
    EXPECT_EQ(song.Lines[0].Start, 0);
    EXPECT_EQ(song.Lines[0].End, kMax - 1);
    EXPECT_EQ(song.Lines[1].Start, kMax);
    EXPECT_EQ(song.Lines[1].End, kMax);
}

TEST(LrcParse, HostileSizesAreBounded) {
    // Half a million stamps on one line: only the first kLrcMaxStamps are kept.
    QByteArray many;
    for (int i = 0; i < 500000; ++i) {
        many += "[00:01]";
    }
    many += "x";
    EXPECT_EQ(ParseLrc(many).Lines.size(), kLrcMaxStamps);
    // Past the byte cap nothing is read; the cut falls at a line end, so no text is mis-decoded.
    QByteArray big;
    const QByteArray line = "[00:01.00]\xC3\xA5\n";
    while (big.size() <= kLrcMaxBytes) {
        big += line;
    }
    big += "[00:00.00]late\n";
    const LrcSong song = ParseLrc(big);
    ASSERT_FALSE(song.Lines.empty());
    EXPECT_EQ(song.Lines.front().Start, 1000);
    EXPECT_EQ(song.Lines.front().Text, QStringLiteral("\u00E5"));
    // Texts are cut to what a line holds.
    EXPECT_EQ(ParseLrc("[00:01]" + QByteArray(1000, 'a')).Lines.at(0).Text.size(), 255);
}

TEST(LrcAudioSearch, BesideInOrderThenFoldersThenOpenSong) {
    test::TempDir dir;
    const QString lrc = dir.Write("lyrics/Song.lrc", "[00:01]x");
    dir.Write("lyrics/song.OGG", "o");
    dir.Write("lyrics/Song.flac", "f");
    dir.Write("lyrics/Song.lrc.mp3", "decoy");
    EXPECT_EQ(FindAudioBesideLrc(lrc), dir.FilePath("lyrics/song.OGG"));
    const AudioSearchResult beside = FindAudioForLrc(lrc, {}, {});
    EXPECT_EQ(beside.Source, AudioSource::BesideLyrics);
    EXPECT_EQ(beside.Path, dir.FilePath("lyrics/song.OGG"));

    const QString alone = dir.Write("alone/Tune.lrc", "[00:01]x");
    dir.Write("songs1/x/Other.mp3", "a");
    dir.Write("songs2/a/b/tune.m4a", "b");
    dir.Write("songs2/tune.opus", "c");
    const QStringList folders{dir.FilePath("songs1"), dir.FilePath("songs2")};
    const AudioSearchResult found = FindAudioForLrc(alone, folders, QStringLiteral("/old.mp3"));
    EXPECT_EQ(found.Source, AudioSource::SongFolder);
    EXPECT_EQ(found.FolderIndex, 1);
    EXPECT_EQ(found.Path, dir.FilePath("songs2/tune.opus"));  // .opus before .m4a
    EXPECT_TRUE(found.SearchRan);

    const AudioSearchResult kept =
        FindAudioForLrc(alone, {dir.FilePath("songs1")}, QStringLiteral("/old.mp3"));
    EXPECT_EQ(kept.Source, AudioSource::OpenSong);
    EXPECT_EQ(kept.Path, "/old.mp3");
    EXPECT_EQ(FindAudioForLrc(alone, {}, QStringLiteral("/old.mp3")).Source, AudioSource::None);
    EXPECT_TRUE(IsLyricFileName("a.LRC"));
    EXPECT_TRUE(IsLrcFileName("/x/a.lrc"));
    EXPECT_FALSE(IsLrcFileName("a.vok"));
    EXPECT_FALSE(IsLyricFileName("a.lrc.mp3"));
}

}  // namespace
}  // namespace vok
