#include "library/LibraryWorker.h"

#include "library/LibraryScan.h"

#include <sys/resource.h>
#include <unistd.h>

#include <QElapsedTimer>

#include <optional>

namespace vok::library {

namespace {

constexpr qint64 kProgressEveryMs = 100;
constexpr qint64 kSongsChangedEveryMs = 500;
// Long enough for a write of the scan to end; the window's reads never wait (WAL).
constexpr int kWorkerBusyTimeoutMs = 5000;
constexpr int kWorkerNice = 10;

}  // namespace

LibraryWorker::LibraryWorker(const QString& file, Hooks hooks)
    : file_(file), hooks_(std::move(hooks)), thread_([this] { Run(); }) {}

LibraryWorker::~LibraryWorker() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
        cancel_ = true;
        waiting_.clear();
        scanAll_ = false;
    }
    wake_.notify_all();
    thread_.join();
}

qint64 LibraryWorker::Queue(Write write) {
    qint64 number = 0;
    {
        const std::lock_guard lock(mutex_);
        number = ++nextWrite_;
        writes_.emplace_back(number, std::move(write));
    }
    wake_.notify_all();
    return number;
}

void LibraryWorker::ScanFolders(const QStringList& folders, bool remember) {
    {
        const std::lock_guard lock(mutex_);
        for (const QString& folder : folders) {
            if (remember && !toRemember_.contains(folder)) {
                toRemember_.append(folder);
            }
            if (std::find(waiting_.cbegin(), waiting_.cend(), folder) == waiting_.cend()) {
                waiting_.push_back(folder);
            }
        }
    }
    wake_.notify_all();
}

void LibraryWorker::ScanAll() {
    {
        const std::lock_guard lock(mutex_);
        scanAll_ = true;
    }
    wake_.notify_all();
}

void LibraryWorker::Cancel() {
    const std::lock_guard lock(mutex_);
    cancel_ = true;
    waiting_.clear();
    scanAll_ = false;
}

bool LibraryWorker::Scanning() const {
    const std::lock_guard lock(mutex_);
    return progress_.Running || !waiting_.empty() || scanAll_;
}

ScanProgress LibraryWorker::Progress() const {
    const std::lock_guard lock(mutex_);
    return progress_;
}

bool LibraryWorker::Busy() const {
    return running_ || !writes_.empty() || !waiting_.empty() || scanAll_ || !toRemember_.empty();
}

bool LibraryWorker::WaitUntilIdle(int timeoutMs) {
    std::unique_lock lock(mutex_);
    return idle_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !Busy(); });
}

void LibraryWorker::RunWrites(LibraryWriter& writer) {
    std::deque<std::pair<qint64, Write>> writes;
    {
        const std::lock_guard lock(mutex_);
        writes.swap(writes_);
    }
    for (auto& [number, write] : writes) {
        if (!failed_) {
            write(writer);
        }
        lastWrite_ = number;
    }
}

void LibraryWorker::Run() {
    // Below the player's threads: on a machine of two cores the scan takes what the display and
    // the audio leave (Linux sets the nice value of one thread by its id).
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kWorkerNice);
    LibraryConnection connection(file_, "worker");
    std::optional<LibraryWriter> writer;
    const LibraryStatus opened = connection.Open(false, kWorkerBusyTimeoutMs);
    if (opened.Fault == LibraryFault::None) {
        writer.emplace(connection.Database());
    }
    const auto checkFault = [&] {
        const LibraryStatus& status = writer ? writer->Fault() : opened;
        if (!failed_ && status.Fault != LibraryFault::None) {
            qWarning("library: %s", qPrintable(status.Message));
            failed_ = true;
            if (hooks_.Failed) {
                hooks_.Failed(status);
            }
        }
    };
    checkFault();
    ScanProgress session;  // the counts of the scans since the worker was last idle
    QElapsedTimer sinceProgress;
    QElapsedTimer sinceSongsChanged;
    sinceProgress.start();
    sinceSongsChanged.start();
    int changesCommitted = 0;
    bool songsChangedOwed = false;
    const auto committed = [&] {
        if (hooks_.Committed) {
            hooks_.Committed(lastWrite_);
        }
        const int changes = session.SongsAdded + session.SongsRemoved;
        songsChangedOwed = songsChangedOwed || changes != changesCommitted;
        changesCommitted = changes;
        if (songsChangedOwed && sinceSongsChanged.elapsed() >= kSongsChangedEveryMs) {
            songsChangedOwed = false;
            sinceSongsChanged.restart();
            if (hooks_.SongsChanged) {
                hooks_.SongsChanged();
            }
        }
    };
    const auto between = [&]() -> bool {
        bool cancelled = false;
        {
            const std::lock_guard lock(mutex_);
            progress_ = session;
            progress_.Running = true;
            cancelled = cancel_ || stop_;
        }
        RunWrites(*writer);
        if (writer->CommitIfDue()) {
            committed();
        }
        if (sinceProgress.elapsed() >= kProgressEveryMs) {
            sinceProgress.restart();
            if (hooks_.Progressed) {
                hooks_.Progressed(Progress());
            }
        }
        checkFault();
        return !cancelled && !failed_;
    };
    for (;;) {
        QStringList remember;
        bool scanAll = false;
        {
            std::unique_lock lock(mutex_);
            running_ = false;
            idle_.notify_all();
            wake_.wait(lock, [this] { return stop_ || Busy(); });
            if (stop_ && writes_.empty()) {
                break;
            }
            running_ = true;
            remember.swap(toRemember_);
            scanAll = scanAll_;
            scanAll_ = false;
        }
        if (failed_) {
            // The library is unusable: what was asked is dropped, the thread only waits to end.
            const std::lock_guard lock(mutex_);
            writes_.clear();
            waiting_.clear();
            continue;
        }
        RunWrites(*writer);
        for (const QString& folder : remember) {
            writer->AddFolder(folder);
        }
        if (scanAll) {
            const QStringList folders = writer->Folders();
            const std::lock_guard lock(mutex_);
            for (const QString& folder : folders) {
                if (std::find(waiting_.cbegin(), waiting_.cend(), folder) == waiting_.cend()) {
                    waiting_.push_back(folder);
                }
            }
        }
        std::optional<QString> folder;
        {
            const std::lock_guard lock(mutex_);
            if (!waiting_.empty() && !stop_) {
                folder = waiting_.front();
                waiting_.pop_front();
                cancel_ = false;
            }
        }
        if (folder) {
            session.Running = true;
            session.Folder = *folder;
            FolderScanner scanner(*writer, session, between);
            scanner.ScanRoot(*folder);
        }
        writer->Commit();
        checkFault();
        committed();
        bool ended = false;
        {
            const std::lock_guard lock(mutex_);
            ended = waiting_.empty() && !scanAll_;
            if (ended) {
                progress_ = session;
                progress_.Running = false;
            }
        }
        if (ended && session.Running) {
            if (hooks_.Progressed) {
                hooks_.Progressed(Progress());
            }
            if (songsChangedOwed && hooks_.SongsChanged) {
                hooks_.SongsChanged();
            }
            songsChangedOwed = false;
            session = {};
            changesCommitted = 0;
        }
    }
    if (writer) {
        RunWrites(*writer);
        writer->Commit();
        committed();
    }
}

}  // namespace vok::library
