#include <gtest/gtest.h>

#include <memory>

#include "library/LibraryTestSupport.h"
#include "library/SongLibrary.h"

namespace vok::library {
namespace {

// What a search finds: the file names of the rows, best first.
struct SearchCase {
    const char* Name;
    const char* Text;
    std::vector<const char*> Files;
};

class SearchRules : public ::testing::TestWithParam<SearchCase> {
  protected:
    static void SetUpTestSuite() {
        dir_ = std::make_unique<vok::test::TempDir>();
        const auto song = [](const char* file, const char* title, const char* artist) {
            test::WriteSong(*dir_, QStringLiteral("songs/") + QLatin1String(file),
                            QString::fromUtf8(title), QString::fromUtf8(artist));
        };
        song("a.mp3", "Midnight Train to Georgia", "Gladys Knight");
        song("b.mp3", "Vienna", "Midge Ure");
        song("midi_tune.mp3", "Elevator", "Nobody");
        song("c.mp3", "Pour que tu m'aimes encore", "Céline Dion");
        song("d.mp3", "Don't Stop Me Now", "Queen");
        song("SC8123-05 - Toto - Africa.mp3", "", "");
        library_ = std::make_unique<SongLibrary>(dir_->FilePath(QStringLiteral("library.sqlite")));
        library_->AddFolders({dir_->FilePath(QStringLiteral("songs"))});
        ASSERT_TRUE(library_->WaitUntilIdle(30000));
    }
    static void TearDownTestSuite() {
        library_.reset();
        dir_.reset();
    }

    static std::unique_ptr<vok::test::TempDir> dir_;
    static std::unique_ptr<SongLibrary> library_;
};

std::unique_ptr<vok::test::TempDir> SearchRules::dir_;
std::unique_ptr<SongLibrary> SearchRules::library_;

TEST_P(SearchRules, FindsEveryWordAsAPrefixBestFirst) {
    std::vector<std::string> found;
    for (const SongRow& row : library_->Search(QString::fromUtf8(GetParam().Text))) {
        found.push_back(row.Path.mid(row.Path.lastIndexOf(QLatin1Char('/')) + 1).toStdString());
    }
    const std::vector<std::string> expected(GetParam().Files.begin(), GetParam().Files.end());
    EXPECT_EQ(found, expected);
}

TEST_F(SearchRules, ASongWithoutTagsIsNamedByItsKaraokeFileName) {
    const QList<SongRow> rows = library_->Search(QStringLiteral("toto"));
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].Title, QStringLiteral("Africa"));
    EXPECT_EQ(rows[0].Artist, QStringLiteral("Toto"));
}

INSTANTIATE_TEST_SUITE_P(
    Library, SearchRules,
    ::testing::Values(
        SearchCase{"TwoPrefixes", "mid tra", {"a.mp3"}},
        SearchCase{"WordsInAnyColumnAndOrder", "knight georg", {"a.mp3"}},
        SearchCase{"TitleBeforeArtistBeforeFileName", "mid", {"a.mp3", "b.mp3", "midi_tune.mp3"}},
        SearchCase{"DiacriticsAndCaseIgnored", "CELINE", {"c.mp3"}},
        SearchCase{"DiacriticsInTheQuery", "céli", {"c.mp3"}},
        SearchCase{"FileNameSeparators", "tune", {"midi_tune.mp3"}},
        SearchCase{"Apostrophe", "don't st", {"d.mp3"}}, SearchCase{"NoMatch", "zzz", {}},
        SearchCase{
            "EmptyListsByTitle",
            "  ",
            {"SC8123-05 - Toto - Africa.mp3", "d.mp3", "midi_tune.mp3", "a.mp3", "c.mp3", "b.mp3"}},
        SearchCase{"UnbalancedQuote", "\"mid", {"a.mp3", "b.mp3", "midi_tune.mp3"}},
        SearchCase{"StarAndMinus", "-mid*", {"a.mp3", "b.mp3", "midi_tune.mp3"}},
        SearchCase{"OperatorsArePlainWords", "mid OR queen", {}},
        SearchCase{"NearIsAPlainWord", "NEAR(mid tra)", {}},
        SearchCase{"ColumnFilterIsPlainText", "artist:queen", {}},
        SearchCase{"OnlyPunctuation",
                   "\"*:^()",
                   {"SC8123-05 - Toto - Africa.mp3", "d.mp3", "midi_tune.mp3", "a.mp3", "c.mp3",
                    "b.mp3"}}),
    [](const ::testing::TestParamInfo<SearchCase>& param) {
        return std::string(param.param.Name);
    });

}  // namespace
}  // namespace vok::library
