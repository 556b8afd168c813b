#include <gtest/gtest.h>

#include <QPainter>

#include "ControlsTestSupport.h"
#include "controls/Gradient.h"
#include "controls/KestButton.h"
#include "controls/VokPanel.h"

namespace vok {
namespace {

using test::Render;
using test::Rgb;

QImage Gradient(int width, int height, TColor from, TColor to) {
    QImage image(width, std::max(height, 1), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    DrawVerticalGradient(painter, width, height, from, to);
    return image;
}

TEST(GradientTest, RowsStepByCeilingAndStopShortOfTheEnd) {
    const QImage down = Gradient(3, 41, 0x02000000, 0x02555555);
    EXPECT_EQ(down.pixel(0, 0), Rgb(0, 0, 0));
    EXPECT_EQ(down.pixel(2, 1), Rgb(3, 3, 3));  // Ceil(2.07)
    EXPECT_EQ(down.pixel(1, 40), Rgb(0x53, 0x53, 0x53));
    const QImage up = Gradient(3, 41, 0x555555, 0);
    EXPECT_EQ(up.pixel(0, 0), Rgb(0x55, 0x55, 0x55));
    EXPECT_EQ(up.pixel(0, 1), Rgb(0x53, 0x53, 0x53));  // Ceil(-2.07) = -2
    EXPECT_EQ(up.pixel(0, 40), Rgb(3, 3, 3));
    // Channels move on their own: red up, blue down.
    const QImage mixed = Gradient(1, 10, 0xFF0000, 0x0000FF);
    EXPECT_EQ(mixed.pixel(0, 5), Rgb(128, 0, 128));
    // Whole steps stay whole (no rounding up by a hair).
    EXPECT_EQ(GradientChannel(0, 0x99, 51, 17), 51);
    EXPECT_EQ(GradientChannel(10, 0, 3, 2), 4);  // 10 + Ceil(-6.67)
    // Zero rows: nothing drawn.
    EXPECT_EQ(Gradient(3, 0, 0, 0xFFFFFF).pixel(0, 0), Rgb(255, 0, 255));
}

TEST(VokPanelTest, DefaultsAndTextLines) {
    TVokPanel panel;
    panel.resize(481, 41);
    EXPECT_EQ(panel.TitleColor, colors::Green);
    EXPECT_EQ(panel.InfoColor, colors::Black);
    const QImage plain = Render(panel);
    EXPECT_EQ(plain.pixel(0, 0), Rgb(0, 0, 0));
    EXPECT_EQ(plain.pixel(480, 40), Rgb(0x53, 0x53, 0x53));

    // An info line without a title is not drawn.
    panel.SetInfo(QStringLiteral("Copyright: nobody"));
    EXPECT_EQ(Render(panel), plain);

    panel.TitleColor = colors::Lime;
    panel.InfoColor = colors::Yellow;
    panel.SetTitle(QStringLiteral("/music/song.vok"));
    const QImage text = Render(panel);
    EXPECT_TRUE(test::HasColor(text.copy(5, 5, 200, 15), Rgb(0, 255, 0)));
    EXPECT_TRUE(test::HasColor(text.copy(5, 20, 200, 21), Rgb(255, 255, 0)));
    EXPECT_FALSE(test::HasColor(text.copy(0, 0, 5, 41), Rgb(0, 255, 0)));  // left margin
}

class KestButtonTest : public ::testing::Test {
  protected:
    void SetUp() override {
        button_.resize(102, 41);
        button_.SetCaption(QStringLiteral("Load"));
        QObject::connect(&button_, &TKestButton::OnClick, [this] { ++clicks_; });
    }
    TKestButton button_;
    int clicks_ = 0;
};

TEST_F(KestButtonTest, LooksNormalMouseOverAndDisabled) {
    QImage normal = Render(button_);
    EXPECT_EQ(normal.pixel(0, 40), Rgb(0x53, 0x53, 0x53));
    EXPECT_TRUE(test::HasColor(normal, Rgb(0, 128, 0)));

    int entered = 0;
    int left = 0;
    QObject::connect(&button_, &TKestButton::OnMouseEnter, [&] { ++entered; });
    QObject::connect(&button_, &TKestButton::OnMouseLeave, [&] { ++left; });
    test::SendEnter(button_);
    EXPECT_TRUE(button_.MouseOver());
    const QImage over = Render(button_);
    EXPECT_EQ(over.pixel(0, 40), Rgb(0x96, 0x96, 0x96));  // towards 0x99
    EXPECT_TRUE(test::HasColor(over, Rgb(255, 255, 0)));
    EXPECT_FALSE(test::HasColor(over, Rgb(0, 128, 0)));

    // Disabled under the mouse: the normal gradient and a grey caption.
    button_.setEnabled(false);
    const QImage disabled = Render(button_);
    EXPECT_EQ(disabled.pixel(0, 40), Rgb(0x53, 0x53, 0x53));
    EXPECT_TRUE(test::HasColor(disabled, Rgb(128, 128, 128)));
    EXPECT_FALSE(test::HasColor(disabled, Rgb(255, 255, 0)));

    button_.setEnabled(true);
    test::SendLeave(button_);
    EXPECT_EQ(Render(button_), normal);
    EXPECT_EQ(entered, 1);
    EXPECT_EQ(left, 1);
}

TEST_F(KestButtonTest, CaptionPlacement) {
    EXPECT_EQ(TKestButton::CaptionOrigin({30, 15}, {102, 41}), QPoint(51 - 15, 20 - 7));
    EXPECT_EQ(TKestButton::CaptionOrigin({31, 15}, {102, 41}), QPoint(51 - 15, 20 - 7));
    EXPECT_EQ(TKestButton::CaptionOrigin({200, 15}, {53, 41}), QPoint(0, 13));
    EXPECT_EQ(TKestButton::CaptionOrigin({20, 60}, {53, 41}), QPoint(16, 0));
    // A caption wider than the button starts at the left edge and is clipped on the right.
    button_.resize(20, 41);
    button_.SetCaption(QStringLiteral("Wide caption"));
    const QImage image = Render(button_);
    EXPECT_FALSE(test::HasColor(image, Rgb(255, 0, 255)));
    EXPECT_TRUE(test::HasColor(image.copy(0, 0, 3, 41), Rgb(0, 128, 0)));
}

TEST_F(KestButtonTest, ClickRules) {
    test::Click(button_);
    EXPECT_EQ(clicks_, 1);
    test::Click(button_, {150, 2});  // released off the button
    EXPECT_EQ(clicks_, 1);
    test::Click(button_, {2, 2}, Qt::RightButton);
    EXPECT_EQ(clicks_, 1);
    button_.setEnabled(false);
    test::Click(button_);
    EXPECT_EQ(clicks_, 1);
    // Disabled between press and release: no click either.
    button_.setEnabled(true);
    test::SendMouse(button_, QEvent::MouseButtonPress, {2, 2});
    button_.setEnabled(false);
    button_.setEnabled(true);
    test::SendMouse(button_, QEvent::MouseButtonRelease, {2, 2});
    EXPECT_EQ(clicks_, 1);
}

}  // namespace
}  // namespace vok
