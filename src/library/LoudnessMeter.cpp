#include "library/LoudnessMeter.h"

#include "karaoke/GraphicsSong.h"
#include "library/SongFacts.h"

#include <sys/resource.h>
#include <unistd.h>

#include <QFileInfo>

namespace vok::library {

namespace {

// The lowest priority but one: measuring is the least urgent work of the player.
constexpr int kMeterNice = 15;

std::optional<audio::Loudness> MeasureAudio(const QString& audio, const std::atomic<bool>& stop) {
    return audio::MeasureLoudness(QFile::encodeName(audio).toStdString(), stop);
}

std::optional<audio::Loudness> MeasureSong(const QString& path, const std::atomic<bool>& stop) {
    const std::optional<SongKind> kind = SongKindOfName(path);
    if (!kind || *kind == SongKind::Audio) {
        return MeasureAudio(path, stop);
    }
    if (*kind == SongKind::Graphics) {
        // Found as the player finds it; a zipped song's audio stays unpacked while it is held.
        const GraphicsSongFiles files = FindGraphicsSong(path);
        return files.AudioPath.isEmpty() ? std::nullopt : MeasureAudio(files.AudioPath, stop);
    }
    const QString audio = ReadSongFacts(path).Audio;
    return QFileInfo(audio).isFile() ? MeasureAudio(audio, stop) : std::nullopt;
}

}  // namespace

LoudnessMeter::LoudnessMeter(Measured measured, Idle idle)
    : measured_(std::move(measured)), idle_(std::move(idle)), thread_([this] { Run(); }) {}

LoudnessMeter::~LoudnessMeter() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void LoudnessMeter::First(const QStringList& paths) {
    {
        const std::lock_guard lock(mutex_);
        for (auto it = paths.crbegin(); it != paths.crend(); ++it) {
            first_.push_front(*it);
        }
    }
    wake_.notify_all();
}

void LoudnessMeter::Later(const QStringList& paths) {
    {
        const std::lock_guard lock(mutex_);
        later_.insert(later_.end(), paths.cbegin(), paths.cend());
    }
    wake_.notify_all();
}

void LoudnessMeter::Run() {
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kMeterNice);
    bool measuredSome = false;
    for (;;) {
        QString path;
        {
            std::unique_lock lock(mutex_);
            if (first_.empty() && later_.empty() && measuredSome) {
                measuredSome = false;
                lock.unlock();
                idle_();
                lock.lock();
            }
            wake_.wait(lock, [this] { return stop_ || !first_.empty() || !later_.empty(); });
            if (stop_) {
                return;
            }
            std::deque<QString>& queue = first_.empty() ? later_ : first_;
            path = std::move(queue.front());
            queue.pop_front();
        }
        if (done_.contains(path)) {
            continue;
        }
        done_.insert(path);
        const std::optional<audio::Loudness> loudness = MeasureSong(path, stop_);
        if (stop_) {
            return;
        }
        measuredSome = true;
        measured_(path, loudness);
    }
}

}  // namespace vok::library
