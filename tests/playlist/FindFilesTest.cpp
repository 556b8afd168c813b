#include <gtest/gtest.h>

#include <QFile>

#include "QtPrinters.h"
#include "playlist/FindFiles.h"
#include "support/TempDir.h"

namespace vok {
namespace {

using test::TempDir;

TEST(WildcardMatch, StarsQuestionMarksCaseAndLiterals) {
    EXPECT_TRUE(WildcardMatch(u"*.mp3", u"Song.MP3"));
    EXPECT_TRUE(WildcardMatch(u"*.mp3", u".mp3"));
    EXPECT_FALSE(WildcardMatch(u"*.mp3", u"song.mp3.part"));
    EXPECT_FALSE(WildcardMatch(u"*.mp3", u"song.mp"));
    EXPECT_TRUE(WildcardMatch(u"?.vok", u"å.VOK"));
    EXPECT_FALSE(WildcardMatch(u"?.vok", u".vok"));
    EXPECT_TRUE(WildcardMatch(u"*a*b*c", u"xaxbxbxc"));  // needs backtracking
    EXPECT_TRUE(WildcardMatch(u"[1].mp3", u"[1].mp3"));  // brackets are plain characters
    EXPECT_FALSE(WildcardMatch(u"[1].mp3", u"1.mp3"));
    EXPECT_FALSE(WildcardMatch(u"", u"a"));
    EXPECT_TRUE(WildcardMatch(u"**", u""));
}

TEST(WildcardMatch, LongHostileInputStaysFast) {
    const QString name(20000, QLatin1Char('a'));
    EXPECT_FALSE(WildcardMatch(QString(50, QLatin1Char('*')) + QStringLiteral("b"), name));
}

class FindFilesTest : public testing::Test {
  protected:
    void SetUp() override {
        top_ = dir_.Path() + QStringLiteral("/");
        dir_.Write("z.vok", "x");
        dir_.Write("C.VOK", "x");
        dir_.Write("m.mp3", "x");
        dir_.Write(".hidden.vok", "x");
        dir_.MakeDir("folder.vok");
        dir_.Write("b/x.vok", "x");
        dir_.Write("A/y.vok", "x");
        dir_.Write("A/deep/er/w.vok", "x");
        dir_.Write("A/deep/v.mp3", "x");
        dir_.Write(".git/g.vok", "x");
    }
    QStringList Find(const QString& pattern, bool recursive) {
        QStringList found;
        FindFiles(top_ + pattern, recursive, true, found);
        return found;
    }
    TempDir dir_;
    QString top_;
};

TEST_F(FindFilesTest, FlatScanTakesOnlyTheFolderOwnMatchingFiles) {
    EXPECT_EQ(Find("*.vok", false), (QStringList{top_ + "C.VOK", top_ + "z.vok"}));
    EXPECT_EQ(Find("*.mp3", false), QStringList{top_ + "m.mp3"});
}

TEST_F(FindFilesTest, RecursiveScanPutsTopFilesFirstThenAllBelowSortedByPath) {
    EXPECT_EQ(Find("*.vok", true),
              (QStringList{top_ + "C.VOK", top_ + "z.vok", top_ + "A/deep/er/w.vok",
                           top_ + "A/y.vok", top_ + "b/x.vok"}));
    EXPECT_EQ(Find("*.mp3", true), (QStringList{top_ + "m.mp3", top_ + "A/deep/v.mp3"}));
}

TEST_F(FindFilesTest, AppendsOrReplacesTheTarget) {
    QStringList target{"kept"};
    FindFiles(top_ + "*.mp3", false, true, target);
    EXPECT_EQ(target, (QStringList{"kept", top_ + "m.mp3"}));
    FindFiles(top_ + "*.mp3", false, false, target);
    EXPECT_EQ(target, QStringList{top_ + "m.mp3"});
    FindFiles(top_ + "nothing/*.mp3", true, false, target);
    EXPECT_TRUE(target.isEmpty());
}

TEST_F(FindFilesTest, MissingFolderEmptyPatternAndNulFindNothing) {
    EXPECT_TRUE(Find("gone/*.vok", true).isEmpty());
    EXPECT_TRUE(Find("", true).isEmpty());
    EXPECT_TRUE(Find(QStringLiteral("*.vok") + QChar(0), true).isEmpty());
}

TEST_F(FindFilesTest, NamesDifferingOnlyInCaseAreBothKept) {
    dir_.Write("b/X.vok", "x");
    const QStringList found = Find("*.vok", true);
    EXPECT_TRUE(found.contains(top_ + "b/X.vok"));
    EXPECT_TRUE(found.contains(top_ + "b/x.vok"));
}

TEST_F(FindFilesTest, FolderLinksBackIntoTheTreeEndAndScanEachFolderOnce) {
    ASSERT_TRUE(QFile::link(dir_.Path(), dir_.FilePath("A/deep/loop")));
    ASSERT_TRUE(QFile::link(dir_.FilePath("b"), dir_.FilePath("a-link-to-b")));
    ASSERT_TRUE(QFile::link(dir_.FilePath("gone"), dir_.FilePath("A/dangling.vok")));
    const QStringList found = Find("*.vok", true);
    EXPECT_EQ(found.size(), 5);
    EXPECT_EQ(found.count(top_ + "b/x.vok") + found.count(top_ + "a-link-to-b/x.vok"), 1);
}

TEST_F(FindFilesTest, LinkedFilesCountAsFiles) {
    ASSERT_TRUE(QFile::link(dir_.FilePath("m.mp3"), dir_.FilePath("A/linked.mp3")));
    EXPECT_TRUE(Find("*.mp3", true).contains(top_ + "A/linked.mp3"));
}

TEST_F(FindFilesTest, ReportsEachSubFolderAndCanBeStopped) {
    QStringList entered;
    int examined = 0;
    FindProgress progress;
    progress.enteringFolder = [&](const QString& folder) { entered.append(folder); };
    progress.betweenEntries = [&] {
        ++examined;
        return true;
    };
    QStringList found;
    FindFiles(top_ + "*.vok", true, true, found, progress);
    EXPECT_EQ(entered, (QStringList{top_ + "A", top_ + "A/deep", top_ + "A/deep/er", top_ + "b",
                                    top_ + "folder.vok"}));
    EXPECT_EQ(examined, 12);
    EXPECT_EQ(FolderScanStatus(top_ + "A"), ".: " + top_ + "A :.");

    progress.betweenEntries = [&] { return --examined > 8; };
    found.clear();
    FindFiles(top_ + "*.vok", true, true, found, progress);
    EXPECT_LT(found.size(), 5);
}

}  // namespace
}  // namespace vok
