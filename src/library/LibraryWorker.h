#pragma once

#include "library/LibraryWriter.h"
#include "library/SongLibrary.h"

#include <QString>
#include <QStringList>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace vok::library {

// The library's worker thread: it owns its own connection, runs the scans and every write. The
// scans wait in a queue in which a folder stands once however often it is asked for; writes are
// taken between the files of a scan, so a note of the player never waits for a whole scan.
class LibraryWorker {
  public:
    // Called on the worker thread.
    struct Hooks {
        std::function<void(const ScanProgress&)> Progressed;  // at most ten times a second
        std::function<void()> SongsChanged;     // after commits, at most twice a second
        std::function<void(qint64)> Committed;  // every write up to this number is committed
        std::function<void(const LibraryStatus&)> Failed;  // once: the writes stop
    };
    using Write = std::function<void(LibraryWriter&)>;

    LibraryWorker(const QString& file, Hooks hooks);
    // Stops a scan at the next file, runs the writes still queued and joins the thread.
    ~LibraryWorker();
    LibraryWorker(const LibraryWorker&) = delete;
    LibraryWorker& operator=(const LibraryWorker&) = delete;

    // Returns the write's number (see Hooks::Committed).
    qint64 Queue(Write write);
    // Stores the folders as library folders (with `remember`) and queues their scans.
    void ScanFolders(const QStringList& folders, bool remember);
    // Queues a scan of every library folder.
    void ScanAll();
    void Cancel();
    bool Scanning() const;
    ScanProgress Progress() const;
    // Blocks until nothing is queued or running and every write is committed; false on timeout.
    bool WaitUntilIdle(int timeoutMs);

  private:
    void Run();
    bool Between(LibraryWriter& writer);
    void RunWrites(LibraryWriter& writer);
    void Committed(LibraryWriter& writer, bool changed);
    bool Busy() const;

    QString file_;
    Hooks hooks_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<std::pair<qint64, Write>> writes_;
    std::deque<QString> waiting_;
    QStringList toRemember_;
    bool scanAll_ = false;
    bool running_ = false;  // the worker is doing something
    bool cancel_ = false;
    bool stop_ = false;
    bool failed_ = false;
    qint64 nextWrite_ = 0;
    qint64 lastWrite_ = 0;   // the last write run (worker thread only)
    ScanProgress progress_;  // under the mutex
    std::thread thread_;
};

}  // namespace vok::library
