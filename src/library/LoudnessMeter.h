#pragma once

#include "audio/Loudness.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace vok::library {

// Measures the loudness of songs one at a time on a thread of its own, below even the library's
// worker: the songs asked for first, then the rest. A lyric or graphics song is measured by the
// audio it plays. Each song is measured once per meter.
class LoudnessMeter {
  public:
    // Called on the meter's thread: a song's result (nothing: it cannot be measured), and that
    // nothing is left to measure.
    using Measured = std::function<void(const QString&, const std::optional<audio::Loudness>&)>;
    using Idle = std::function<void()>;

    LoudnessMeter(Measured measured, Idle idle);
    // Cancels the song being measured and joins the thread.
    ~LoudnessMeter();
    LoudnessMeter(const LoudnessMeter&) = delete;
    LoudnessMeter& operator=(const LoudnessMeter&) = delete;

    // Before everything waiting, in this order.
    void First(const QStringList& paths);
    // After everything waiting.
    void Later(const QStringList& paths);

  private:
    void Run();

    Measured measured_;
    Idle idle_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<QString> first_;
    std::deque<QString> later_;
    QSet<QString> done_;  // meter thread only
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace vok::library
