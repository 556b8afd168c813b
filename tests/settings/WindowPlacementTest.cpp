#include <gtest/gtest.h>

#include "settings/WindowPlacement.h"

namespace vok {
namespace {

const QSize kWindow(646, 480);
const QRect kPrimary(0, 0, 1920, 1080);
const QList<QRect> kOneScreen{kPrimary};

TEST(PlaceMainWindow, MinusOneOrBeyondTheScreenCentres) {
    const QRect centred(QPoint(960 - 323, 540 - 240), kWindow);
    EXPECT_EQ(PlaceMainWindow(-1, -1, kWindow, kPrimary, kOneScreen), centred);
    EXPECT_EQ(PlaceMainWindow(5000, 5000, kWindow, kPrimary, kOneScreen), centred);
    EXPECT_EQ(PlaceMainWindow(1921, 100, kWindow, kPrimary, kOneScreen).topLeft(),
              QPoint(637, 100));
    // Odd sizes: both halves truncate.
    EXPECT_EQ(PlaceMainWindow(-1, -1, QSize(101, 51), QRect(0, 0, 1001, 601), {}).topLeft(),
              QPoint(500 - 50, 300 - 25));
}

TEST(PlaceMainWindow, StoredValuesOnTheScreenAreKept) {
    EXPECT_EQ(PlaceMainWindow(0, 0, kWindow, kPrimary, kOneScreen).topLeft(), QPoint(0, 0));
    EXPECT_EQ(PlaceMainWindow(-100, -2, kWindow, kPrimary, kOneScreen).topLeft(), QPoint(-100, -2));
    EXPECT_EQ(PlaceMainWindow(1919, 1079, kWindow, kPrimary, kOneScreen).topLeft(),
              QPoint(1919, 1079));
}

TEST(PlaceMainWindow, EdgeOnTheScreenBorderDependsOnWhatLiesThere) {
    // Left edge exactly on the right border: off every screen, so centred rather than lost.
    EXPECT_EQ(PlaceMainWindow(1920, 100, kWindow, kPrimary, kOneScreen).topLeft(),
              QPoint(637, 300));
    // With a second display to the right the window is visible there and stays.
    const QList<QRect> two{kPrimary, QRect(1920, 0, 1280, 1024)};
    EXPECT_EQ(PlaceMainWindow(1920, 100, kWindow, kPrimary, two).topLeft(), QPoint(1920, 100));
    // Without any knowledge of the displays the plain rule stands.
    EXPECT_EQ(PlaceMainWindow(1920, 100, kWindow, kPrimary, {}).topLeft(), QPoint(1920, 100));
}

TEST(PlaceMainWindow, PositionOnAVanishedDisplayIsBroughtBack) {
    EXPECT_EQ(PlaceMainWindow(-1500, 200, kWindow, kPrimary, kOneScreen).topLeft(),
              QPoint(637, 300));
    // A primary display that does not start at the origin centres on itself.
    const QRect offset(1280, 0, 1920, 1080);
    EXPECT_EQ(PlaceMainWindow(-1, -1, kWindow, offset, {QRect(0, 0, 1280, 1024), offset}).topLeft(),
              QPoint(1280 + 637, 300));
}

TEST(PlayListBounds, MinusOneTakesThePlayerCornerAndTheDefaultSize) {
    EXPECT_EQ(PlayListWindowBounds(-1, -1, -1, -1, QPoint(40, 50)), QRect(40, 50, 277, 391));
    EXPECT_EQ(PlayListWindowBounds(5, -3, 300, 200, QPoint(40, 50)), QRect(5, -3, 300, 200));
    EXPECT_EQ(PlayListWindowBounds(-1, 7, 0, -9, QPoint(40, 50)), QRect(40, 7, 277, 391));
}

}  // namespace
}  // namespace vok
