// The player window as a view of the controller: real key and mouse events, the pictures and
// bars it shows, its menu, and closing it.

#include "app/VokPlayForm.h"
#include "controls/VolumeBar.h"
#include "display/ScreenGeometry.h"
#include "player/PlayerFixture.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <limits>

namespace vok::test {
namespace {

class PlayerWindowTest : public PlayerFixture {
  protected:
    void TearDown() override {
        form.reset();
        PlayerFixture::TearDown();
    }

    TVokPlayForm& Show(const QStringList& parameters = {}) {
        form.reset();
        Create(parameters);
        form = std::make_unique<TVokPlayForm>(*controller);
        form->show();
        QCoreApplication::processEvents();  // the first-show step
        return *form;
    }

    // A key pressed and released on the window, as the window system delivers it.
    bool Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        const bool handled = QCoreApplication::sendEvent(form.get(), &press);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers);
        QCoreApplication::sendEvent(form.get(), &release);
        return handled && press.isAccepted();
    }

    static void Mouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button,
                      Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(at), QPointF(target->mapToGlobal(at)), button, held,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(target, &event);
    }

    std::unique_ptr<TVokPlayForm> form;
};

TEST_F(PlayerWindowTest, KeysReachThePlayerAndThePicturesFollowThePlayState) {
    TVokPlayForm& shown = Show();
    dialogs.Picks = {Tone()};
    controller->MP3BtnClick();
    EXPECT_TRUE(Key(Qt::Key_Tab)) << "Tab never moves the focus";

    Key(Qt::Key_Space);
    EXPECT_EQ(controller->State(), PlayState::Playing);
    EXPECT_EQ(shown.Controls().PlayBtn->ImageIndex(), 2);
    EXPECT_FALSE(shown.Controls().VokBtn->isEnabled()) << "no loading while a song plays";
    PlayFor(1.0);
    Key(Qt::Key_Space);
    EXPECT_EQ(shown.Controls().PausBtn->ImageIndex(), 2);
    Key(Qt::Key_Space);  // from its start again
    EXPECT_EQ(shown.Controls().PausBtn->ImageIndex(), 0);
    Key(Qt::Key_Escape);
    EXPECT_EQ(shown.Controls().PlayBtn->ImageIndex(), 0);
    EXPECT_EQ(shown.Controls().PausBtn->ImageIndex(), 0);
    EXPECT_TRUE(shown.Controls().MP3Btn->isEnabled());

    Key(Qt::Key_F10);
    EXPECT_TRUE(shown.RandBtn()->isChecked());
    EXPECT_TRUE(controller->Playlist().Random());
    shown.RandBtn()->click();
    EXPECT_FALSE(controller->Playlist().Random()) << "the button and the key toggle the same mode";
}

TEST_F(PlayerWindowTest, TheVolumeBarPicksTheVolumeAndShowsItInItsGreen) {
    TVokPlayForm& shown = Show();
    TVolBar* bar = shown.VolBar();
    Mouse(bar, QEvent::MouseButtonRelease, {10, 32}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(controller->Engine().Volume(), 127);
    EXPECT_EQ(bar->Value(), 127);
    EXPECT_EQ(bar->BarColor(), QColor(0, 127, 0));

    Mouse(bar, QEvent::MouseMove, {10, 0}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(controller->Engine().Volume(), 127) << "moving without the button sets nothing";
    Mouse(bar, QEvent::MouseMove, {10, 0}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(controller->Engine().Volume(), 255);
    EXPECT_TRUE(Key(Qt::Key_Minus, Qt::KeypadModifier));
    EXPECT_EQ(bar->Value(), 239) << "the keys move the bar too";

    EXPECT_EQ(TVolBar::ValueAt(-40, 64), 255);
    EXPECT_EQ(TVolBar::ValueAt(200, 64), 0);
    EXPECT_EQ(TVolBar::ValueAt(std::numeric_limits<int>::min(), 64), 255);
    EXPECT_EQ(TVolBar::ValueAt(10, 0), 0);
}

// Sends a context-menu request at `at`; true when a menu opened there (it is closed again).
bool MenuOpensAt(QWidget& window, QPoint at) {
    bool opened = false;
    QTimer::singleShot(0, &window, [&opened] {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            opened = true;
            popup->close();
        }
    });
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, window.mapToGlobal(at));
    QCoreApplication::sendEvent(&window, &request);
    QCoreApplication::processEvents();  // the check runs here when no menu opened
    return opened;
}

TEST_F(PlayerWindowTest, TheRightButtonSeeksOnTheBarAndOpensTheMenuOnlyAboveIt) {
    TVokPlayForm& shown = Show();
    dialogs.Picks = {Tone()};
    controller->MP3BtnClick();
    controller->PlayBtnClick();
    PlayFor(0.2);

    EXPECT_TRUE(MenuOpensAt(shown, QPoint(320, 279)));
    EXPECT_FALSE(MenuOpensAt(shown, QPoint(320, 281))) << "the bar's release must reach the seek";
    Mouse(&shown, QEvent::MouseButtonRelease, {320, 290}, Qt::RightButton, Qt::NoButton);
    PlayFor(audio::DeviceLatency() + 0.05);
    EXPECT_GE(PositionMs(), 6000);
    EXPECT_LT(PositionMs(), 6500);
}

TEST_F(PlayerWindowTest, AHandedFileBringsAMinimisedWindowBackAndClosingWritesTheSettings) {
    Tone();
    const QString vok = Lyrics(QStringLiteral("song.vok"), QStringLiteral("tone.mp3"));
    TVokPlayForm& shown = Show();
    EXPECT_EQ(shown.windowTitle(), QStringLiteral("Kestrovane Vokalento"));
    shown.showMinimized();
    controller->OpenHandedFile(vok);
    EXPECT_FALSE(shown.isMinimized());
    EXPECT_EQ(shown.Controls().VokText->Title(), vok);
    EXPECT_EQ(shown.Controls().MP3Text->Title(), QStringLiteral("tone.mp3"));
    EXPECT_EQ(shown.Controls().MP3Text->toolTip(), dir.FilePath(QStringLiteral("tone.mp3")));

    shown.close();
    EXPECT_EQ(controller->State(), PlayState::Idle);
    EXPECT_TRUE(QFileInfo(dir.FilePath(QStringLiteral("VokPlayer.ini"))).isFile());
    EXPECT_TRUE(QFileInfo(dir.FilePath(QStringLiteral("default.vpl"))).isFile());
}

TEST_F(PlayerWindowTest, FullScreenCoversTheDisplayWithoutPanelAndAltEnterComesBack) {
    TVokPlayForm& shown = Show();
    const QPoint placed = shown.pos();
    QWidget* info = shown.Controls().MP3Text;
    Mouse(info, QEvent::MouseButtonDblClick, {5, 5}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_FALSE(controller->FullScreen()) << "the panel's controls keep the screen mode";
    shown.findChild<QPushButton*>(QStringLiteral("FSBtn"))->click();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(shown.size(), screen.size());
    EXPECT_TRUE(shown.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_FALSE(shown.findChild<QWidget*>(QStringLiteral("Panelen"))->isVisible());
    EXPECT_EQ(shown.cursor().shape(), Qt::BlankCursor);

    Key(Qt::Key_Return, Qt::AltModifier);
    EXPECT_EQ(shown.size(), QSize(640, 480));
    EXPECT_EQ(shown.pos(), placed);
    EXPECT_FALSE(shown.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(shown.findChild<QWidget*>(QStringLiteral("Panelen"))->isVisible());
    Mouse(&shown, QEvent::MouseButtonDblClick, {320, 150}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_TRUE(controller->FullScreen()) << "a double click on the display area";
}

}  // namespace
}  // namespace vok::test
