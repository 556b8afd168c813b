// The playlist window's operations on the controller, without a widget: the rows as the row
// model shows them, the dialogs, adding folders and the tool bar rules.

#include "player/PlayerFixture.h"
#include "player/PlaylistModel.h"
#include "support/Id3Writer.h"

#include <QColor>
#include <QDir>
#include <QFile>

namespace vok::test {
namespace {

// The playlist window as the controller sees it.
class RecordingView : public PlaylistWindowView {
  public:
    void RowsChanged() override {}
    void StatusChanged() override { ++statusCalls; }
    void ShowProgress(int, int lengthMs) override { length = lengthMs; }
    void ShowScanning(bool scanning) override { scans.push_back(scanning); }
    void ShowStatusText(const QString& text) override { texts.push_back(text); }

    int statusCalls = 0;
    int length = 0;
    std::vector<bool> scans;
    QStringList texts;
};

class PlaylistActionsTest : public PlayerFixture {
  protected:
    void TearDown() override {
        model.reset();
        PlayerFixture::TearDown();
    }

    PlayerController& Begin() {
        Start();
        model = std::make_unique<PlaylistModel>(controller->Playlist(), controller->Library());
        controller->AddPlaylistView(model.get());
        controller->AddPlaylistView(&view);
        return *controller;
    }

    // Adds the picked files through the "Song(s)..." dialog.
    void AddFiles(const QStringList& files) {
        dialogs.FilePicks = files;
        controller->AddFilesBtnClick();
    }

    QString Cell(int row, int column) const {
        return model->data(model->index(row, column), Qt::DisplayRole).toString();
    }
    QStringList Column(int column) const {
        QStringList cells;
        for (int row = 0; row < model->rowCount(); ++row) {
            cells.append(Cell(row, column));
        }
        return cells;
    }
    int GreenRow() const {
        int green = -1;
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->data(model->index(row, 0), Qt::BackgroundRole).value<QColor>() ==
                QColor(0, 128, 0)) {
                EXPECT_EQ(green, -1) << "two active rows";
                green = row;
            }
        }
        return green;
    }
    const QStringList& Items() const { return controller->Playlist().PlayItems(); }

    std::unique_ptr<PlaylistModel> model;
    RecordingView view;
};

TEST_F(PlaylistActionsTest, AddedFilesAreSortedIgnoringCaseAndRowsShowTagsOrFileName) {
    Begin();
    const QString tone = Tone(QStringLiteral("c.ogg"));
    const QString vok = Lyrics(QStringLiteral("A.vok"), QStringLiteral("tone.mp3"));
    Id3v2Tag titleOnly;
    titleOnly.Add(Id3Frame::Text("TIT2", QStringLiteral("No artist here")));
    const QString mp3 = dir.Write(QStringLiteral("b.mp3"), Mp3File(titleOnly.Build(), 512));
    AddFiles({mp3, vok, tone});

    EXPECT_EQ(Items(), (QStringList{vok, mp3, tone}));
    EXPECT_EQ(dialogs.Requests.back().Title, QStringLiteral("Add one or more files..."));
    EXPECT_EQ(dialogs.Requests.back().DefaultSuffix, QStringLiteral("vok"));
    EXPECT_EQ(Column(PlaylistModel::NrColumn), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(Column(PlaylistModel::FileColumn), Items());
    // A lyric file gives title and artist; a title without an artist shows the file name.
    EXPECT_EQ(Column(PlaylistModel::TitleColumn), (QStringList{"Tone", "b.mp3", "c.ogg"}));
    EXPECT_EQ(Column(PlaylistModel::ArtistColumn), (QStringList{"Test", "", ""}));
    EXPECT_EQ(controller->PlayIndex(), 0);  // the first of an empty list is made active
    EXPECT_EQ(GreenRow(), 0);
}

TEST_F(PlaylistActionsTest, CancelInEveryDialogChangesNothing) {
    Begin();
    AddFiles({Tone(QStringLiteral("a.mp3")), Tone(QStringLiteral("b.mp3"))});
    controller->VokListaDblClick(1);
    const QStringList before = Items();
    const auto stream = controller->Engine().Stream();
    ASSERT_NE(stream, 0U);

    controller->LoadPL(false);
    controller->LoadPL(true);
    controller->SavePL();
    controller->AddFilesBtnClick();
    controller->AddFolder();

    EXPECT_EQ(Items(), before);
    EXPECT_EQ(controller->PlayIndex(), 1);
    EXPECT_EQ(controller->Engine().Stream(), stream);
    EXPECT_EQ(model->rowCount(), 2);
    EXPECT_EQ(GreenRow(), 1);
    EXPECT_EQ(QDir(dir.Path()).entryList({"*.vpl"}, QDir::Files), QStringList{});
    EXPECT_EQ(dialogs.FolderCaption, QStringLiteral("Add folder..."));
}

TEST_F(PlaylistActionsTest, ListDialogsLoadReplaceAppendAndSaveWithTheListExtension) {
    Begin();
    const QString a = Tone(QStringLiteral("a.mp3"));
    const QString b = Tone(QStringLiteral("b.mp3"));
    AddFiles({a});

    dialogs.SavePick = dir.FilePath(QStringLiteral("mine.m3u"));
    controller->SavePL();
    EXPECT_EQ(dialogs.Requests.back().Title, QStringLiteral("Save Vokalento playlist..."));
    EXPECT_EQ(dialogs.Requests.back().DefaultSuffix, QStringLiteral("vpl"));
    EXPECT_TRUE(QFile::exists(dir.FilePath(QStringLiteral("mine.m3u.vpl"))));
    dialogs.SavePick = dir.FilePath(QStringLiteral("UPPER.VPL"));
    controller->SavePL();
    EXPECT_TRUE(QFile::exists(dir.FilePath(QStringLiteral("UPPER.VPL"))));

    const QString second = dir.Write(QStringLiteral("second.vpl"), (b + "\r\n").toUtf8());
    dialogs.Picks = {second};
    controller->LoadPL(true);
    EXPECT_EQ(dialogs.Requests.back().Title, QStringLiteral("Add playlist..."));
    EXPECT_EQ(Items(), (QStringList{a, b}));
    EXPECT_EQ(model->rowCount(), 2);
    EXPECT_EQ(controller->PlayIndex(), 0);  // appending leaves the active entry alone

    dialogs.Picks = {dir.FilePath(QStringLiteral("mine.m3u.vpl"))};
    controller->LoadPL(false);
    EXPECT_EQ(dialogs.Requests.back().Title, QStringLiteral("Load playlist..."));
    EXPECT_EQ(Column(PlaylistModel::FileColumn), QStringList{a});
}

TEST_F(PlaylistActionsTest, ReplacingLoadThatAddsNothingLeavesNoRowsAndNoSong) {
    Begin();
    AddFiles({Tone(QStringLiteral("a.mp3")), Tone(QStringLiteral("b.mp3"))});
    const QString onlyMissing =
        dir.Write(QStringLiteral("gone.vpl"), QByteArray("/no/such/file.mp3\r\n"));
    dialogs.Picks = {onlyMissing};
    controller->LoadPL(false);
    EXPECT_TRUE(Items().isEmpty());
    EXPECT_EQ(model->rowCount(), 0);
    EXPECT_FALSE(HasStream());
    EXPECT_EQ(controller->PlaylistStatus(), QStringLiteral("Files in list: 0"));
}

TEST_F(PlaylistActionsTest, TheLoadButtonsRebuildTheRowsAndShowTheCountAnew) {
    Begin();
    AddFiles({Tone(QStringLiteral("a.mp3")), Tone(QStringLiteral("b.mp3"))});
    dialogs.Picks = {Lyrics(QStringLiteral("c.vok"), QStringLiteral("a.mp3")), Tone()};
    view.statusCalls = 0;
    controller->VoKBtnClick();
    EXPECT_EQ(Column(PlaylistModel::FileColumn), Items());
    controller->MP3BtnClick();
    EXPECT_EQ(view.statusCalls, 2) << "after each button";
}

TEST_F(PlaylistActionsTest, ActiveRowStaysGreenThroughDeleteAndMoveAndCannotGo) {
    Begin();
    QStringList files;
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3", "d.mp3"}) {
        files.append(Tone(QString::fromLatin1(name)));
    }
    AddFiles(files);
    controller->VokListaDblClick(2);  // c active
    ASSERT_EQ(GreenRow(), 2);

    EXPECT_FALSE(controller->DeleteEntry(2));
    EXPECT_FALSE(controller->MoveEntry(2, 0));
    EXPECT_TRUE(controller->DeleteEntry(0));  // above the active row
    EXPECT_EQ(Column(PlaylistModel::NrColumn), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(Cell(GreenRow(), PlaylistModel::FileColumn), files[2]);

    EXPECT_TRUE(controller->MoveEntry(2, 0));  // d above c
    EXPECT_EQ(Items(), (QStringList{files[3], files[1], files[2]}));
    EXPECT_EQ(Column(PlaylistModel::FileColumn), Items());
    EXPECT_EQ(GreenRow(), 2);
    EXPECT_EQ(controller->PlayIndex(), 2);
    // Dropped on itself or just below itself: nothing moves.
    EXPECT_FALSE(controller->MoveEntry(0, 0));
    EXPECT_FALSE(controller->MoveEntry(0, 1));
    EXPECT_FALSE(model->flags(model->index(2, 0)).testFlag(Qt::ItemIsDragEnabled));
    EXPECT_TRUE(model->flags(model->index(0, 0)).testFlag(Qt::ItemIsDragEnabled));
}

TEST_F(PlaylistActionsTest, ToolStopWaitsWhilePausedAndClearIsRefusedWhilePlaying) {
    Begin();
    AddFiles({Tone(QStringLiteral("a.mp3")), Tone(QStringLiteral("b.mp3"))});
    controller->PlayBtnClick();
    ASSERT_EQ(controller->State(), PlayState::Playing);
    EXPECT_EQ(view.length, controller->Engine().LengthMs());

    controller->ClearListClick();
    EXPECT_EQ(Items().size(), 2);
    EXPECT_EQ(controller->State(), PlayState::Playing);
    EXPECT_EQ(GreenRow(), -1);

    controller->PausBtnClick();
    controller->ToolStopClick();
    EXPECT_EQ(controller->State(), PlayState::Paused);
    controller->PausBtnClick();
    controller->ToolStopClick();
    EXPECT_EQ(controller->State(), PlayState::Idle);
    controller->ClearListClick();
    EXPECT_TRUE(Items().isEmpty());
    EXPECT_EQ(model->rowCount(), 0);
}

class AddFolderTest : public PlaylistActionsTest {
  protected:
    void SetUp() override {
        PlaylistActionsTest::SetUp();
        top = dir.MakeDir(QStringLiteral("music"));
        for (const char* name : {"music/z.vok", "music/b.mp3", "music/a/y.vok", "music/a/c.mp3",
                                 "music/a/deep/x.vok", "music/n.ogg"}) {
            dir.Write(QString::fromLatin1(name), QByteArray("x"));
        }
    }
    void Add(bool lyrics, bool mp3s, bool recursive) {
        dialogs.FolderPick = UserDialogs::FolderChoice{top, lyrics, mp3s, recursive};
        controller->AddFolder();
    }
    QString In(const char* name) const { return top + QLatin1Char('/') + QLatin1String(name); }

    QString top;
};

TEST_F(AddFolderTest, LyricFilesComeFirstTopFolderBeforeSubfoldersNoOgg) {
    Begin();
    Add(true, true, true);
    EXPECT_EQ(Items(), (QStringList{In("z.vok"), In("a/deep/x.vok"), In("a/y.vok"), In("b.mp3"),
                                    In("a/c.mp3")}));
    EXPECT_EQ(model->rowCount(), 5);
    EXPECT_EQ(controller->PlayIndex(), 0);
    EXPECT_EQ(view.scans, (std::vector<bool>{true, false}));
    EXPECT_TRUE(view.texts.contains(QStringLiteral(".: %1 :.").arg(In("a/deep"))));
    EXPECT_EQ(controller->PlaylistStatus(), QStringLiteral("Files in list: 5"));
}

TEST_F(AddFolderTest, FlatOrMp3OnlyScansAndMissingFolderOrLoopAddNothingOrEnd) {
    Begin();
    Add(false, true, false);
    EXPECT_EQ(Items(), QStringList{In("b.mp3")});
    Add(true, false, false);  // appends, no duplicate check
    EXPECT_EQ(Items(), (QStringList{In("b.mp3"), In("z.vok")}));

    dialogs.FolderPick = UserDialogs::FolderChoice{dir.FilePath("vanished"), true, true, true};
    controller->AddFolder();
    EXPECT_EQ(Items().size(), 2);

    ASSERT_TRUE(QFile::link(top, In("a/deep/loop")));
    Add(true, false, true);
    EXPECT_EQ(Items().count(In("a/y.vok")), 1);
}

}  // namespace
}  // namespace vok::test
