#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <csignal>

#include "QtPrinters.h"
#include "playlist/ListFiles.h"
#include "support/TempDir.h"

namespace vok {
namespace {

using test::ReadAll;
using test::TempDir;
using Status = ListReadResult::Status;

// Bytes of a literal, embedded NULs included.
template <std::size_t N>
QByteArray Bytes(const char (&text)[N]) {
    return QByteArray(text, N - 1);
}

QByteArray Utf16(const QString& text, bool bigEndian) {
    QByteArray bytes(bigEndian ? "\xFE\xFF" : "\xFF\xFE");
    for (const QChar c : text) {
        const char high = static_cast<char>(c.unicode() >> 8);
        const char low = static_cast<char>(c.unicode() & 0xFF);
        bytes.append(bigEndian ? high : low).append(bigEndian ? low : high);
    }
    return bytes;
}

TEST(ListDecoding, ByteOrderMarksSelectTheEncoding) {
    const QString text = QString::fromUtf8("Sånger/€uro.mp3\r\n");
    EXPECT_EQ(DecodeListText("\xEF\xBB\xBF" + text.toUtf8()), text);
    EXPECT_EQ(DecodeListText(Utf16(text, false)), text);
    EXPECT_EQ(DecodeListText(Utf16(text, true)), text);
}

TEST(ListDecoding, WithoutMarkValidUtf8WinsElseWindows1252) {
    EXPECT_EQ(DecodeListText(QByteArray("\xc3\xa5.mp3")), QString::fromUtf8("å.mp3"));
    // The same letter as a lone Windows byte, next to a byte only Windows-1252 defines.
    EXPECT_EQ(DecodeListText(QByteArray("\xe5\x80.mp3")), QString::fromUtf8("å€.mp3"));
}

TEST(ListDecoding, OddUtf16TailAndEmptyInputAreHarmless) {
    EXPECT_EQ(DecodeListText(Bytes("\xFF\xFE"
                                   "a\0b")),
              QStringLiteral("a"));
    EXPECT_EQ(DecodeListText(QByteArray("\xFE\xFF")), QString());
    EXPECT_TRUE(DecodeListText(QByteArray()).isEmpty());
}

TEST(ListLines, EveryLineEndStyleAndAnUnendedLastLine) {
    EXPECT_EQ(SplitListLines(u"a\r\nb\nc\rd"), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitListLines(u"a\r\n"), QStringList{"a"});
    EXPECT_EQ(SplitListLines(u"a\n\r\nb"), (QStringList{"a", "", "b"}));  // LF then CR LF
    EXPECT_EQ(SplitListLines(u"a\r\rb"), (QStringList{"a", "", "b"}));
    EXPECT_TRUE(SplitListLines(u"").isEmpty());
}

TEST(ListLines, ExtendedInfoEmptyAndNulLinesDropOut) {
    const QByteArray list =
        Bytes("#EXTM3U\n#extinf:12,Song\n#ExTra.mp3\n#EX\n\n# note\n a.mp3 \nb\0c\n");
    EXPECT_EQ(ListFileCandidates(list), (QStringList{"#EX", "# note", " a.mp3 "}));
}

class ReadPlayListTest : public testing::Test {
  protected:
    void SetUp() override {
        dir_.Write("music/one.mp3", "x");
        dir_.Write("music/två.vok", "x");
        dir_.MakeDir("music/folder.mp3");
    }
    ListReadResult Read(const QByteArray& bytes) {
        return ReadPlayList(dir_.Write("lists/list.vpl", bytes), dir_.Path());
    }
    TempDir dir_;
};

TEST_F(ReadPlayListTest, KeepsOnlyNamesOfExistingFilesExactlyAsWritten) {
    const QString absolute = dir_.FilePath("music/one.mp3");
    const QByteArray list = "music/one.mp3\r\nmusic/missing.mp3\r\nmusic/folder.mp3\r\n" +
                            absolute.toUtf8() + "\r\n music/one.mp3\r\nmusic/two.vok";
    const ListReadResult result = Read(list);
    EXPECT_EQ(result.status, Status::Read);
    EXPECT_EQ(result.entries, (QStringList{"music/one.mp3", absolute}));
}

TEST_F(ReadPlayListTest, RelativeNamesResolveAgainstTheGivenFolderNotTheList) {
    dir_.Write("lists/beside.mp3", "x");
    EXPECT_TRUE(Read("beside.mp3\n").entries.isEmpty());
    EXPECT_EQ(ReadPlayList(dir_.FilePath("lists/list.vpl"), dir_.FilePath("lists")).entries,
              QStringList{"beside.mp3"});
}

TEST_F(ReadPlayListTest, ExtendedM3uLoadsOnlyItsFileLinesInAnyEncoding) {
    const QString text = QStringLiteral(
        "#EXTM3U\r\n#EXTINF:1,x\r\nmusic/två.vok\r\n#extinf:2,y\r\n"
        "music/one.mp3");
    const QStringList expected{QStringLiteral("music/två.vok"), QStringLiteral("music/one.mp3")};
    EXPECT_EQ(Read(text.toUtf8()).entries, expected);
    EXPECT_EQ(Read(Utf16(text, false)).entries, expected);
    EXPECT_EQ(Read(Utf16(text, true)).entries, expected);
    EXPECT_EQ(Read("music/tv\xe5.vok\rmusic/one.mp3").entries, expected);  // Windows-1252, CR
}

TEST_F(ReadPlayListTest, NulInALineNeverMatchesTheNameBeforeIt) {
    EXPECT_TRUE(Read(Bytes("music/one.mp3\0.txt\n")).entries.isEmpty());
}

TEST_F(ReadPlayListTest, MissingListOrFolderIsIgnoredWithoutMessage) {
    for (const QString& path : {dir_.FilePath("nope.vpl"), dir_.Path(), QString()}) {
        const ListReadResult result = ReadPlayList(path, dir_.Path());
        EXPECT_EQ(result.status, Status::Missing) << path.toStdString();
        EXPECT_TRUE(result.error.isEmpty());
    }
}

TEST_F(ReadPlayListTest, PipeIsReportedInsteadOfBlocking) {
    const QString pipe = dir_.FilePath("pipe.vpl");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const ListReadResult result = ReadPlayList(pipe, dir_.Path());
    EXPECT_EQ(result.status, Status::Unreadable);
    EXPECT_TRUE(result.error.startsWith(QStringLiteral("Cannot open file \"") + pipe));
}

TEST(WritePlayListTest, CrLfAfterEveryLineUtf8WithoutMark) {
    TempDir dir;
    const QString path = dir.FilePath("out.vpl");
    ASSERT_TRUE(WritePlayList(path, {QStringLiteral("/m/å.mp3"), QStringLiteral("b.vok")}).ok);
    EXPECT_EQ(ReadAll(path), QByteArray("/m/\xc3\xa5.mp3\r\nb.vok\r\n"));
}

TEST(WritePlayListTest, EmptyListIsZeroBytesAndReadsBackEmpty) {
    TempDir dir;
    const QString path = dir.Write("out.vpl", "old content\r\n");
    ASSERT_TRUE(WritePlayList(path, {}).ok);
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(QFileInfo(path).size(), 0);
    const ListReadResult back = ReadPlayList(path, dir.Path());
    EXPECT_EQ(back.status, Status::Read);
    EXPECT_TRUE(back.entries.isEmpty());
}

TEST(WritePlayListTest, RoundTripKeepsEntriesOrderAndDuplicates) {
    TempDir dir;
    const QStringList entries{dir.Write("ä ö/b.mp3", "x"), dir.Write("a.vok", "x"),
                              dir.FilePath("ä ö/b.mp3"), QStringLiteral("a.vok")};
    const QString path = dir.FilePath("round.vpl");
    ASSERT_TRUE(WritePlayList(path, entries).ok);
    EXPECT_EQ(ReadPlayList(path, dir.Path()).entries, entries);
}

TEST(WritePlayListTest, NamesThatCannotBeOneLineAreLeftOutAndCounted) {
    TempDir dir;
    const QString path = dir.FilePath("out.vpl");
    const ListWriteResult result = WritePlayList(
        path, {QStringLiteral("a\nb"), QStringLiteral("c\rd"), QString(QChar(0)), "ok.mp3"});
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.leftOut, 3);
    EXPECT_EQ(ReadAll(path), QByteArray("ok.mp3\r\n"));
}

TEST(WritePlayListTest, FailedWriteLeavesTheOldFileWholeAndSaysSo) {
    TempDir dir;
    const QString path = dir.Write("keep.vpl", "old.mp3\r\n");
    // A file-size limit makes the write fail part way, even for root.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const ListWriteResult result = WritePlayList(path, QStringList(100, QStringLiteral("/x.mp3")));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.error.startsWith(QStringLiteral("Cannot create file \"") + path));
    EXPECT_EQ(ReadAll(path), QByteArray("old.mp3\r\n"));
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files), QStringList{"keep.vpl"});
}

TEST(WritePlayListTest, MissingFolderIsAFailure) {
    TempDir dir;
    const ListWriteResult result = WritePlayList(dir.FilePath("no/such/x.vpl"), {"a"});
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.isEmpty());
}

TEST(ListExtension, AddedUnlessAlreadyThereInAnyCase) {
    EXPECT_EQ(WithListExtension("/m/party"), QStringLiteral("/m/party.vpl"));
    EXPECT_EQ(WithListExtension("/m/party.m3u"), QStringLiteral("/m/party.m3u.vpl"));
    EXPECT_EQ(WithListExtension("/m/party.VPL"), QStringLiteral("/m/party.VPL"));
}

}  // namespace
}  // namespace vok
