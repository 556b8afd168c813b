#include <gtest/gtest.h>

#include <QPainter>
#include <QStringList>

#include "ControlsTestSupport.h"
#include "controls/ButtonPictures.h"
#include "controls/ControlPanel.h"

namespace vok {
namespace {

using test::Render;
using test::Rgb;

TEST(ButtonPicturesTest, ListsHaveTheirSizesAndDistinctStates) {
    struct Case {
        const char* name;
        QSize size;
        int count;
    };
    for (const Case& c :
         {Case{"PrevBtn", {16, 16}, 2}, Case{"StopBtn", {16, 16}, 2}, Case{"PlayBtn", {16, 15}, 3},
          Case{"PausBtn", {16, 15}, 3}, Case{"NextBtn", {16, 16}, 2}}) {
        SCOPED_TRACE(c.name);
        const TImageList list = KnapparFor(QLatin1String(c.name));
        ASSERT_EQ(list.Count(), c.count);
        EXPECT_EQ(list.ImageSize, c.size);
        for (int i = 0; i < c.count; ++i) {
            EXPECT_EQ(list.Images[static_cast<std::size_t>(i)].size(), c.size);
            for (int j = 0; j < i; ++j) {
                EXPECT_NE(list.Images[static_cast<std::size_t>(i)].toImage(),
                          list.Images[static_cast<std::size_t>(j)].toImage());
            }
        }
    }
    EXPECT_EQ(KnapparFor(QStringLiteral("VokBtn")).Count(), 0);
}

// The transport buttons wired the way the player window wires them.
class TransportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        panel_.resize(640, 180);
        controls_ = CreatePanelControls(&panel_);
        for (int i = 0; i < 5; ++i) {
            TImageEx* button = controls_.TransportButtons(i);
            QObject::connect(button, &TImageEx::OnMouseDown, [button] { BtnMouseDown(button); });
            QObject::connect(button, &TImageEx::OnMouseUp, [this, button] {
                events_ << QStringLiteral("up");
                BtnMouseUp(button, channelActive_);
            });
            QObject::connect(button, &TImageEx::OnClick, [this, button] {
                events_ << QStringLiteral("click ") + button->objectName();
                if (button == controls_.PlayBtn) {
                    channelActive_ = ChannelPlaying;  // the click starts the song
                }
            });
        }
    }
    QWidget panel_;
    PanelControls controls_;
    int channelActive_ = 0;
    QStringList events_;
};

TEST_F(TransportTest, ClickRunsBeforeThePictureIsChosen) {
    TImageEx& play = *controls_.PlayBtn;
    EXPECT_EQ(play.ImageIndex(), 0);
    test::SendMouse(play, QEvent::MouseButtonPress, {3, 3});
    EXPECT_EQ(play.ImageIndex(), 1);
    test::SendMouse(play, QEvent::MouseButtonRelease, {3, 3});
    EXPECT_EQ(events_, QStringList({"click PlayBtn", "up"}));
    EXPECT_EQ(play.ImageIndex(), 2);  // lit: the click made it play
}

TEST_F(TransportTest, DraggingOffPressesButDoesNotClick) {
    TImageEx& play = *controls_.PlayBtn;
    test::SendMouse(play, QEvent::MouseButtonPress, {3, 3});
    EXPECT_EQ(play.ImageIndex(), 1);
    test::SendMouse(play, QEvent::MouseButtonRelease, {40, 3});
    EXPECT_EQ(events_, QStringList({"up"}));
    EXPECT_EQ(play.ImageIndex(), 0);

    channelActive_ = ChannelPaused;
    TImageEx& pause = *controls_.PausBtn;
    test::SendMouse(pause, QEvent::MouseButtonPress, {3, 3}, Qt::RightButton);
    EXPECT_EQ(pause.ImageIndex(), 1);  // any mouse button presses the picture
    test::SendMouse(pause, QEvent::MouseButtonRelease, {3, 3}, Qt::RightButton);
    EXPECT_EQ(pause.ImageIndex(), 2);
    EXPECT_EQ(events_.count(QStringLiteral("click PausBtn")), 0);  // only the left one clicks
}

TEST_F(TransportTest, PicturesAreDrawnUnscaledAndClipped) {
    // Play is one column wider than its pictures: that column stays unpainted.
    const QImage play = Render(*controls_.PlayBtn);
    EXPECT_EQ(play.size(), QSize(17, 15));
    EXPECT_EQ(play.pixel(16, 7), Rgb(255, 0, 255));
    EXPECT_EQ(play.copy(0, 0, 16, 15),
              PlayKnappar().Images[0].toImage().convertToFormat(QImage::Format_RGB32));
    // Stop is one row shorter than its pictures: the last row is cut off.
    const QImage stop = Render(*controls_.StopBtn);
    EXPECT_EQ(stop.size(), QSize(16, 15));
    EXPECT_EQ(
        stop,
        StopKnappar().Images[0].toImage().convertToFormat(QImage::Format_RGB32).copy(0, 0, 16, 15));
    // An index the list does not hold changes nothing.
    controls_.StopBtn->ShowImage(StopKnappar(), 2);
    EXPECT_EQ(controls_.StopBtn->ImageIndex(), 0);
}

TEST_F(TransportTest, PanelRowsAreMirrored) {
    // The rows meet in their lighter edge.
    const QImage upper = Render(*controls_.VokText);
    const QImage lower = Render(*controls_.MP3Text);
    EXPECT_EQ(upper.pixel(10, 40), Rgb(0x53, 0x53, 0x53));
    EXPECT_EQ(lower.pixel(10, 0), Rgb(0x55, 0x55, 0x55));
    EXPECT_EQ(lower.pixel(10, 40), Rgb(3, 3, 3));

    // A picture of the whole panel, for looking at.
    const QString snapshot = qEnvironmentVariable("VOK_CONTROLS_SNAPSHOT");
    if (!snapshot.isEmpty()) {
        controls_.VokText->SetTitle(QStringLiteral("/home/user/Songs/Demo song.vok"));
        controls_.VokText->SetInfo(QStringLiteral("Copyright: Demo"));
        controls_.MP3Text->SetTitle(QStringLiteral("Demo song.mp3"));
        controls_.MP3Text->SetInfo(QStringLiteral("Length: 00:03:12"));
        test::SendEnter(*controls_.MP3Btn);
        controls_.PlayBtn->ShowImage(PlayKnappar(), 2);
        controls_.StopBtn->ShowImage(StopKnappar(), 1);
        QPalette palette = panel_.palette();
        palette.setColor(QPalette::Window, Qt::black);
        panel_.setPalette(palette);
        panel_.setAutoFillBackground(true);
        QImage image = panel_.grab().toImage().scaled(1280, 360);
        image.save(snapshot);
    }
}

}  // namespace
}  // namespace vok
