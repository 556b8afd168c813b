#pragma once

#include <gtest/gtest.h>

#include "audio/AudioLibrary.h"
#include "core/AppPaths.h"
#include "player/PlayerController.h"
#include "player/UserDialogs.h"
#include "support/ImageProbe.h"
#include "support/LyricFileWriter.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>

#include <deque>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace vok::test {

// Answers the player's dialogs from a script and remembers what was shown.
class FakeDialogs : public UserDialogs {
  public:
    struct Shown {
        QString Caption;
        QString Text;
        Icon Kind;
    };

    void Message(const QString& caption, const QString& text, Icon icon) override {
        Messages.push_back({caption, text, icon});
    }
    bool AskYesNo(const QString& caption, const QString& text) override {
        Questions.push_back({caption, text, Icon::None});
        return Answer;
    }
    QString OpenFile(const OpenRequest& request) override {
        Requests.push_back(request);
        if (Picks.empty()) {
            return QString();
        }
        const QString picked = Picks.front();
        Picks.pop_front();
        return picked;
    }

    QStringList OpenFiles(const OpenRequest& request) override {
        Requests.push_back(request);
        QStringList picked;
        std::swap(picked, FilePicks);
        return picked;
    }
    QString SaveFile(const OpenRequest& request) override {
        Requests.push_back(request);
        return std::exchange(SavePick, QString());
    }
    bool ChooseFolder(const QString& caption, const QString&, FolderChoice& choice) override {
        FolderCaption = caption;
        if (!FolderPick) {
            return false;
        }
        choice = *std::exchange(FolderPick, std::nullopt);
        return true;
    }
    QString BrowseFolder(const QString& instruction, const QString& startFolder) override {
        Browsed.push_back({instruction, startFolder});
        if (BrowsePicks.empty()) {
            return QString();
        }
        const QString picked = BrowsePicks.front();
        BrowsePicks.pop_front();
        return picked;
    }
    bool PickColour(QColor& colour) override {
        OfferedColours.push_back(colour);
        if (!ColourPick) {
            return false;
        }
        colour = *std::exchange(ColourPick, std::nullopt);
        return true;
    }

    std::vector<Shown> Messages;
    std::vector<Shown> Questions;
    std::vector<OpenRequest> Requests;
    std::deque<QString> Picks;
    bool Answer = true;
    QStringList FilePicks;
    QString SavePick;
    std::optional<FolderChoice> FolderPick;
    QString FolderCaption;
    std::vector<std::pair<QString, QString>> Browsed;  // instruction, starting folder
    std::deque<QString> BrowsePicks;                   // empty: Cancel
    std::vector<QColor> OfferedColours;
    std::optional<QColor> ColourPick;  // none: Cancel
};

// The player window as the controller sees it: it only remembers what it was told to show.
class FakeWindow : public PlayerWindowView {
  public:
    void SetCaption(const QString& caption) override { Caption = caption; }
    void ShowInfoPanel(InfoPanelId panel, const InfoPanelText& text) override {
        (panel == InfoPanelId::Lyrics ? LyricPanel : SongPanel) = text;
    }
    void SetLoadButtonsEnabled(bool enabled) override { LoadButtons = enabled; }
    void ShowPlayButton(bool lit) override { PlayLit = lit; }
    void ShowPauseButton(bool lit) override { PauseLit = lit; }
    void ShowVolume(int volume) override { Volume = volume; }
    void ShowRandom(bool down) override { Random = down; }
    void UpdateSpectrum() override { ++SpectrumFrames; }
    void ClearSpectrum() override { ++SpectrumClears; }
    void SurfaceChanged(const QRect&) override {}
    void BringToFront() override { ++Raised; }
    QList<QRect> Screens() const override { return Displays; }
    void EnterFullScreen(const QRect& area) override { Covered = area; }
    void LeaveFullScreen() override { Covered = QRect(); }
    void EnableSettingsButton(bool enabled) override { SettingsButton = enabled; }

    QString Caption;
    InfoPanelText LyricPanel, SongPanel;
    bool LoadButtons = true, PlayLit = false, PauseLit = false, Random = false,
         SettingsButton = false;
    int Volume = -1, Raised = 0, SpectrumFrames = 0, SpectrumClears = 0;
    QList<QRect> Displays{QRect(0, 0, 1024, 768)};
    QRect Covered;  // the area covered in full screen
};

// A player on the null audio device whose program folder is a temporary one, so the settings and
// the default playlist never touch a real file. No widget is made.
class PlayerFixture : public ::testing::Test {
  protected:
    void SetUp() override { AppPaths::SetFolderOverride(dir.Path()); }

    void TearDown() override {
        controller.reset();
        AppPaths::SetFolderOverride(QString());
    }

    // The player made, its window attached, but not yet shown: the first-show step has not run.
    PlayerController& Create(const QStringList& parameters = {}) {
        PlayerOptions options;
        options.Parameters = parameters;
        options.AudioDevice = audio::kDeviceNull;
        options.Quit = [this] { ++quitCalls; };
        options.Draw = [this](int count) {
            ++draws;
            return count - 1;
        };
        controller.reset();  // one output device at a time
        window = FakeWindow();
        controller = std::make_unique<PlayerController>(std::move(options), dialogs);
        controller->AttachWindow(&window);
        return *controller;
    }

    PlayerController& Start(const QStringList& parameters = {}) {
        Create(parameters);
        controller->FormShow();
        QCoreApplication::processEvents();  // the first-show step
        return *controller;
    }

    // What closing the window does.
    void Close() {
        controller->FormCloseQuery();
        controller->FormClose();
    }

    // The 12 s test tone, copied to a relative path of the temporary folder.
    QString Tone(const QString& relative = QStringLiteral("tone.mp3")) const {
        const QString target = dir.FilePath(relative);
        dir.MakeDir(relative.section(QLatin1Char('/'), 0, -2));
        QFile::remove(target);
        QFile::copy(QStringLiteral(VOK_PLAYER_FIXTURES "/tone12.mp3"), target);
        return target;
    }

    // Three lines inside the first 3.5 s of the tone.
    QString Lyrics(const QString& relative, const QString& songFile, int version = 2) const {
        LyricFileWriter writer(version);
        writer.Title(QStringLiteral("Tone")).SongFile(songFile);
        if (version == 2) {
            writer.Artist(QStringLiteral("Test")).Copyright(QStringLiteral("Ours"));
        }
        writer.Line(500, 1500, QStringLiteral("First line"))
            .Line(1500, 2500, QStringLiteral("Second line"))
            .Line(2600, 3500, QStringLiteral("Third line"));
        return writer.Write(dir.FilePath(relative));
    }

    // Moves the virtual clock past the device latency and runs one display tick.
    void PlayFor(double seconds) {
        audio::NullDeviceAdvance(seconds);
        controller->tmrTimer();
    }

    bool HasStream() const { return controller->Engine().Stream() != 0; }
    // The 33 ms display tick is armed: it would draw (or take a stopped song for ended) next.
    bool TickArmed() const {
        const auto* tick = controller->findChild<QTimer*>(QStringLiteral("tmr"));
        return tick != nullptr && tick->isActive();
    }
    int PositionMs() const { return controller->Engine().PositionMs(); }
    QString SongTitle() const { return window.SongPanel.Title; }
    QString SongInfo() const { return window.SongPanel.Info; }

    TempDir dir;
    FakeDialogs dialogs;
    FakeWindow window;
    int quitCalls = 0;
    int draws = 0;
    std::unique_ptr<PlayerController> controller;
};

}  // namespace vok::test
