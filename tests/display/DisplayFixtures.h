#pragma once

#include "display/DisplayHost.h"
#include "lyrics/Vokalento.h"
#include "support/LyricFileWriter.h"
#include "support/TempDir.h"

#include <QImage>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace vok::test {

struct TimedLine {
    int Start;
    int End;
    const char* Text;
};

// Loads the song model from a version-2 lyric file with these lines.
inline void LoadSong(TVokalento& song, const TempDir& dir, const std::vector<TimedLine>& lines,
                     const QString& artist = QStringLiteral("Artist")) {
    LyricFileWriter writer(2);
    writer.Title(QStringLiteral("Title")).Artist(artist);
    for (const TimedLine& line : lines) {
        writer.Line(line.Start, line.End, QString::fromLatin1(line.Text));
    }
    song.Reset();
    song.LoadFromFile(writer.Write(dir.FilePath(QStringLiteral("song.vok"))));
}

inline std::uint16_t PixelAt(const QImage& image, int x, int y) {
    return reinterpret_cast<const std::uint16_t*>(image.constScanLine(y))[x];
}

// Pixels of rows top..bottom other than the value.
inline int CountOtherThan(const QImage& image, int top, int bottom, std::uint16_t value) {
    int count = 0;
    for (int y = top; y <= bottom; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += PixelAt(image, x, y) != value ? 1 : 0;
        }
    }
    return count;
}

inline bool RowIs(const QImage& image, int y, std::uint16_t value) {
    return CountOtherThan(image, y, y, value) == 0;
}

// A player for the display to talk to, recording what the display asks of it.
class FakeHost : public DisplayHost {
  public:
    bool Stream = true, Playing = true, Armed = false, ButtonsEnabled = true;
    int Position = 0, LastPosition = 0, Length = 225000, Line = 0, Index = 0;
    int StoppaCalls = 0, SongEnds = 0, SpectrumFrames = 0;
    PlayState Now = PlayState::Playing;
    TVokalento SongModel;
    QStringList Entries{QStringLiteral("/songs/one.mp3")};
    std::vector<int> Seeks;

    bool HasStream() const override { return Stream; }
    bool IsStreamPlaying() const override { return Stream && Playing; }
    int ReadPositionMs() override { return LastPosition = Position; }
    int PositionMs() const override { return LastPosition; }
    int LengthMs() const override { return Length; }
    PlayState State() const override { return Now; }
    int CurrentLine() const override { return Line; }
    void SetCurrentLine(int line) override { Line = line; }
    void SeekToSeconds(int seconds) override { Seeks.push_back(seconds); }
    void Stoppa() override {
        ++StoppaCalls;
        Now = PlayState::Idle;
    }
    const TVokalento& Song() const override { return SongModel; }
    int PlayIndex() const override { return Index; }
    int EntryCount() const override { return static_cast<int>(Entries.size()); }
    QString EntryPath(int index) const override { return Entries.value(index); }
    void SongEnded() override { ++SongEnds; }
    void SetPlayProgress(int) override {}
    void ArmTimer() override { Armed = true; }
    void DisarmTimer() override { Armed = false; }
    void UpdateSpectrum() override { ++SpectrumFrames; }
    void SetLoadButtonsEnabled(bool enabled) override { ButtonsEnabled = enabled; }
    void SurfaceChanged(const QRect&) override {}
};

}  // namespace vok::test
