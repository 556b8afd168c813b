#include "lyrics/LrcFile.h"

#include <QFile>
#include <algorithm>
#include <limits>

#include "core/TextCodec.h"
#include "lyrics/LyricsLog.h"

namespace vok {

namespace {

constexpr std::int64_t kMaxMs = std::numeric_limits<std::int32_t>::max();
constexpr qsizetype kMaxTextLength = 255;  // what a LyricLine holds
// Digits beyond these cannot change a clamped result and would overflow the sum.
constexpr qsizetype kMaxNumberDigits = 12;

std::int32_t ClampMs(std::int64_t ms) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(ms, 0, kMaxMs));
}

// Digits from `at` on; -1 when there are none. Long runs saturate instead of overflowing.
std::int64_t ReadNumber(QStringView text, qsizetype& at, qsizetype* digits = nullptr) {
    const qsizetype start = at;
    std::int64_t value = 0;
    while (at < text.size() && text[at].isDigit() && text[at].unicode() < 128) {
        if (at - start < kMaxNumberDigits) {
            value = value * 10 + (text[at].unicode() - '0');
        }
        ++at;
    }
    if (digits != nullptr) {
        *digits = at - start;
    }
    return at == start ? -1 : value;
}

struct Stamp {
    std::int32_t Time;
    QString Text;  // empty: a gap
};

// The text with every "<mm:ss.xx>" word stamp taken out.
QString WithoutWordStamps(QStringView text) {
    QString out;
    out.reserve(text.size());
    qsizetype at = 0;
    while (at < text.size()) {
        if (text[at] == QLatin1Char('<')) {
            const qsizetype close = text.indexOf(QLatin1Char('>'), at + 1);
            if (close > at && ParseLrcTime(text.sliced(at + 1, close - at - 1)) >= 0) {
                at = close + 1;
                continue;
            }
        }
        out.append(text[at]);
        ++at;
    }
    return out;
}

bool ApplyTag(QStringView key, QStringView value, LrcSong& song) {
    if (key.compare(QLatin1String("ti"), Qt::CaseInsensitive) == 0) {
        song.Title = value.trimmed().left(kMaxTextLength).toString();
    } else if (key.compare(QLatin1String("ar"), Qt::CaseInsensitive) == 0) {
        song.Artist = value.trimmed().left(kMaxTextLength).toString();
    } else if (key.compare(QLatin1String("length"), Qt::CaseInsensitive) == 0) {
        song.LengthMs = ClampMs(ParseLrcTime(value.trimmed()));
    } else if (key.compare(QLatin1String("offset"), Qt::CaseInsensitive) == 0) {
        const QStringView number = value.trimmed();
        qsizetype at = 0;
        const bool negative = number.startsWith(QLatin1Char('-'));
        if (negative || number.startsWith(QLatin1Char('+'))) {
            at = 1;
        }
        const std::int64_t ms = ReadNumber(number, at);
        if (ms >= 0 && at == number.size()) {
            const auto limited =
                static_cast<std::int32_t>(std::min<std::int64_t>(ms, kLrcMaxOffsetMs));
            song.OffsetMs = negative ? -limited : limited;
        }
    } else {
        return false;
    }
    return true;
}

// One line of the file: its leading stamps (blanks between them allowed) become entries with the
// text after them; a tag line sets the tag. Anything else ("[Chorus]", plain text) is passed over.
void ParseLine(QStringView line, LrcSong& song, std::vector<Stamp>& stamps) {
    line = line.trimmed();
    std::vector<std::int32_t> times;
    qsizetype at = 0;
    while (at < line.size() && line[at] == QLatin1Char('[')) {
        const qsizetype close = line.indexOf(QLatin1Char(']'), at + 1);
        if (close < 0) {
            break;
        }
        const QStringView inside = line.sliced(at + 1, close - at - 1);
        const std::int64_t time = ParseLrcTime(inside);
        if (time >= 0) {
            times.push_back(ClampMs(time));
        } else if (times.empty()) {
            const qsizetype colon = inside.indexOf(QLatin1Char(':'));
            if (colon > 0 && ApplyTag(inside.first(colon), inside.sliced(colon + 1), song)) {
                return;
            }
            break;
        } else {
            break;
        }
        at = close + 1;
        // Blanks may stand between stamps ("[00:02] [00:06] text"); before the text the trimming
        // below drops them anyway.
        while (at < line.size() && line[at].isSpace()) {
            ++at;
        }
    }
    if (times.empty()) {
        return;
    }
    const QString text = WithoutWordStamps(line.sliced(at)).simplified().left(kMaxTextLength);
    for (const std::int32_t time : times) {
        if (stamps.size() >= kLrcMaxStamps) {
            return;
        }
        stamps.push_back({time, text});
    }
}

}  // namespace

std::int64_t ParseLrcTime(QStringView text) {
    text = text.trimmed();
    bool negative = false;
    qsizetype at = 0;
    if (text.startsWith(QLatin1Char('-'))) {
        negative = true;
        at = 1;
    }
    const std::int64_t minutes = ReadNumber(text, at);
    if (minutes < 0 || at >= text.size() || text[at] != QLatin1Char(':')) {
        return -1;
    }
    ++at;
    const std::int64_t seconds = ReadNumber(text, at);
    if (seconds < 0) {
        return -1;
    }
    std::int64_t fraction = 0;
    if (at < text.size() && (text[at] == QLatin1Char('.') || text[at] == QLatin1Char(':'))) {
        ++at;
        qsizetype digits = 0;
        const qsizetype start = at;
        if (ReadNumber(text, at, &digits) < 0) {
            return -1;
        }
        // Tenths, hundredths or thousandths by the digit count; further digits are below a ms.
        for (qsizetype i = 0; i < 3; ++i) {
            fraction = fraction * 10 + (i < digits ? text[start + i].unicode() - '0' : 0);
        }
    }
    if (at != text.size()) {
        return -1;
    }
    if (negative) {
        return 0;  // before the song starts: shown from its start
    }
    return std::min(minutes * 60000 + seconds * 1000 + fraction, kMaxMs);
}

LrcSong ParseLrc(QByteArrayView bytes) {
    if (bytes.size() > kLrcMaxBytes) {
        bytes = bytes.first(kLrcMaxBytes);
        // Cut at the last line end, so no character is split and taken for Windows-1252.
        const qsizetype end = QByteArrayView(bytes).lastIndexOf('\n');
        bytes = bytes.first(end < 0 ? 0 : end);
    }
    const QString text = DecodeText(bytes);
    LrcSong song;
    std::vector<Stamp> stamps;
    qsizetype start = 0;
    while (start <= text.size() && stamps.size() < kLrcMaxStamps) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0) {
            end = text.size();
        }
        // A lone CR ends a line too (old Mac files); trimming drops the CR of a CR LF.
        QStringView line = QStringView(text).sliced(start, end - start);
        qsizetype cr = 0;
        while ((cr = line.indexOf(QLatin1Char('\r'))) >= 0 && cr + 1 < line.size()) {
            ParseLine(line.first(cr), song, stamps);
            line = line.sliced(cr + 1);
        }
        ParseLine(line, song, stamps);
        start = end + 1;
    }
    // Stable: lines stamped alike keep the file's order.
    std::stable_sort(stamps.begin(), stamps.end(),
                     [](const Stamp& a, const Stamp& b) { return a.Time < b.Time; });

    // Walking back, `next` is the first stamp later than the one at hand; a line ends just before
    // it, so the next line (or gap) shows from its own stamp.
    std::int64_t next = -1;
    std::size_t kept = 0;
    for (const Stamp& stamp : stamps) {
        kept += stamp.Text.isEmpty() ? 0 : 1;
    }
    song.Lines.resize(kept);
    std::size_t slot = kept;
    for (std::size_t i = stamps.size(); i-- > 0;) {
        const Stamp& stamp = stamps[i];
        if (i + 1 < stamps.size() && stamps[i + 1].Time > stamp.Time) {
            next = stamps[i + 1].Time;
        }
        if (stamp.Text.isEmpty()) {
            continue;
        }
        std::int64_t end = 0;
        if (next > stamp.Time) {
            end = next - 1;
        } else if (song.LengthMs > stamp.Time) {
            end = song.LengthMs;
        } else {
            end = std::int64_t{stamp.Time} + kLrcLastLineMs;
            song.LastLineOpen = true;
        }
        LyricLine& line = song.Lines[--slot];
        line.Number = static_cast<std::int32_t>(slot + 1);
        line.Start = stamp.Time;
        line.End = ClampMs(end);
        line.Text = stamp.Text;
        line.TextLength = static_cast<std::uint8_t>(stamp.Text.size());
    }
    return song;
}

void LoadLrcInto(const QString& path, TVokalento& song) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcLyrics) << "Cannot open lyric file" << path << file.errorString();
        return;
    }
    // One byte past the cap tells ParseLrc the file went on, so it cuts at a line end.
    const QByteArray bytes = file.read(kLrcMaxBytes + 1);
    LrcSong parsed = ParseLrc(bytes);
    song.Format = LyricFormat::Lrc;
    if (parsed.Lines.empty()) {
        return;
    }
    song.Title = parsed.Title;
    song.Artist = parsed.Artist;
    song.SongLength = parsed.LengthMs;
    song.LyricOffset = parsed.OffsetMs;
    song.Valid = true;
    song.FileName = path;
    song.SetLines(std::move(parsed.Lines), parsed.LastLineOpen);
}

}  // namespace vok
