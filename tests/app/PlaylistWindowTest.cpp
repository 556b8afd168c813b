// The playlist window as a view of the controller: keys, Delete, drops, the progress bar, the
// "Playlist" button and its placement, with real events on the offscreen platform.

#include "app/AddSelectorFrm.h"
#include "app/LibraryFrm.h"
#include "app/PlayListFrm.h"
#include "app/VokPlayForm.h"
#include "player/PlayerFixture.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>

namespace vok::test {
namespace {

class PlaylistWindowTest : public PlayerFixture {
  protected:
    void TearDown() override {
        library.reset();
        playlist.reset();
        form.reset();
        PlayerFixture::TearDown();
    }

    TPlayListFrm& Show(int entries) {
        Create();
        form = std::make_unique<TVokPlayForm>(*controller);
        playlist = std::make_unique<TPlayListFrm>(*controller, QPoint(40, 50));
        form->AttachPlaylistWindow(playlist.get());
        form->show();
        QCoreApplication::processEvents();  // the first-show step
        QStringList files;
        for (int i = 0; i < entries; ++i) {
            files.append(Tone(QStringLiteral("song%1.mp3").arg(i)));
        }
        if (!files.isEmpty()) {
            dialogs.FilePicks = files;
            controller->AddFilesBtnClick();
        }
        playlist->show();
        return *playlist;
    }

    // Pressed and released on the rows; true when the press was swallowed.
    bool Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        press.ignore();
        const bool swallowed = QCoreApplication::sendEvent(playlist->SpelLista(), &press);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers);
        QCoreApplication::sendEvent(playlist->SpelLista(), &release);
        return swallowed;
    }

    int Selected() const { return playlist->SpelLista()->SelectedRow(); }
    QString Row(int row) const {
        const PlaylistModel& model = playlist->Model();
        return model.data(model.index(row, PlaylistModel::FileColumn), Qt::DisplayRole).toString();
    }
    QString Entry(int index) const { return controller->Playlist().PlayItems().value(index); }

    // Keys typed into `target`, as the keyboard sends them.
    static void Type(QWidget* target, int key, const QString& text = QString(),
                     Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QCoreApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
        QCoreApplication::sendEvent(target, &release);
    }

    std::unique_ptr<TVokPlayForm> form;
    std::unique_ptr<TPlayListFrm> playlist;
    std::unique_ptr<TLibraryFrm> library;
};

TEST_F(PlaylistWindowTest, DefaultListAtStartFillsRowsSelectionAndStatusLine) {
    const QString a = Tone(QStringLiteral("a.mp3"));
    const QString b = Tone(QStringLiteral("b.mp3"));
    dir.Write(QStringLiteral("default.vpl"), (a + "\r\n" + b + "\r\n").toUtf8());
    Show(0);
    EXPECT_EQ(playlist->Model().rowCount(), 2);
    EXPECT_EQ(Selected(), 0);
    EXPECT_EQ(playlist->PLSB()->text(), QStringLiteral("Files in list: 2"));
    EXPECT_EQ(playlist->SpelLista()->header()->sectionSize(PlaylistModel::FileColumn), 1);
}

TEST_F(PlaylistWindowTest, ArrowKeysGoToThePlayerAndNeverMoveTheSelection) {
    Show(3);
    controller->VokListaDblClick(2);
    playlist->SpelLista()->SelectRow(2);
    ASSERT_EQ(controller->PlayIndex(), 2);
    EXPECT_TRUE(Key(Qt::Key_Up));
    EXPECT_EQ(controller->PlayIndex(), 1);  // the player's rule moved the active entry
    EXPECT_EQ(Selected(), 2);
    EXPECT_TRUE(Key(Qt::Key_Down));
    EXPECT_EQ(Selected(), 2);
    EXPECT_TRUE(Key(Qt::Key_Minus, Qt::KeypadModifier));
}

TEST_F(PlaylistWindowTest, DeleteRemovesTheSelectedRowButNeverTheActiveOne) {
    Show(4);
    controller->VokListaDblClick(1);
    const QString active = Entry(1);

    playlist->SpelLista()->SelectRow(1);
    Key(Qt::Key_Delete);
    EXPECT_EQ(controller->Playlist().Count(), 4);

    playlist->SpelLista()->SelectRow(0);
    Key(Qt::Key_Delete);
    EXPECT_EQ(controller->Playlist().Count(), 3);
    EXPECT_EQ(Selected(), 0);  // the row now at the same place
    EXPECT_EQ(Entry(controller->PlayIndex()), active);

    playlist->SpelLista()->SelectRow(2);
    Key(Qt::Key_Delete);
    EXPECT_EQ(Selected(), 1);  // the last row went: the one above it
    EXPECT_EQ(playlist->PLSB()->text(), QStringLiteral("Files in list: 2"));
    EXPECT_EQ(playlist->Model().rowCount(), 2);
}

TEST_F(PlaylistWindowTest, DropsMoveRowsFromTheListOnlyAndTheActiveEntryFollows) {
    Show(4);
    controller->VokListaDblClick(0);
    const QStringList before = controller->Playlist().PlayItems();

    // A file dragged in from another program is refused.
    QMimeData outside;
    outside.setUrls({QUrl::fromLocalFile(Tone(QStringLiteral("other.mp3")))});
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &outside, Qt::LeftButton,
                    Qt::NoModifier);
    QCoreApplication::sendEvent(playlist->SpelLista()->viewport(), &drop);
    EXPECT_EQ(controller->Playlist().PlayItems(), before);

    emit playlist->SpelLista()->RowDropped(3, 0);  // the last row dropped on the first
    EXPECT_EQ(controller->Playlist().PlayItems(),
              (QStringList{before[3], before[0], before[1], before[2]}));
    EXPECT_EQ(controller->PlayIndex(), 1);
    EXPECT_EQ(Row(1), before[0]);
    EXPECT_EQ(Selected(), 0);
}

TEST_F(PlaylistWindowTest, ProgressBarFollowsTheSongAndAReleaseSeeks) {
    Show(1);
    controller->PlayBtnClick();
    QProgressBar* bar = playlist->PlayPB();
    EXPECT_EQ(bar->maximum(), controller->Engine().LengthMs());
    const QPoint at(bar->width() * 3 / 4, 5);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), QPointF(bar->mapToGlobal(at)),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &release);
    PlayFor(audio::DeviceLatency() + 0.05);
    EXPECT_GE(PositionMs(), 8000);
    EXPECT_EQ(bar->value(), PositionMs());
}

TEST_F(PlaylistWindowTest, ToolBarStopLeavesAPausedSongAndClearWhilePlayingKeepsRows) {
    Show(2);
    playlist->ToolButton(QStringLiteral("Play"))->click();
    ASSERT_EQ(controller->State(), PlayState::Playing);
    playlist->ToolButton(QStringLiteral("Paus"))->click();
    playlist->ToolButton(QStringLiteral("Stop"))->click();
    EXPECT_EQ(controller->State(), PlayState::Paused);
    EXPECT_EQ(playlist->Model().rowCount(), 2);

    QToolButton* fullscreen = playlist->ToolButton(QStringLiteral("Fullscreen"));
    fullscreen->click();
    EXPECT_TRUE(controller->FullScreen());
    EXPECT_TRUE(fullscreen->isChecked());
    controller->LogoClick();  // back by a double click on the player window
    EXPECT_FALSE(fullscreen->isChecked()) << "the button follows the mode however it changed";
}

TEST_F(PlaylistWindowTest, TheTitleColumnTakesTheScrollBarsPlaceWhenItGoes) {
    TSpelLista* rows = Show(30).SpelLista();
    controller->ClearListClick();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 100);  // laid out without the bar
    EXPECT_EQ(rows->header()->length(), rows->viewport()->width());
}

TEST_F(PlaylistWindowTest, CloseHidesAndReleasesPlaylistButtonAndPlacementIsKept) {
    Show(0);
    EXPECT_EQ(playlist->pos(), QPoint(40, 50));  // nothing stored: beside the player window
    EXPECT_EQ(playlist->size(), QSize(277, 391));
    QPushButton* button = form->PLBtn();
    EXPECT_TRUE(button->isEnabled());
    EXPECT_TRUE(button->isChecked());

    playlist->resize(400, 300);
    EXPECT_TRUE(playlist->close() || !playlist->isVisible());
    EXPECT_FALSE(playlist->isVisible());
    EXPECT_FALSE(button->isChecked());
    EXPECT_FALSE(controller->Settings().PlayListVisible);
    EXPECT_EQ(controller->Settings().PlayListW, 400);

    button->click();
    EXPECT_TRUE(playlist->isVisible());
    EXPECT_TRUE(controller->Settings().PlayListVisible);

    // All change of width goes to "Title".
    QHeaderView* header = playlist->SpelLista()->header();
    const int title = header->sectionSize(PlaylistModel::TitleColumn);
    playlist->resize(500, 300);
    EXPECT_EQ(header->sectionSize(PlaylistModel::TitleColumn), title + 100);
    EXPECT_EQ(header->sectionSize(PlaylistModel::ArtistColumn), 150);
}

TEST(AddSelectorTest, StartsOnTheLyricFolderWithEveryBoxCheckedAndNoFolderForAMissingOne) {
    TempDir dir;
    const QString folder = dir.MakeDir(QStringLiteral("lyrics"));
    TAddSelectorFrm selector(folder);
    const UserDialogs::FolderChoice choice = selector.Choice();
    EXPECT_EQ(choice.Folder, folder);
    EXPECT_TRUE(choice.LyricFiles && choice.Mp3s && choice.Recursive);
    EXPECT_EQ(selector.CHDirectory()->text(), folder);
    EXPECT_EQ(selector.size(), QSize(386, 463));

    selector.RecCB()->setChecked(false);
    EXPECT_FALSE(selector.Choice().Recursive);

    TAddSelectorFrm nowhere(dir.FilePath(QStringLiteral("gone")));
    EXPECT_TRUE(nowhere.Choice().Folder.isEmpty());
}

TEST_F(PlaylistWindowTest, CtrlFOpensTheLibraryOnItsFieldTypingFindsAndEnterAppends) {
    const QString midnight = Tone(QStringLiteral("songs/Midnight Train.mp3"));
    Tone(QStringLiteral("songs/Morning Star.mp3"));
    dir.Write(QStringLiteral("VokPlayer.ini"),
              ("[Kataloger]\n0=" + dir.FilePath(QStringLiteral("songs")) + "\n").toUtf8());
    Show(0);
    library = std::make_unique<TLibraryFrm>(*controller);
    ASSERT_TRUE(controller->Library().WaitUntilIdle(10000)) << "the start-up scan";

    Type(form.get(), Qt::Key_F, QString(), Qt::ControlModifier);
    QCoreApplication::processEvents();
    ASSERT_TRUE(library->isVisible());
    EXPECT_EQ(library->windowTitle(), QStringLiteral("Library"));
    EXPECT_EQ(library->focusWidget(), library->SearchField());
    EXPECT_EQ(library->Model().rowCount(), 2);
    for (const QChar letter : QStringLiteral("mid")) {
        Type(library->SearchField(), Qt::Key_A, QString(letter));
    }
    ASSERT_EQ(library->Model().rowCount(), 1);
    Type(library->SearchField(), Qt::Key_Return);
    EXPECT_EQ(controller->Playlist().PlayItems(), QStringList{midnight});
    EXPECT_EQ(controller->PlayIndex(), 0) << "the first song of an empty list is opened";
}

}  // namespace
}  // namespace vok::test
