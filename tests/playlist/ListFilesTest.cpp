#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <csignal>

#include "QtPrinters.h"
#include "playlist/ListFiles.h"
#include "support/TempDir.h"

namespace vok {
namespace {

using test::ReadAll;
using test::TempDir;
using Status = ListReadResult::Status;

template <std::size_t N>
QByteArray Bytes(const char (&text)[N]) {  // keeps embedded NULs
    return QByteArray(text, N - 1);
}

QByteArray Utf16(const QString& text, bool bigEndian) {
    return QStringEncoder(bigEndian ? QStringConverter::Utf16BE : QStringConverter::Utf16LE,
                          QStringConverter::Flag::WriteBom)(text);
}

TEST(ListText, CandidatesOfEveryEncodingAndLineEnd) {
    const QString text = QString::fromUtf8("Sånger/€uro.mp3\r\n#EXTINF:1,x\rb.vok");
    const QStringList expected{QString::fromUtf8("Sånger/€uro.mp3"), "b.vok"};
    EXPECT_EQ(ListFileCandidates(Utf16(text, true)), expected);
    EXPECT_EQ(ListFileCandidates(Utf16(text, false)), expected);
    EXPECT_EQ(ListFileCandidates("\xEF\xBB\xBF" + text.toUtf8()), expected);
    EXPECT_EQ(
        ListFileCandidates(Bytes("#EXTM3U\n#extinf:1,x\n#ExTra.mp3\n#EX\n\n# note\n a.mp3 \nb\0c")),
        (QStringList{"#EX", "# note", " a.mp3 "}));
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
    const ListReadResult result =
        Read("music/one.mp3\r\nmusic/missing.mp3\nmusic/folder.mp3\r" + absolute.toUtf8() +
             "\n music/one.mp3\r\n#EXTINF:1,x\r\nmusic/tv\xe5.vok");
    EXPECT_EQ(result.status, Status::Read);
    EXPECT_EQ(result.entries,
              (QStringList{"music/one.mp3", absolute, QString::fromUtf8("music/två.vok")}));
    // A NUL would cut the name short and match the file before it.
    EXPECT_TRUE(Read(Bytes("music/one.mp3\0.txt\n")).entries.isEmpty());
    // Relative names are tried against the given folder, not the list's own.
    dir_.Write("lists/beside.mp3", "x");
    EXPECT_TRUE(Read("beside.mp3\n").entries.isEmpty());
}

TEST_F(ReadPlayListTest, MissingListIsIgnoredAndAPipeReportedInsteadOfBlocking) {
    for (const QString& path : {dir_.FilePath("nope.vpl"), dir_.Path(), QString()}) {
        EXPECT_EQ(ReadPlayList(path, dir_.Path()).status, Status::Missing);
    }
    const QString pipe = dir_.FilePath("pipe.vpl");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const ListReadResult result = ReadPlayList(pipe, dir_.Path());
    EXPECT_EQ(result.status, Status::Unreadable);
    EXPECT_TRUE(result.error.startsWith(QStringLiteral("Cannot open file \"") + pipe));

    // A huge file is refused before it is read into memory (sparse: takes no disk space).
    QFile huge(dir_.FilePath("huge.vpl"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(kMaxListFileSize + 1));
    huge.close();
    const ListReadResult tooBig = ReadPlayList(huge.fileName(), dir_.Path());
    EXPECT_EQ(tooBig.status, Status::Unreadable);
    EXPECT_EQ(tooBig.error,
              QStringLiteral("Cannot open file \"%1\". File too large.").arg(huge.fileName()));
}

TEST(WritePlayListTest, CrLfUtf8WithoutMarkAndZeroBytesForAnEmptyList) {
    TempDir dir;
    const QString path = dir.Write("out.vpl", "old\r\n");
    ASSERT_TRUE(WritePlayList(path, {QStringLiteral("/m/å.mp3"), QStringLiteral("b.vok")}).Ok);
    EXPECT_EQ(ReadAll(path), QByteArray("/m/\xc3\xa5.mp3\r\nb.vok\r\n"));
    ASSERT_TRUE(WritePlayList(path, {}).Ok);
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(QFileInfo(path).size(), 0);
    EXPECT_EQ(ReadPlayList(path, dir.Path()).status, Status::Read);
    EXPECT_EQ(WithListExtension("/m/party.m3u"), QStringLiteral("/m/party.m3u.vpl"));
    EXPECT_EQ(WithListExtension("/m/party.VPL"), QStringLiteral("/m/party.VPL"));
}

TEST(WritePlayListTest, RoundTripKeepsEntriesAndLeavesOutNamesThatAreNoLine) {
    TempDir dir;
    const QStringList entries{dir.Write("ä ö/b.mp3", "x"), dir.Write("a.vok", "x"),
                              dir.FilePath("ä ö/b.mp3"), QStringLiteral("a.vok")};
    const QString path = dir.FilePath("round.vpl");
    const ListWriteResult result = WritePlayList(path, entries + QStringList{"a\nb", "c\rd"});
    EXPECT_TRUE(result.Ok);
    EXPECT_EQ(result.LeftOut, 2);
    EXPECT_EQ(ReadPlayList(path, dir.Path()).entries, entries);
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

    EXPECT_FALSE(result.Ok);
    EXPECT_TRUE(result.Message.startsWith(QStringLiteral("Cannot create file \"") + path));
    EXPECT_EQ(ReadAll(path), QByteArray("old.mp3\r\n"));
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files), QStringList{"keep.vpl"});
    EXPECT_FALSE(WritePlayList(dir.FilePath("no/such/x.vpl"), {"a"}).Ok);
}

}  // namespace
}  // namespace vok
