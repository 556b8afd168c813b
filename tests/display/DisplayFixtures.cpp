#include "DisplayFixtures.h"

#include "core/TextCodec.h"

#include <QtEndian>

namespace vok::test {

namespace {

void AppendInt(QByteArray& bytes, std::int32_t value) {
    char raw[4];
    qToLittleEndian(value, raw);
    bytes.append(raw, 4);
}

// A length byte, the text, and padding up to the field's size.
void AppendField(QByteArray& bytes, const QString& text, int size) {
    QByteArray encoded = EncodeWindows1252(text).left(size - 1);
    bytes.append(static_cast<char>(encoded.size()));
    bytes.append(encoded);
    bytes.append(QByteArray(size - 1 - encoded.size(), '\0'));
}

}  // namespace

QByteArray LyricFileBytes(const QString& title, const QString& artist,
                          const std::vector<TimedLine>& lines) {
    QByteArray bytes("VOKALENTO");
    bytes.append('\x02');
    AppendField(bytes, title, 128);
    AppendField(bytes, artist, 128);
    AppendField(bytes, QString(), 64);
    AppendInt(bytes, 0);
    AppendInt(bytes, lines.empty() ? 0 : lines.back().End);
    AppendInt(bytes, 0);
    AppendField(bytes, QStringLiteral("song.mp3"), 256);
    AppendInt(bytes, static_cast<std::int32_t>(lines.size()));
    int number = 1;
    for (const TimedLine& line : lines) {
        const QByteArray text = EncodeWindows1252(line.Text).left(255);
        bytes.append("SID", 3);
        AppendInt(bytes, number++);
        AppendInt(bytes, line.Start);
        AppendInt(bytes, line.End);
        bytes.append(static_cast<char>(text.size()));
        bytes.append(text);
    }
    return bytes;
}

void LoadSong(TVokalento& song, const TempDir& dir, const std::vector<TimedLine>& lines,
              const QString& title, const QString& artist) {
    const QString path =
        dir.Write(QStringLiteral("song.vok"), LyricFileBytes(title, artist, lines));
    song.Reset();
    song.LoadFromFile(path);
}

bool RowIs(const QImage& image, int y, std::uint16_t value) {
    for (int x = 0; x < image.width(); ++x) {
        if (PixelAt(image, x, y) != value) {
            return false;
        }
    }
    return true;
}

int CountOtherThan(const QImage& image, int top, int bottom, std::uint16_t value) {
    int count = 0;
    for (int y = top; y <= bottom; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += PixelAt(image, x, y) != value ? 1 : 0;
        }
    }
    return count;
}

}  // namespace vok::test
