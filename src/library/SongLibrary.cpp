#include "library/SongLibrary.h"

#include "library/SongFacts.h"

namespace vok::library {

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
    LibraryStatus status;
};

SongLibrary::SongLibrary(const QString&, QObject* parent)
    : QObject(parent), state_(std::make_unique<State>()) {
    state_->status = {LibraryFault::CannotOpen, QStringLiteral("The library is not built yet."),
                      false};
}

SongLibrary::~SongLibrary() = default;

const LibraryStatus& SongLibrary::Status() const {
    return state_->status;
}
bool SongLibrary::Rebuild() {
    return false;
}
void SongLibrary::AddFolders(const QStringList&) {}
void SongLibrary::Rescan() {}
void SongLibrary::CancelScan() {}
bool SongLibrary::Scanning() const {
    return false;
}
ScanProgress SongLibrary::Progress() const {
    return {};
}
QList<SongRow> SongLibrary::Search(const QString&, int) const {
    return {};
}
std::optional<SongRow> SongLibrary::Find(const QString&) const {
    return std::nullopt;
}
int SongLibrary::SongCount() const {
    return 0;
}
TitleArtist SongLibrary::RowTitle(const QString& path) {
    return ReadSongTitle(path);
}
int SongLibrary::SongLyricOffset(const QString&) const {
    return 0;
}
void SongLibrary::SetSongLyricOffset(const QString&, int) {}
void SongLibrary::NotePlayed(const QString&) {}
void SongLibrary::NoteDuration(const QString&, int) {}

}  // namespace vok::library
