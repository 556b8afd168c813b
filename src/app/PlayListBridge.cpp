#include "app/PlayListBridge.h"

#include "app/VokPlayForm.h"

namespace vok {

int PlayListBridge::PlayState() const {
    return form_.PlayState();
}

void PlayListBridge::SetPlayState(int state) {
    form_.SetPlayState(state);
}

bool PlayListBridge::StreamLoaded() const {
    return form_.HasStream();
}

bool PlayListBridge::LaddaFil(const QString& fileName) {
    // The rules move on past an entry that gives nothing to play, so a lyric file whose song was
    // found but cannot be decoded counts as failed here.
    return form_.LoadEntryFile(fileName).StreamOpened;
}

void PlayListBridge::StartLoadedSong() {
    form_.Engine().StartPlay();
    form_.SetPlayProgress(0);
}

void PlayListBridge::StartDisplay() {
    form_.StartDisplay();
}

void PlayListBridge::Stoppa() {
    form_.Stoppa();
}

void PlayListBridge::UnloadAudio() {
    form_.UnloadMP3BtnClick();
}

void PlayListBridge::ClearSong() {
    form_.ClearSong();
}

void PlayListBridge::OpenLyricFile(const QString& fileName) {
    form_.OpenLyricFile(fileName);
}

void PlayListBridge::OpenAudioFile(const QString& fileName) {
    form_.OpenAudioFile(fileName);
}

void PlayListBridge::RepaintRows() {
    form_.RepaintPlaylist();
}

void PlayListBridge::RemoveAllRows() {
    form_.RepaintPlaylist();
}

void PlayListBridge::RefreshStatusLine() {
    form_.RepaintPlaylist();
}

}  // namespace vok
