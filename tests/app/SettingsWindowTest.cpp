// The settings dialog as a window: opened from the player, answered by scripted folder and colour
// dialogs, and what its OK leaves in the file and in the player.

#include "app/InstForm.h"
#include "app/VokPlayForm.h"
#include "player/PlayerFixture.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>

#include <functional>

namespace vok::test {
namespace {

class SettingsWindowTest : public PlayerFixture {
  protected:
    void TearDown() override {
        form.reset();
        PlayerFixture::TearDown();
    }

    TInstForm& Make() {
        Start();
        form = std::make_unique<TInstForm>(*controller, dialogs);
        controller->AttachSettingsDialog(form.get());
        return *form;
    }

    // Opens the dialog through "Settings..." and runs `steps` once it is up; they close it.
    void Open(const std::function<void()>& steps) {
        QTimer::singleShot(0, form.get(), steps);
        controller->InstBtnClick();
    }

    template <typename T>
    T* Find(const char* name) const {
        T* found = form->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    void Click(const char* name) const { Find<QPushButton>(name)->click(); }
    QStringList Rows(const char* name) const {
        QStringList rows;
        const auto* list = Find<QListWidget>(name);
        for (int i = 0; i < list->count(); ++i) {
            rows.append(list->item(i)->text());
        }
        return rows;
    }
    void ReleaseOver(const char* name) const {
        QWidget* swatch = Find<QWidget>(name);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5),
                            swatch->mapToGlobal(QPointF(5, 5)), Qt::RightButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(swatch, &release);
    }

    QString IniPath() const { return dir.FilePath(QStringLiteral("VokPlayer.ini")); }

    std::unique_ptr<TInstForm> form;
};

TEST_F(SettingsWindowTest, AFolderAddedThenCancelledIsStillThereAndStoredByALaterOk) {
    Make();
    dialogs.BrowsePicks = {QStringLiteral("/songs/a")};
    Open([this] {
        Click("AddBtn");
        Click("CancelBtn");
    });
    ASSERT_EQ(dialogs.Browsed.size(), 1U);
    EXPECT_EQ(dialogs.Browsed[0].first, TInstForm::kSongFolderInstruction);
    EXPECT_TRUE(controller->Settings().SongFolders.isEmpty()) << "Cancel hands nothing over";
    EXPECT_FALSE(QFile::exists(IniPath()));

    Open([this] {
        EXPECT_EQ(Rows("MP3DirList"), QStringList{QStringLiteral("/songs/a")});
        Click("AddBtn");  // the browser cancelled: nothing added
        Click("OkBtn");
    });
    EXPECT_EQ(controller->Settings().SongFolders, QStringList{QStringLiteral("/songs/a")});
    EXPECT_EQ(ReadSongFolders(IniFile::Load(IniPath())), QStringList{QStringLiteral("/songs/a")});
}

TEST_F(SettingsWindowTest, DeleteRemovesTheSelectedFolderOnlyAndOkWritesTheWholeFileAtOnce) {
    dir.Write(QStringLiteral("VokPlayer.ini"),
              "; mine\n[Installningar]\nVolym=100\nSpolTid=5\n"
              "[Kataloger]\n0=/old/a\n1=/old/b\n[Other]\nx=1\n");
    Make();
    dialogs.BrowsePicks = {QStringLiteral("/new")};
    Open([this] {
        auto* del = Find<QPushButton>("DelBtn");
        EXPECT_FALSE(del->isEnabled());
        const QImage look = form->grab({del->mapTo(form.get(), QPoint()), del->size()}).toImage();
        int darkest = 255;
        for (int i = 0; i < look.width() * look.height(); ++i) {
            darkest = std::min(darkest, qGray(look.pixel(i % look.width(), i / look.width())));
        }
        EXPECT_LT(darkest, 160) << "greyed, yet readable on the page";
        Click("DelBtn");  // nothing selected: nothing removed
        EXPECT_EQ(Rows("MP3DirList").size(), 2);
        Find<QListWidget>("MP3DirList")->setCurrentRow(0);
        EXPECT_TRUE(del->isEnabled());
        Click("DelBtn");
        Click("AddBtn");
        Find<QSpinBox>("SpolTid")->stepUp();
        Click("OkBtn");
    });
    EXPECT_EQ(controller->Settings().SongFolders,
              (QStringList{QStringLiteral("/old/b"), QStringLiteral("/new")}));
    EXPECT_EQ(controller->Engine().JumpTime(), 6);
    EXPECT_EQ(ReadAll(IniPath()),
              QByteArray("; mine\n[Installningar]\nVolym=100\nSpolTid=6\nDualDesc=0\n"
                         "AutoStartFS=1\nTextFarg=50331647\nTextOLFarg=40265318\nEnableOLText=1\n"
                         "[Other]\nx=1\n[Kataloger]\n0=/old/b\n1=/new\n[VokKatalog]\nVart=\n"));
}

TEST_F(SettingsWindowTest, OnlyTheBrowserSetsTheLyricFolder) {
    Make();
    Open([this] {
        auto* path = Find<QLineEdit>("VokPath");
        EXPECT_TRUE(path->text().isEmpty()) << "no file: an empty lyric folder";
        path->setFocus();
        QKeyEvent typed(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        QCoreApplication::sendEvent(path, &typed);
        EXPECT_TRUE(path->text().isEmpty());
        Click("VokPathBtn");  // cancelled
        dialogs.BrowsePicks = {QStringLiteral("/lyrics")};
        Click("VokPathBtn");
        EXPECT_EQ(path->text(), QStringLiteral("/lyrics"));
        Click("OkBtn");
    });
    ASSERT_EQ(dialogs.Browsed.size(), 2U);
    EXPECT_EQ(dialogs.Browsed[0].first, TInstForm::kLyricFolderInstruction);
    EXPECT_EQ(dialogs.Browsed[0].second, controller->DefaultLyricFolder())
        << "an empty lyric folder browses from the default one";
    EXPECT_EQ(controller->Settings().LyricFolder, QStringLiteral("/lyrics"));
    EXPECT_EQ(IniFile::Load(IniPath()).ReadString(ini::kLyricFolderSection, ini::kVart, {}),
              QStringLiteral("/lyrics"));
}

TEST_F(SettingsWindowTest, ColourAndOutlineActAtOnceAndCancelUndoesNothing) {
    Make();
    dialogs.ColourPick = QColor(255, 0, 0);
    Open([this] {
        ReleaseOver("ActTextClr");
        ReleaseOver("ActOLTextClr");  // cancelled
        Find<QCheckBox>("OLCB")->click();
        Click("CancelBtn");
    });
    ASSERT_EQ(dialogs.OfferedColours.size(), 2U);
    EXPECT_EQ(dialogs.OfferedColours[0], QColor(255, 255, 255)) << "preset: the player's colour";
    EXPECT_EQ(dialogs.OfferedColours[1], QColor(102, 102, 102));
    EXPECT_EQ(controller->Settings().TextColour, 0x0000FF) << "red, high byte 0";
    EXPECT_EQ(controller->Settings().OutlineColour, kDefaultOutlineColour);
    EXPECT_FALSE(controller->Display().Colours().EnableOLText);
    EXPECT_FALSE(QFile::exists(IniPath()));

    // Shown again, the controls follow the player.
    controller->SetOutlined(true);
    Open([this] {
        EXPECT_TRUE(Find<QCheckBox>("OLCB")->isChecked());
        Click("CancelBtn");
    });
}

TEST_F(SettingsWindowTest, ARefusedWriteKeepsTheDialogOpenAndTheFileAsItWas) {
    const QByteArray full = "[s]\nk=" + QByteArray(IniFile::kMaxTextLength - 7, 'a');
    dir.Write(QStringLiteral("VokPlayer.ini"), full);
    Make();
    dialogs.BrowsePicks = {QStringLiteral("/songs")};
    bool openAfterOk = false;
    Open([&] {
        Click("AddBtn");
        Click("OkBtn");
        openAfterOk = form->isVisible();
        Click("CancelBtn");
    });
    EXPECT_TRUE(openAfterOk);
    ASSERT_EQ(dialogs.Messages.size(), 1U);
    EXPECT_EQ(dialogs.Messages[0].Text, QStringLiteral("Unable to write to ") + IniPath());
    EXPECT_EQ(ReadAll(IniPath()), full);
    EXPECT_TRUE(controller->Settings().SongFolders.isEmpty());
}

TEST_F(SettingsWindowTest, TheScreenPageListsTheDisplaysAnewEachTimeItIsShown) {
    Make();
    window.Displays = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    Open([this] {
        auto* pages = Find<QTabWidget>("PG");
        EXPECT_EQ(pages->currentIndex(), 0);
        pages->setCurrentIndex(3);
        EXPECT_EQ(Rows("SCLB"), (QStringList{QStringLiteral("1: 1920 X 1080"),
                                             QStringLiteral("2: 1280 X 1024")}));
        Click("CancelBtn");
    });
    window.Displays = {QRect(0, 0, 800, 600)};
    Open([this] {
        EXPECT_EQ(Rows("SCLB"), QStringList{QStringLiteral("1: 800 X 600")});
        Click("CancelBtn");
    });
}

TEST_F(SettingsWindowTest, ThePlayerButtonOpensTheDialogOnceItIsAttached) {
    Start();
    TVokPlayForm player(*controller);
    EXPECT_FALSE(player.InstBtn()->isEnabled());
    form = std::make_unique<TInstForm>(*controller, dialogs, &player);
    controller->AttachSettingsDialog(form.get());
    EXPECT_TRUE(player.InstBtn()->isEnabled());
    EXPECT_EQ(form->size(), QSize(489, 392));
    bool shown = false;
    QTimer::singleShot(0, form.get(), [&] {
        shown = form->isVisible() && form->windowTitle() == QStringLiteral("Settings") &&
                form->geometry().center() == player.geometry().center();
        Click("CancelBtn");
    });
    player.InstBtn()->click();
    EXPECT_TRUE(shown);
    // The player window owns the dialog and goes first here.
    controller->AttachSettingsDialog(nullptr);
    form.reset();
    controller->AttachWindow(&window);
}

}  // namespace
}  // namespace vok::test
