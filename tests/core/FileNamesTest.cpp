#include <gtest/gtest.h>

#include "core/FileNames.h"

namespace vok {
namespace {

TEST(IsLyricFileName, LooksOnlyAtTheLastFourCharactersIgnoringCase) {
    EXPECT_TRUE(IsLyricFileName("/songs/a.vok"));
    EXPECT_TRUE(IsLyricFileName("A.VoK"));
    EXPECT_TRUE(IsLyricFileName(".vok"));
    EXPECT_FALSE(IsLyricFileName("a.vok.mp3"));
    EXPECT_FALSE(IsLyricFileName("vok"));
    EXPECT_FALSE(IsLyricFileName(""));
}

TEST(NameWithoutExtension, CutsAtTheLastDotOfTheFileNamePart) {
    EXPECT_EQ(NameWithoutExtension("/music/my.song.mp3"), "my.song");
    EXPECT_EQ(NameWithoutExtension("/music/AC\\DC.mp3"), "AC\\DC") << "a local name keeps it";
    EXPECT_EQ(NameWithoutExtension("/dir.with.dots/noext"), "");
    EXPECT_EQ(NameWithoutExtension("/music/.hidden"), "");
    EXPECT_EQ(NameWithoutExtension("plain."), "plain");
}

TEST(FileNames, StoredNamesSplitAtBothSeparatorsLocalPathsAtSlashOnly) {
    EXPECT_EQ(FileNamePart("C:\\a\\b/c.mp3"), "c.mp3");
    EXPECT_EQ(FileNamePart("c.mp3"), "c.mp3");
    EXPECT_EQ(FileNamePart("/a/"), "");
    EXPECT_EQ(FileNamePart("/music/AC\\DC.mp3"), "DC.mp3");

    EXPECT_EQ(LocalFileName("/music/AC\\DC.mp3"), "AC\\DC.mp3");
    EXPECT_EQ(LocalFileName("AC\\DC.mp3"), "AC\\DC.mp3");
    EXPECT_EQ(LocalFileName("/music/sub/"), "");
    EXPECT_EQ(LocalFileName("/"), "");
    EXPECT_EQ(LocalFileName(""), "");
}

}  // namespace
}  // namespace vok
