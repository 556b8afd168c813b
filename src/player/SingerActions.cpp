// The singer's controls: the key and tempo of the song (kept per song in the library), softer
// lead vocals, and the even-loudness gain, all handed to the engine as one shaping.

#include "player/PlayerController.h"

#include <algorithm>
#include <cmath>

namespace vok {

void PlayerController::ChangeKey(int steps) {
    keyTempo_.KeySemitones = std::clamp(keyTempo_.KeySemitones + steps, audio::kMinKeySemitones,
                                        audio::kMaxKeySemitones);
    KeepKeyAndTempo();
    const int key = keyTempo_.KeySemitones;
    notice_.Show(QStringLiteral("Key: ") + (key > 0 ? QStringLiteral("+") : QString()) +
                 QString::number(key));
    ShowFrameNow();
}

void PlayerController::ChangeTempo(int steps) {
    SetTempoPercent(keyTempo_.TempoPercent + steps * audio::kTempoStepPercent);
    notice_.Show(QStringLiteral("Tempo: ") + QString::number(keyTempo_.TempoPercent) +
                 QStringLiteral(" %"));
    ShowFrameNow();
}

void PlayerController::SetTempoPercent(int percent) {
    // To the nearest step, within the limits.
    const int step = audio::kTempoStepPercent;
    const int rounded = static_cast<int>(std::lround(double(percent) / step)) * step;
    const int tempo = std::clamp(rounded, audio::kMinTempoPercent, audio::kMaxTempoPercent);
    if (tempo != keyTempo_.TempoPercent) {
        keyTempo_.TempoPercent = tempo;
        KeepKeyAndTempo();
    }
}

void PlayerController::ToggleVocals() {
    if (!vocalsReduced_ && HasStream() && !Engine().CanReduceVocals()) {
        notice_.Show(QStringLiteral("Vocals cannot be reduced: the song is mono"));
    } else {
        vocalsReduced_ = !vocalsReduced_;
        ApplyShaping();
        notice_.Show(vocalsReduced_ ? QStringLiteral("Vocals reduced")
                                    : QStringLiteral("Vocals normal"));
    }
    ShowFrameNow();
}

void PlayerController::KeepKeyAndTempo() {
    const QString song = LoadedSong();
    if (!song.isEmpty()) {
        library_->SetSongKeyAndTempo(song, keyTempo_);
    }
    ApplyShaping();
    emit PlayerChanged();
}

void PlayerController::TakeSongKeyAndTempo() {
    const QString song = LoadedSong();
    keyTempo_ = song.isEmpty() ? library::SongKeyTempo{} : library_->SongKeyAndTempo(song);
    ApplyShaping();
    emit PlayerChanged();
}

double PlayerController::SongGainDb() const {
    const QString song = LoadedSong();
    if (!settings_.EvenLoudness || song.isEmpty()) {
        return 0.0;
    }
    const std::optional<audio::Loudness> loudness = library_->SongLoudness(song);
    return loudness ? audio::GainForLoudness(*loudness, settings_.TargetLoudness) : 0.0;
}

void PlayerController::ApplyShaping() {
    audio::SoundShaping shaping;
    shaping.KeySemitones = keyTempo_.KeySemitones;
    shaping.TempoPercent = keyTempo_.TempoPercent;
    shaping.GainDb = SongGainDb();
    // A mono song plays as it is; the toggle stays for the next stereo one.
    shaping.VocalsReduced = vocalsReduced_ && (!HasStream() || Engine().CanReduceVocals());
    session_.Engine().SetShaping(shaping);
}

void PlayerController::LoudnessMeasured(const QString& song) {
    if (!song.isEmpty() && song == LoadedSong()) {
        ApplyShaping();  // the engine moves to the new gain smoothly
    }
}

}  // namespace vok
