#include <gtest/gtest.h>

#include <QString>

#include "core/Wildcard.h"

namespace vok {
namespace {

TEST(WildcardMatch, StarsAndQuestionMarksIgnoringCase) {
    EXPECT_TRUE(WildcardMatch(u"Song.MP3", u"song.mp3"));
    EXPECT_TRUE(WildcardMatch(u"*.mp3", u"Song.MP3"));
    EXPECT_TRUE(WildcardMatch(u"s?ng.mp3", u"SUNG.mp3"));
    EXPECT_TRUE(WildcardMatch(u"?.vok", u"å.VOK"));
    EXPECT_TRUE(WildcardMatch(u"\u00c5*", u"\u00e5ngest"));
    EXPECT_TRUE(WildcardMatch(u"*", u""));
    EXPECT_TRUE(WildcardMatch(u"*a*b*c", u"xaxbxbxc"));  // needs backtracking
    EXPECT_FALSE(WildcardMatch(u"?.vok", u".vok"));
    EXPECT_FALSE(WildcardMatch(u"*.mp3", u"song.mp3.part"));
    EXPECT_FALSE(WildcardMatch(u"", u"a"));
}

TEST(WildcardMatch, OtherCharactersAreLiteral) {
    EXPECT_FALSE(WildcardMatch(u"[ab].mp3", u"a.mp3"));
    EXPECT_TRUE(WildcardMatch(u"[ab].mp3", u"[AB].mp3"));
}

TEST(WildcardMatch, HostilePatternsStayFast) {
    EXPECT_FALSE(WildcardMatch(QString(50, QLatin1Char('*')) + "b", QString(20000, 'a')));
    EXPECT_FALSE(WildcardMatch(u"*a*a*a*a*a*b", QString(5000, 'a')));
}

}  // namespace
}  // namespace vok
