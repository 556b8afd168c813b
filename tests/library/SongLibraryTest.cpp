#include <gtest/gtest.h>

#include "library/SongLibrary.h"
#include "support/TempDir.h"

namespace vok::library {
namespace {

TEST(SongLibrary, OpensInATemporaryFolder) {
    const test::TempDir dir;
    SongLibrary library(dir.FilePath(QStringLiteral("library.sqlite")));
    EXPECT_EQ(library.SongCount(), 0);
}

}  // namespace
}  // namespace vok::library
