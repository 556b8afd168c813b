#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocale>

#include "QtPrinters.h"
#include "playlist/FindFiles.h"
#include "support/TempDir.h"

namespace vok {
namespace {

class FindFilesTest : public testing::Test {
  protected:
    void SetUp() override {
        top_ = dir_.Path() + QStringLiteral("/");
        for (const char* name : {"z.vok", "C.VOK", "m.mp3", ".hidden.vok", "b/x.vok", "A/y.vok",
                                 "A/deep/er/w.vok", "A/deep/v.mp3", ".git/g.vok"}) {
            dir_.Write(QString::fromUtf8(name), "x");
        }
        dir_.MakeDir("folder.vok");
    }
    QStringList Find(const QString& pattern, bool recursive) {
        QStringList found;
        FindFiles(top_ + pattern, recursive, true, found);
        return found;
    }
    test::TempDir dir_;
    QString top_;
};

TEST_F(FindFilesTest, RecursiveScanPutsTopFilesFirstThenAllBelowSortedByPath) {
    dir_.Write("b/X.vok", "x");  // differs only in case: another file here, kept
    dir_.Write("a/u.vok", "x");  // another folder than "A", but sorted among its files
    // The plain C locale (a bare system or a service) must still sort ignoring case.
    const QLocale before;
    QLocale::setDefault(QLocale::c());
    const QStringList found = Find("*.vok", true);
    QLocale::setDefault(before);
    EXPECT_EQ(found, (QStringList{top_ + "C.VOK", top_ + "z.vok", top_ + "A/deep/er/w.vok",
                                  top_ + "a/u.vok", top_ + "A/y.vok", top_ + "b/X.vok",
                                  top_ + "b/x.vok"}));
}

TEST_F(FindFilesTest, FlatScanTakesTheFolderOwnFilesAndAppendsOrReplaces) {
    EXPECT_EQ(Find("*.vok", false), (QStringList{top_ + "C.VOK", top_ + "z.vok"}));
    EXPECT_TRUE(Find("", true).isEmpty());
    QStringList target{"kept"};
    FindFiles(top_ + "*.mp3", true, true, target);
    EXPECT_EQ(target, (QStringList{"kept", top_ + "m.mp3", top_ + "A/deep/v.mp3"}));
    FindFiles(top_ + "nothing/*.mp3", true, false, target);
    EXPECT_TRUE(target.isEmpty());
}

TEST_F(FindFilesTest, LinksEndLoopsScanEachFolderOnceAndLinkedFilesCount) {
    ASSERT_TRUE(QFile::link(dir_.Path(), dir_.FilePath("A/deep/loop")));
    ASSERT_TRUE(QFile::link(dir_.FilePath("b"), dir_.FilePath("a-link-to-b")));
    ASSERT_TRUE(QFile::link(dir_.FilePath("gone"), dir_.FilePath("A/dangling.vok")));
    ASSERT_TRUE(QFile::link(dir_.FilePath("z.vok"), dir_.FilePath("A/linked.vok")));
    const QStringList found = Find("*.vok", true);
    EXPECT_EQ(found.size(), 6);
    EXPECT_TRUE(found.contains(top_ + "A/linked.vok"));
    EXPECT_EQ(found.count(top_ + "b/x.vok") + found.count(top_ + "a-link-to-b/x.vok"), 1);
}

TEST_F(FindFilesTest, ReportsEachSubFolderAndCanBeStopped) {
    QStringList entered;
    int examined = 0;
    FindProgress progress;
    progress.enteringFolder = [&](const QString& folder) { entered.append(folder); };
    progress.betweenEntries = [&] { return ++examined > 0; };
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

TEST_F(FindFilesTest, FolderThatVanishesDuringTheScanIsSkipped) {
    FindProgress progress;
    // The window processes events while "A" is scanned; meanwhile "A/deep" is deleted.
    progress.enteringFolder = [&](const QString& folder) {
        if (folder == top_ + "A") {
            QDir(top_ + "A/deep").removeRecursively();
        }
    };
    QStringList found;
    FindFiles(top_ + "*.vok", true, true, found, progress);
    EXPECT_EQ(found,
              (QStringList{top_ + "C.VOK", top_ + "z.vok", top_ + "A/y.vok", top_ + "b/x.vok"}));
}

}  // namespace
}  // namespace vok
