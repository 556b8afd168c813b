// What the playback engine and the lyric display ask of the player window.

#include "app/VokPlayForm.h"

#include "app/VolumeBar.h"
#include "controls/ButtonPictures.h"
#include "controls/Gradient.h"

namespace vok {

// --- PlayerView -----------------------------------------------------------------------------

void TVokPlayForm::RepaintPlaylist() {
    // The playlist window mirrors PlayItems once it exists; the main window shows no rows.
}

void TVokPlayForm::ClearPlayIndex() {
    playList_->SetPlayIndex(-1);
}

void TVokPlayForm::ShowLogo() {
    display_.VisaLogo();
}

void TVokPlayForm::SetLyricsDirty() {
    display_.LyricsDirty = true;
}

void TVokPlayForm::ReleaseBarImage() {
    display_.ReleaseBar();
}

void TVokPlayForm::SetSpectrumStream(std::uint32_t stream) {
    // Kept for the spectrum analyser, which SpecPanel will host.
    spectrumStream_ = stream;
}

void TVokPlayForm::ClearSpectrum() {}

void TVokPlayForm::SetLoadButtonsEnabled(bool enabled) {
    controls_.VokBtn->setEnabled(enabled);
    controls_.UnloadVokBtn->setEnabled(enabled);
    controls_.MP3Btn->setEnabled(enabled);
    controls_.UnloadMP3Btn->setEnabled(enabled);
}

void TVokPlayForm::ShowNormalPlayButtons() {
    controls_.PlayBtn->ShowImage(PlayKnappar(), 0);
    controls_.PausBtn->ShowImage(PausKnappar(), 0);
}

void TVokPlayForm::ShowPlayingButtons() {
    controls_.PlayBtn->ShowImage(PlayKnappar(), 2);
    controls_.PausBtn->ShowImage(PausKnappar(), 0);
}

void TVokPlayForm::SetPauseButtonPicture(bool paused) {
    controls_.PausBtn->ShowImage(PausKnappar(), paused ? 2 : 0);
}

void TVokPlayForm::SetVolumeBar(int value) {
    volBar_->SetValue(value);
}

void TVokPlayForm::SetVolumeBarColor(std::uint32_t colour) {
    volBar_->SetBarColor(ToQColor(colour));
}

void TVokPlayForm::StartTick() {
    ArmTimer();
}

void TVokPlayForm::StopTick() {
    DisarmTimer();
}

// --- DisplayHost ----------------------------------------------------------------------------

bool TVokPlayForm::HasStream() const {
    return engine_.Stream() != 0;
}

bool TVokPlayForm::IsStreamPlaying() const {
    return engine_.IsPlaying();
}

int TVokPlayForm::ReadPositionMs() {
    return engine_.ReadPosition();
}

int TVokPlayForm::PositionMs() const {
    return engine_.PositionMs();
}

void TVokPlayForm::SetPositionMs(int /*ms*/) {
    // The engine keeps the position it read last; ReadPositionMs already stored it.
}

int TVokPlayForm::LengthMs() const {
    return engine_.LengthMs();
}

int TVokPlayForm::PlayState() const {
    return engine_.PlayState();
}

void TVokPlayForm::SetPlayState(int state) {
    engine_.SetPlayState(state);
}

int TVokPlayForm::CurrentLine() const {
    return engine_.CurrentLine();
}

void TVokPlayForm::SetCurrentLine(int line) {
    engine_.SetCurrentLine(line);
}

void TVokPlayForm::SeekToSeconds(int seconds) {
    const std::uint32_t stream = engine_.Stream();
    if (stream == 0) {
        return;
    }
    audio::ChannelSetPosition(
        stream, audio::ChannelSeconds2Bytes(stream, static_cast<double>(std::max(seconds, 0))),
        audio::kPosByte);
}

void TVokPlayForm::Stoppa() {
    engine_.Stoppa();
}

int TVokPlayForm::PlayIndex() const {
    return playList_->PlayIndex();
}

int TVokPlayForm::EntryCount() const {
    return playList_->Count();
}

QString TVokPlayForm::EntryPath(int index) const {
    const QStringList& items = playList_->PlayItems();
    return index >= 0 && index < items.size() ? items.at(index) : QString();
}

bool TVokPlayForm::RandomDown() const {
    return playList_->Random();
}

void TVokPlayForm::SetPlayProgress(int /*positionMs*/) {
    // The play progress bar belongs to the playlist window.
}

void TVokPlayForm::ArmTimer() {
    tmr_.start();
}

void TVokPlayForm::DisarmTimer() {
    tmr_.stop();
}

void TVokPlayForm::UpdateSpectrum() {
    // One analyser frame per tick, once the analyser is fitted into SpecPanel.
}

void TVokPlayForm::SurfaceChanged(const QRect& area) {
    update(area);
}

// --- MessageSink ----------------------------------------------------------------------------

void TVokPlayForm::ShowError(const QString& text) {
    dialogs_->Message(Caption(), text, UserDialogs::Icon::Error);
}

void TVokPlayForm::ShowMessage(const QString& text) {
    dialogs_->Message(Caption(), text, UserDialogs::Icon::None);
}

}  // namespace vok
