// What a user of the player window waits for and what it costs: start-up to the first painted
// frame, and the memory the program holds while a song plays.

#include <benchmark/benchmark.h>

#include "app/VokPlayForm.h"
#include "audio/AudioLibrary.h"
#include "core/AppPaths.h"
#include "player/PlayerController.h"
#include "player/UserDialogs.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QFile>

#include <filesystem>
#include <memory>

namespace {

// No dialog ever waits for a person.
class SilentDialogs : public vok::UserDialogs {
  public:
    void Message(const QString&, const QString&, Icon) override {}
    bool AskYesNo(const QString&, const QString&) override { return false; }
    QString OpenFile(const OpenRequest&) override { return QString(); }
    QStringList OpenFiles(const OpenRequest&) override { return {}; }
    QString SaveFile(const OpenRequest&) override { return QString(); }
    bool ChooseFolder(const QString&, const QString&, FolderChoice&) override { return false; }
    QString BrowseFolder(const QString&, const QString&) override { return QString(); }
    bool PickColour(QColor&) override { return false; }
};

// Counts the paint events the window receives.
class PaintWatch : public QObject {
  public:
    bool painted = false;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted = true;
        }
        return QObject::eventFilter(watched, event);
    }
};

// The player as the program composes it: the controller and its window.
struct Player {
    explicit Player(SilentDialogs& dialogs) : controller(Options(), dialogs), window(controller) {}

    static vok::PlayerOptions Options() {
        vok::PlayerOptions options;
        options.AudioDevice = vok::audio::kDeviceNull;
        options.Quit = [] {};
        return options;
    }

    vok::PlayerController controller;
    vok::TVokPlayForm window;
};

QString DemoSong() {
    const auto examples = std::filesystem::path(__FILE__).parent_path().parent_path() / "examples";
    return QString::fromStdString((examples / "twinkle.vok").string());
}

// Resident set size of this process in kilobytes, from /proc/self/status.
double ResidentKilobytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').constFirst().toDouble();
        }
    }
    return 0;
}

void BM_StartupToFirstPaint(benchmark::State& state) {
    vok::test::TempDir folder;
    vok::AppPaths::SetFolderOverride(folder.Path());
    SilentDialogs dialogs;
    for (auto _ : state) {
        PaintWatch watch;
        auto player = std::make_unique<Player>(dialogs);
        player->window.installEventFilter(&watch);
        player->window.show();
        while (!watch.painted) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        state.PauseTiming();
        player.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    vok::AppPaths::SetFolderOverride(QString());
}
BENCHMARK(BM_StartupToFirstPaint)->Unit(benchmark::kMillisecond);

void BM_ResidentMemoryWhilePlaying(benchmark::State& state) {
    vok::test::TempDir folder;
    vok::AppPaths::SetFolderOverride(folder.Path());
    // The window as a host sees it while picking songs; full screen is measured on its own.
    folder.Write(QStringLiteral("VokPlayer.ini"), "[Installningar]\nAutoStartFS=0\n");
    SilentDialogs dialogs;
    double residentMb = 0;
    for (auto _ : state) {
        auto player = std::make_unique<Player>(dialogs);
        player->window.show();
        QCoreApplication::processEvents();
        player->controller.OpenHandedFile(DemoSong());
        // Five simulated seconds of ticks, into the first lyric lines.
        for (int tick = 0; tick < 150; ++tick) {
            vok::audio::NullDeviceAdvance(0.033);
            player->controller.tmrTimer();
        }
        residentMb = ResidentKilobytes() / 1024.0;
        if (player->controller.Session().CurrentLine() < 1) {
            state.SkipWithError("the demo song did not reach its first line");
            break;
        }
        state.PauseTiming();
        player.reset();
        state.ResumeTiming();
    }
    state.counters["RSS_MB"] = residentMb;
    vok::AppPaths::SetFolderOverride(QString());
}
BENCHMARK(BM_ResidentMemoryWhilePlaying)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
