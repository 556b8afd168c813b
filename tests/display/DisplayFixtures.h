#pragma once

#include "display/DisplayHost.h"
#include "lyrics/Vokalento.h"
#include "support/TempDir.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace vok::test {

struct TimedLine {
    int Start;
    int End;
    QString Text;
};

// Bytes of a version-2 lyric file with the given lines, numbered from 1.
QByteArray LyricFileBytes(const QString& title, const QString& artist,
                          const std::vector<TimedLine>& lines);

// Loads a song model from lines written to a temporary lyric file.
void LoadSong(TVokalento& song, const TempDir& dir, const std::vector<TimedLine>& lines,
              const QString& title = QStringLiteral("Title"),
              const QString& artist = QStringLiteral("Artist"));

// Raw 16-bit pixel.
inline std::uint16_t PixelAt(const QImage& image, int x, int y) {
    return reinterpret_cast<const std::uint16_t*>(image.constScanLine(y))[x];
}
// True when every pixel of the row has the value.
bool RowIs(const QImage& image, int y, std::uint16_t value);
// Number of pixels of rows top..bottom whose value differs from the given one.
int CountOtherThan(const QImage& image, int top, int bottom, std::uint16_t value);

// A player for the display to talk to, with every call it makes recorded.
class FakeHost : public DisplayHost {
  public:
    bool Stream = true;
    bool Playing = true;
    int Position = 0;      // what the engine reports now
    int LastPosition = 0;  // what the tick stored
    int Length = 225000;
    int State = play_state::Playing;
    int Line = 0;
    TVokalento SongModel;
    QStringList Entries{QStringLiteral("/songs/one.mp3")};
    int Index = 0;
    bool Random = false;

    int StoppaCalls = 0;
    std::vector<int> Skips;
    std::vector<int> Seeks;
    int Progress = -1;
    bool Armed = false;
    int ArmCalls = 0;
    int SpectrumFrames = 0;
    bool ButtonsEnabled = true;
    std::vector<int> StatesSet;

    bool HasStream() const override { return Stream; }
    bool IsStreamPlaying() const override { return Stream && Playing; }
    int ReadPositionMs() override { return Position; }
    int PositionMs() const override { return LastPosition; }
    void SetPositionMs(int ms) override { LastPosition = ms; }
    int LengthMs() const override { return Length; }
    int PlayState() const override { return State; }
    void SetPlayState(int state) override {
        State = state;
        StatesSet.push_back(state);
    }
    int CurrentLine() const override { return Line; }
    void SetCurrentLine(int line) override { Line = line; }
    void SeekToSeconds(int seconds) override { Seeks.push_back(seconds); }
    void Stoppa() override {
        ++StoppaCalls;
        State = play_state::Idle;
        Armed = false;
    }
    const TVokalento& Song() const override { return SongModel; }
    int PlayIndex() const override { return Index; }
    int EntryCount() const override { return static_cast<int>(Entries.size()); }
    QString EntryPath(int index) const override { return Entries.value(index); }
    bool RandomDown() const override { return Random; }
    void SkipPlay(int index) override { Skips.push_back(index); }
    void SetPlayProgress(int positionMs) override { Progress = positionMs; }
    void ArmTimer() override {
        Armed = true;
        ++ArmCalls;
    }
    void DisarmTimer() override { Armed = false; }
    void UpdateSpectrum() override { ++SpectrumFrames; }
    void SetLoadButtonsEnabled(bool enabled) override { ButtonsEnabled = enabled; }
    void SurfaceChanged(const QRect&) override {}
};

}  // namespace vok::test
