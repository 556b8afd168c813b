#include "library/SongLibrary.h"

#include "library/LibraryDatabase.h"
#include "library/LibrarySearch.h"
#include "library/LibraryWorker.h"
#include "library/LoudnessMeter.h"
#include "library/SongFacts.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlQuery>

namespace vok::library {

namespace {

// A file locked by another program is reported after this long rather than holding up the start.
constexpr int kOpenBusyTimeoutMs = 250;
// The reads of the window: WAL readers are not blocked by the writer, only (briefly) by a
// recovery or a checkpoint of another process.
constexpr int kReadBusyTimeoutMs = 1000;

QString CleanFolder(const QString& folder) {
    return QDir::cleanPath(QFileInfo(QDir::fromNativeSeparators(folder)).absoluteFilePath());
}

}  // namespace

QString KindName(SongKind kind) {
    switch (kind) {
        case SongKind::Lyrics:
            return QStringLiteral("Lyrics");
        case SongKind::Lrc:
            return QStringLiteral("LRC");
        case SongKind::Graphics:
            return QStringLiteral("CD+G");
        case SongKind::Audio:
            break;
    }
    return QStringLiteral("Audio");
}

struct SongLibrary::State {
    // What the UI thread queued and the worker has not committed yet: read back from here, so
    // a value set is the value read at once.
    struct Pending {
        std::optional<int> LyricOffsetMs;
        std::optional<TitleArtist> Title;
        std::optional<SongKeyTempo> KeyTempo;
        bool Measured = false;
        std::optional<audio::Loudness> Loudness;
        qint64 Write = 0;
    };

    QString file;
    LibraryStatus status;
    std::unique_ptr<LibraryConnection> reader;
    std::unique_ptr<LibraryWorker> worker;
    std::unique_ptr<LoudnessMeter> meter;
    QHash<QString, Pending> pending;
    QSet<QString> measured;  // results that came in this run
    bool meterFed = false;   // library songs were handed to the meter and it is not idle yet

    bool Usable() const { return status.Fault == LibraryFault::None && worker && reader; }
    QSqlDatabase Db() const { return reader->Database(); }
};

SongLibrary::SongLibrary(const QString& databaseFile, QObject* parent)
    : QObject(parent), state_(std::make_unique<State>()) {
    state_->file = QFileInfo(databaseFile).absoluteFilePath();
    try {
        Open();
    } catch (...) {
        state_->worker.reset();
        state_->reader.reset();
        state_->status = StatusOf(LibraryFault::CannotOpen);
    }
}

SongLibrary::~SongLibrary() {
    // The meter first, then the worker: it ends its scan at the next file and commits what is
    // queued.
    state_->meter.reset();
    state_->worker.reset();
    state_->reader.reset();
}

void SongLibrary::Open() {
    State& state = *state_;
    state.reader = std::make_unique<LibraryConnection>(state.file, "reader");
    state.status = state.reader->Open(true, kOpenBusyTimeoutMs);
    if (state.status.Fault != LibraryFault::None) {
        state.reader.reset();
        return;
    }
    Exec(state.Db(), QStringLiteral("PRAGMA busy_timeout=%1").arg(kReadBusyTimeoutMs));
    LibraryWorker::Hooks hooks;
    // Each hook runs on the worker thread and hands over to this object's thread.
    hooks.Progressed = [this](const ScanProgress& progress) {
        QMetaObject::invokeMethod(
            this, [this, progress] { emit ScanProgressed(progress); }, Qt::QueuedConnection);
    };
    hooks.SongsChanged = [this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                emit SongsChanged();
                FeedMeter();
            },
            Qt::QueuedConnection);
    };
    hooks.Committed = [this](qint64 write) {
        QMetaObject::invokeMethod(
            this,
            [this, write] {
                state_->pending.removeIf(
                    [write](const QHash<QString, State::Pending>::iterator& it) {
                        return it->Write <= write;
                    });
            },
            Qt::QueuedConnection);
    };
    hooks.Failed = [this](const LibraryStatus& status) {
        QMetaObject::invokeMethod(
            this,
            [this, status] {
                state_->status = status;
                emit StatusChanged();
            },
            Qt::QueuedConnection);
    };
    state.worker = std::make_unique<LibraryWorker>(state.file, std::move(hooks));
    state.meter = std::make_unique<LoudnessMeter>(
        [this](const QString& path, const std::optional<audio::Loudness>& loudness) {
            QMetaObject::invokeMethod(
                this, [this, path, loudness] { TakeLoudness(path, loudness); },
                Qt::QueuedConnection);
        },
        [this] {
            QMetaObject::invokeMethod(
                this,
                [this] {
                    state_->meterFed = false;
                    FeedMeter();
                },
                Qt::QueuedConnection);
        });
    FeedMeter();
}

void SongLibrary::FeedMeter() {
    State& state = *state_;
    if (!state.Usable() || !state.meter || state.meterFed) {
        return;
    }
    // A song whose result is not committed yet is still unmeasured in the file.
    QStringList paths = SongsToMeasure(state.Db(), 200);
    paths.removeIf([&state](const QString& path) { return state.measured.contains(path); });
    if (!paths.isEmpty()) {
        state.meterFed = true;
        state.meter->Later(paths);
    }
}

void SongLibrary::TakeLoudness(const QString& path,
                               const std::optional<audio::Loudness>& loudness) {
    State& state = *state_;
    if (!state.Usable()) {
        return;
    }
    state.measured.insert(path);
    State::Pending& pending = state.pending[path];
    pending.Measured = true;
    pending.Loudness = loudness;
    pending.Write = state.worker->Queue(
        [path, loudness](LibraryWriter& writer) { writer.SetLoudness(path, loudness); });
    emit LoudnessMeasured(path);
}

const LibraryStatus& SongLibrary::Status() const {
    return state_->status;
}

bool SongLibrary::Rebuild() {
    State& state = *state_;
    if (!state.status.CanRebuild) {
        return false;
    }
    state.meter.reset();
    state.worker.reset();
    state.reader.reset();
    state.pending.clear();
    state.measured.clear();
    state.meterFed = false;
    // Kept, never deleted: the user may want it back. The write-ahead log goes with it (a log
    // beside a fresh file would be played into it); the shared-memory index is rebuilt anyway.
    QString aside = state.file + QStringLiteral(".broken-") +
                    QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    for (int n = 2; QFileInfo::exists(aside + (n == 2 ? QString() : QString::number(n))); ++n) {
        if (!QFileInfo::exists(aside + QLatin1Char('-') + QString::number(n))) {
            aside += QLatin1Char('-') + QString::number(n);
            break;
        }
    }
    if (QFileInfo::exists(state.file) && !QFile::rename(state.file, aside)) {
        state.status = StatusOf(LibraryFault::CannotOpen,
                                QStringLiteral("the damaged file cannot be moved aside"));
        emit StatusChanged();
        return false;
    }
    const QString wal = state.file + QStringLiteral("-wal");
    if (QFileInfo::exists(wal)) {
        QFile::rename(wal, aside + QStringLiteral("-wal"));
    }
    QFile::remove(state.file + QStringLiteral("-shm"));
    Open();
    emit StatusChanged();
    return Available();
}

void SongLibrary::AddFolders(const QStringList& folders) {
    if (!state_->Usable() || folders.isEmpty()) {
        return;
    }
    QStringList clean;
    for (const QString& folder : folders) {
        if (!folder.isEmpty()) {
            clean.append(CleanFolder(folder));
        }
    }
    state_->worker->ScanFolders(clean, true);
}

void SongLibrary::Rescan() {
    if (state_->Usable()) {
        state_->worker->ScanAll();
    }
}

void SongLibrary::CancelScan() {
    if (state_->Usable()) {
        state_->worker->Cancel();
    }
}

bool SongLibrary::Scanning() const {
    return state_->Usable() && state_->worker->Scanning();
}

ScanProgress SongLibrary::Progress() const {
    return state_->Usable() ? state_->worker->Progress() : ScanProgress{};
}

QStringList SongLibrary::Folders() const {
    QStringList folders;
    if (!state_->Usable()) {
        return folders;
    }
    QSqlQuery query(state_->Db());
    if (query.exec(QStringLiteral("SELECT path FROM folders ORDER BY path"))) {
        while (query.next()) {
            folders.append(query.value(0).toString());
        }
    }
    return folders;
}

bool SongLibrary::WaitUntilIdle(int timeoutMs) {
    return !state_->worker || state_->worker->WaitUntilIdle(timeoutMs);
}

QList<SongRow> SongLibrary::Search(const QString& text, int limit) const {
    return state_->Usable() ? SearchSongs(state_->Db(), text, limit) : QList<SongRow>{};
}

std::optional<SongRow> SongLibrary::Find(const QString& path) const {
    return state_->Usable() ? FindSong(state_->Db(), path) : std::nullopt;
}

int SongLibrary::SongCount() const {
    return state_->Usable() ? CountSongs(state_->Db()) : 0;
}

TitleArtist SongLibrary::RowTitle(const QString& path) {
    State& state = *state_;
    if (!state.Usable()) {
        return ReadSongTitle(path);
    }
    if (const auto pending = state.pending.constFind(path);
        pending != state.pending.cend() && pending->Title) {
        return *pending->Title;
    }
    const std::optional<FileStamp> stamp = StampOf(path);
    if (stamp) {
        const std::optional<StoredSong> stored = ReadStoredSong(state.Db(), path);
        if (stored && stored->Size == stamp->Size && stored->ModifiedMs == stamp->ModifiedMs) {
            return {stored->Title, stored->Artist};
        }
    }
    const TitleArtist title = ReadSongTitle(path);
    if (stamp) {
        State::Pending& pending = state.pending[path];
        pending.Title = title;
        pending.Write = state.worker->Queue([path](LibraryWriter& writer) { writer.Learn(path); });
    }
    return title;
}

int SongLibrary::SongLyricOffset(const QString& path) const {
    const State& state = *state_;
    if (!state.Usable()) {
        return 0;
    }
    if (const auto pending = state.pending.constFind(path);
        pending != state.pending.cend() && pending->LyricOffsetMs) {
        return *pending->LyricOffsetMs;
    }
    const std::optional<StoredSong> stored = ReadStoredSong(state.Db(), path);
    return stored ? stored->LyricOffsetMs : 0;
}

void SongLibrary::SetSongLyricOffset(const QString& path, int offsetMs) {
    State& state = *state_;
    if (!state.Usable()) {
        return;
    }
    State::Pending& pending = state.pending[path];
    pending.LyricOffsetMs = offsetMs;
    pending.Write = state.worker->Queue(
        [path, offsetMs](LibraryWriter& writer) { writer.SetLyricOffset(path, offsetMs); });
}

SongKeyTempo SongLibrary::SongKeyAndTempo(const QString& path) const {
    const State& state = *state_;
    if (!state.Usable()) {
        return {};
    }
    if (const auto pending = state.pending.constFind(path);
        pending != state.pending.cend() && pending->KeyTempo) {
        return *pending->KeyTempo;
    }
    const std::optional<StoredSong> stored = ReadStoredSong(state.Db(), path);
    return stored ? stored->KeyTempo : SongKeyTempo{};
}

void SongLibrary::SetSongKeyAndTempo(const QString& path, SongKeyTempo keyTempo) {
    State& state = *state_;
    if (!state.Usable()) {
        return;
    }
    State::Pending& pending = state.pending[path];
    pending.KeyTempo = keyTempo;
    pending.Write = state.worker->Queue(
        [path, keyTempo](LibraryWriter& writer) { writer.SetKeyTempo(path, keyTempo); });
}

std::optional<audio::Loudness> SongLibrary::SongLoudness(const QString& path) const {
    const State& state = *state_;
    if (!state.Usable()) {
        return std::nullopt;
    }
    if (const auto pending = state.pending.constFind(path);
        pending != state.pending.cend() && pending->Measured) {
        return pending->Loudness;
    }
    const std::optional<StoredSong> stored = ReadStoredSong(state.Db(), path);
    return stored ? stored->Loudness : std::nullopt;
}

void SongLibrary::MeasureFirst(const QStringList& paths) {
    State& state = *state_;
    if (!state.Usable() || !state.meter) {
        return;
    }
    QStringList waiting;
    for (const QString& path : paths) {
        if (state.measured.contains(path)) {
            continue;
        }
        const std::optional<StoredSong> stored = ReadStoredSong(state.Db(), path);
        if (!stored || stored->LoudnessMeasured == 0) {
            waiting.append(path);
        }
    }
    if (!waiting.isEmpty()) {
        state.meter->First(waiting);
    }
}

void SongLibrary::NotePlayed(const QString& path) {
    if (state_->Usable()) {
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        state_->worker->Queue([path, now](LibraryWriter& writer) { writer.NotePlayed(path, now); });
    }
}

void SongLibrary::NoteDuration(const QString& path, int durationMs) {
    if (state_->Usable() && durationMs > 0) {
        state_->worker->Queue(
            [path, durationMs](LibraryWriter& writer) { writer.NoteDuration(path, durationMs); });
    }
}

}  // namespace vok::library
