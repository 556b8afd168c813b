#include "lyrics/Vokalento.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>

#include "core/FileNames.h"
#include "core/TextCodec.h"
#include "lyrics/LrcFile.h"
#include "lyrics/LyricsLog.h"

namespace vok {

namespace {

constexpr qint64 kShortestFile = 402;  // a version-1 header with no records
constexpr char kMagic[] = "VOKALENTO";
constexpr qsizetype kMagicSize = 9;
constexpr char kMarker[] = "SID";
constexpr qsizetype kMarkerSize = 3;
constexpr qint64 kSongFileOffsetV1 = 142;
constexpr qint64 kSongFileOffsetV2 = 342;
constexpr qsizetype kSongFileRoom = 255;
constexpr qint64 kBlockSize = 64 * 1024;

// Reads a file front to back in blocks, never past the size taken when it was opened, so a file
// that grows or a device that never ends cannot keep the record loop going. A field cut by the end
// of the file gets the bytes there are; a read error counts as the end of the file.
class FieldReader {
  public:
    FieldReader(QFile& file, qint64 size) : file_(file), size_(size) {}

    bool AtEnd() const { return position_ >= size_; }

    // Up to `count` bytes; fewer at the end of the file.
    QByteArray ReadBytes(qsizetype count) {
        QByteArray out;
        out.reserve(std::min<qint64>(count, size_ - std::min(position_, size_)));
        while (out.size() < count && Fill()) {
            const qsizetype take = std::min(count - out.size(), buffer_.size() - offset_);
            out.append(buffer_.constData() + offset_, take);
            offset_ += take;
            position_ += take;
        }
        return out;
    }

    std::uint8_t ReadByte() {
        const QByteArray bytes = ReadBytes(1);
        return bytes.isEmpty() ? 0 : static_cast<std::uint8_t>(bytes[0]);
    }

    // Little-endian; missing bytes at the end of the file read as zero.
    std::uint32_t ReadUInt32() {
        const QByteArray bytes = ReadBytes(4);
        std::uint32_t value = 0;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            value |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[i])) << (8 * i);
        }
        return value;
    }

    std::int32_t ReadInt32() { return static_cast<std::int32_t>(ReadUInt32()); }

  private:
    bool Fill() {
        if (offset_ < buffer_.size()) {
            return true;
        }
        if (AtEnd()) {
            return false;
        }
        buffer_ = file_.read(std::min(kBlockSize, size_ - position_));
        offset_ = 0;
        if (buffer_.isEmpty()) {
            position_ = size_;  // read error or the file shrank: nothing more will come
            return false;
        }
        return true;
    }

    QFile& file_;
    qint64 size_;
    qint64 position_ = 0;
    QByteArray buffer_;
    qsizetype offset_ = 0;
};

// A length byte followed by `room` bytes of text; a length beyond the room means the whole room.
QString ReadShortText(FieldReader& reader, qsizetype room) {
    const qsizetype length = std::min<qsizetype>(reader.ReadByte(), room);
    const QByteArray bytes = reader.ReadBytes(room);
    return DecodeWindows1252(QByteArrayView(bytes).first(std::min(length, bytes.size())));
}

// The version-1 title: UTF-16LE in 128 bytes, ending at the first zero code unit.
QString ReadWideTitle(FieldReader& reader) {
    const QByteArray bytes = reader.ReadBytes(128);
    QString title;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t unit = static_cast<char16_t>(static_cast<std::uint8_t>(bytes[i]) |
                                                    (static_cast<std::uint8_t>(bytes[i + 1]) << 8));
        if (unit == 0) {
            break;
        }
        title.append(QChar(unit));
    }
    return title;
}

// The text of a record: the L bytes up to the first zero byte.
QString RecordText(const QByteArray& bytes) {
    const qsizetype zero = bytes.indexOf('\0');
    return DecodeWindows1252(QByteArrayView(bytes).first(zero < 0 ? bytes.size() : zero));
}

}  // namespace

void TVokalento::Reset() {
    *this = TVokalento();
}

bool TVokalento::LoadFromFile(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir()) {
        return false;
    }
    // Pipes and devices exist but are no lyric files; opening a pipe could block for ever.
    if (!info.isFile()) {
        return true;
    }
    if (IsLrcFileName(path)) {
        LoadLrcInto(path, *this);
        return true;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcLyrics) << "Cannot open lyric file" << path << file.errorString();
        return true;
    }
    const qint64 size = file.size();
    if (size < kShortestFile) {
        return true;
    }
    FieldReader reader(file, size);

    if (reader.ReadBytes(kMagicSize) != QByteArrayView(kMagic, kMagicSize)) {
        Valid = false;
        FileName.clear();
        return true;
    }
    Valid = true;
    FileName = path;
    Version = reader.ReadByte();

    if (Version == 1) {
        Title = ReadWideTitle(reader);
        Reserved1 = reader.ReadUInt32();
        SongFile = ReadShortText(reader, kSongFileRoom);
        LineCount = reader.ReadInt32();
    } else if (Version == 2) {
        Title = ReadShortText(reader, 127);
        Artist = ReadShortText(reader, 127);
        Copyright = ReadShortText(reader, 63);
        Reserved1 = reader.ReadUInt32();
        SongLength = reader.ReadInt32();
        Reserved2 = reader.ReadUInt32();
        SongFile = ReadShortText(reader, kSongFileRoom);
        LineCount = reader.ReadInt32();
    } else {
        // A version this model cannot read: its records are not read either.
        Valid = false;
        FileName.clear();
        LineCount = 0;
        SlotCount = 0;
        stored_.clear();
        return true;
    }

    stored_.clear();
    SlotCount = 0;
    std::int32_t found = 0;
    if (!reader.AtEnd() && LineCount > 0) {
        SlotCount = LineCount;
        // Every marker step consumes at least one byte, and once the end of the file is reached
        // every remaining slot is zero: the loop ends there and the zero slots stay virtual.
        for (std::int64_t slot = 1; slot <= SlotCount && !reader.AtEnd(); ++slot) {
            if (reader.ReadBytes(kMarkerSize) != QByteArrayView(kMarker, kMarkerSize)) {
                continue;  // no resynchronisation: the next slot tries the next three bytes
            }
            LyricLine line;
            line.Number = reader.ReadInt32();
            line.Start = reader.ReadInt32();
            line.End = reader.ReadInt32();
            line.TextLength = reader.ReadByte();
            line.Text = RecordText(reader.ReadBytes(line.TextLength));
            stored_.push_back({static_cast<std::int32_t>(slot), std::move(line)});
            ++found;
        }
    } else if (LineCount < 0) {
        LineCount = 0;
    }
    if (found != LineCount) {
        LineCount = found;
    }
    return true;
}

void TVokalento::SetLines(std::vector<LyricLine> lines, bool lastLineOpen) {
    lastLineOpen_ = lastLineOpen;
    stored_.clear();
    stored_.reserve(lines.size());
    for (LyricLine& line : lines) {
        stored_.push_back({static_cast<std::int32_t>(stored_.size() + 1), std::move(line)});
    }
    SlotCount = static_cast<std::int32_t>(stored_.size());
    LineCount = SlotCount;
}

void TVokalento::EndLastLineAt(std::int32_t ms) {
    if (!lastLineOpen_ || stored_.empty()) {
        return;
    }
    LyricLine& last = stored_.back().Line;
    if (ms > last.Start) {
        last.End = ms;
    }
}

bool TVokalento::ReplaceSongFile(const QString& name) {
    if (name.size() > kSongFileRoom || !Valid || FileName.isEmpty() || Format != LyricFormat::Vok) {
        return false;
    }
    qint64 offset = 0;
    if (Version == 1) {
        offset = kSongFileOffsetV1;
    } else if (Version == 2) {
        offset = kSongFileOffsetV2;
    } else {
        return false;
    }
    const QByteArray encoded = EncodeWindows1252(name).left(kSongFileRoom);
    // A name the field's 8-bit code page cannot hold would be stored with "?" in place of its
    // letters, a name no lookup finds again, while success is reported: refuse it instead.
    if (DecodeWindows1252(encoded) != name) {
        return false;
    }
    QByteArray field(kSongFileRoom + 1, '\0');
    field[0] = static_cast<char>(encoded.size());
    std::memcpy(field.data() + 1, encoded.constData(), static_cast<std::size_t>(encoded.size()));

    if (!QFileInfo(FileName).isFile()) {
        return false;
    }
    QFile file(FileName);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)) {
        qCWarning(lcLyrics) << "Cannot open lyric file for writing" << FileName
                            << file.errorString();
        return false;
    }
    // The file may have been replaced since it was read; never patch bytes of some other file.
    QByteArray expected(kMagic, kMagicSize);
    expected.append(static_cast<char>(Version));
    if (file.read(expected.size()) != expected) {
        return false;
    }
    if (!file.seek(offset) || file.write(field) != field.size() || !file.flush()) {
        qCWarning(lcLyrics) << "Cannot write the song name into" << FileName << file.errorString();
        return false;
    }
    file.close();
    SongFile = name;
    return true;
}

void TVokalento::GetLine(std::int32_t position, LyricLine& line) const {
    if (position < 1 || position > SlotCount) {
        return;
    }
    const auto it = std::lower_bound(
        stored_.begin(), stored_.end(), position,
        [](const StoredSlot& stored, std::int32_t slot) { return stored.Slot < slot; });
    line = (it != stored_.end() && it->Slot == position) ? it->Line : LyricLine();
}

// The scans below walk the stored slots and treat every gap between them (and the tail up to
// SlotCount) as the all-zero slot it stands for: Start 0, End 0, Number 0, empty text.

void TVokalento::LineAt(std::int32_t time, std::int32_t& number, QString& text) const {
    text.clear();
    if (SlotCount <= 0) {
        return;
    }
    const bool zeroSlotMatches = time == 0;
    std::int32_t nextSlot = 1;
    for (const StoredSlot& stored : stored_) {
        if (stored.Slot > SlotCount) {
            break;
        }
        if (stored.Slot > nextSlot && zeroSlotMatches) {
            number = 0;
            return;
        }
        if (stored.Line.Start <= time && time <= stored.Line.End) {
            number = stored.Line.Number;
            text = stored.Line.Text;
            return;
        }
        nextSlot = stored.Slot + 1;
    }
    if (nextSlot <= SlotCount && zeroSlotMatches) {
        number = 0;
        return;
    }
    number = LineNumberAt(time);
}

QString TVokalento::LineText(std::int32_t number) const {
    std::int32_t nextSlot = 1;
    for (const StoredSlot& stored : stored_) {
        if (stored.Slot > SlotCount) {
            break;
        }
        if (stored.Slot > nextSlot && number == 0) {
            return {};
        }
        if (stored.Line.Number == number) {
            return stored.Line.Text;
        }
        nextSlot = stored.Slot + 1;
    }
    return {};
}

std::int32_t TVokalento::LineNumberAt(std::int32_t time) const {
    // A zero slot is taken for every time from 0 on (Start 0 < t, or 0 = t <= End 0).
    const bool zeroSlotMatches = time >= 0;
    std::int32_t previousSlot = SlotCount;
    for (auto it = stored_.rbegin(); it != stored_.rend(); ++it) {
        if (it->Slot > SlotCount) {
            continue;
        }
        if (it->Slot < previousSlot && zeroSlotMatches) {
            return 0;
        }
        const LyricLine& line = it->Line;
        if (line.Start < time || (line.Start == time && time <= line.End)) {
            return line.Number;
        }
        previousSlot = it->Slot - 1;
    }
    return 0;
}

}  // namespace vok
