#pragma once

#include <gtest/gtest.h>

#include "app/UserDialogs.h"
#include "app/VokPlayForm.h"
#include "audio/AudioLibrary.h"
#include "core/AppPaths.h"
#include "support/LyricFileWriter.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QFile>

#include <deque>
#include <memory>
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

    std::vector<Shown> Messages;
    std::vector<Shown> Questions;
    std::vector<OpenRequest> Requests;
    std::deque<QString> Picks;
    bool Answer = true;
};

// A player window on the null audio device whose program folder is a temporary one, so the
// settings and the default playlist never touch a real file.
class PlayerFixture : public ::testing::Test {
  protected:
    void SetUp() override { AppPaths::SetFolderOverride(dir.Path()); }

    void TearDown() override {
        form.reset();
        AppPaths::SetFolderOverride(QString());
    }

    // The window made but not yet shown: its first-show step has not run.
    TVokPlayForm& Create(const QStringList& parameters = {}) {
        PlayerOptions options;
        options.Parameters = parameters;
        options.AudioDevice = audio::kDeviceNull;
        options.Dialogs = &dialogs;
        options.Quit = [this] { ++quitCalls; };
        options.Draw = [this](int count) {
            ++draws;
            return count - 1;
        };
        form.reset();  // one output device at a time
        form = std::make_unique<TVokPlayForm>(std::move(options));
        return *form;
    }

    TVokPlayForm& Start(const QStringList& parameters = {}) {
        Create(parameters);
        form->show();
        QCoreApplication::processEvents();  // the first-show step
        return *form;
    }

    // The 12 s test tone, copied to a relative path of the temporary folder.
    QString Tone(const QString& relative = QStringLiteral("tone.mp3")) const {
        const QString target = dir.FilePath(relative);
        dir.MakeDir(relative.section(QLatin1Char('/'), 0, -2));
        QFile::remove(target);
        QFile::copy(QStringLiteral(VOK_APP_FIXTURES "/tone12.mp3"), target);
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
        form->tmrTimer();
    }

    TempDir dir;
    FakeDialogs dialogs;
    int quitCalls = 0;
    int draws = 0;
    std::unique_ptr<TVokPlayForm> form;
};

}  // namespace vok::test
