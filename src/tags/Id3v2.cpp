#include "tags/Id3v2.h"

#include <QFile>
#include <QFileInfo>

#include "core/TextCodec.h"
#include "core/TextLines.h"
#include "tags/TagsLog.h"

namespace vok {

namespace {

// The frames we know, in the same order for both naming schemes.
enum FrameKind {
    kTitle,
    kArtist,
    kAlbum,
    kTrack,
    kYear,
    kGenre,
    kComment,
    kComposer,
    kEncoder,
    kRights,
    kLanguage,
    kLink,
    kRecordingTime,
    kOriginalArtist,
    kContentGroup,
    kOriginalAlbum,
};

constexpr std::array<const char*, TID3v2::FrameKinds> kFrameIds34 = {
    "TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON", "COMM", "TCOM",
    "TENC", "TCOP", "TLAN", "WXXX", "TDRC", "TOPE", "TIT1", "TOAL"};
constexpr std::array<const char*, TID3v2::FrameKinds> kFrameIds2 = {
    "TT2", "TP1", "TAL", "TRK", "TYE", "TCO", "COM", "TCM",
    "TEN", "TCR", "TLA", "WXX", "TOR", "TOA", "TT1", "TOT"};

int FrameIndex(QByteArrayView id, std::uint8_t version) {
    const auto& table = version > 2 ? kFrameIds34 : kFrameIds2;
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (id == QByteArrayView(table[i])) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::uint8_t Byte(QByteArrayView bytes, qsizetype index) {
    return static_cast<std::uint8_t>(bytes[index]);
}

// Text encodings, as a frame's first byte names them.
constexpr std::uint8_t kLatin1 = 0;
constexpr std::uint8_t kUtf16WithBom = 1;
constexpr std::uint8_t kUtf16BigEndian = 2;
constexpr std::uint8_t kUtf8 = 3;

// Version 4 frame format flags (the second flag byte).
constexpr std::uint8_t kGroupingV4 = 0x40;           // one group byte before the data
constexpr std::uint8_t kUnreadableV4 = 0x08 | 0x04;  // compressed, encrypted
constexpr std::uint8_t kUnsynchronisedV4 = 0x02;
constexpr std::uint8_t kDataLengthV4 = 0x01;       // four bytes of length before the data
constexpr std::uint8_t kUnsynchronisedTag = 0x80;  // header flag

// A version 4 frame size counts seven bits a byte, as the tag size does. Some writers put plain
// numbers there all the same; a byte with its top bit set cannot be sync-safe and marks one.
qint64 FrameSizeV34(QByteArrayView bytes, std::uint8_t version) {
    const bool syncSafe =
        version == 4 &&
        ((Byte(bytes, 0) | Byte(bytes, 1) | Byte(bytes, 2) | Byte(bytes, 3)) & 0x80) == 0;
    const int bits = syncSafe ? 7 : 8;
    qint64 size = 0;
    for (qsizetype i = 0; i < 4; ++i) {
        size = (size << bits) + Byte(bytes, i);
    }
    return size;
}

// Undoes unsynchronisation: every FF 00 was FF.
QByteArray Resynchronised(QByteArrayView data) {
    QByteArray out;
    out.reserve(data.size());
    for (qsizetype i = 0; i < data.size(); ++i) {
        out.append(data[i]);
        if (Byte(data, i) == 0xFF && i + 1 < data.size() && data[i + 1] == 0) {
            ++i;
        }
    }
    return out;
}

// UTF-16 high byte first, ending at the first zero unit; an odd last byte is no unit.
QString DecodeUtf16BigEndian(QByteArrayView bytes) {
    QString result;
    result.reserve(bytes.size() / 2);
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const auto unit = static_cast<char16_t>((Byte(bytes, i) << 8) | Byte(bytes, i + 1));
        if (unit == 0) {
            break;
        }
        result.append(QChar(unit));
    }
    return result;
}

}  // namespace

void TID3v2::Reset() {
    *this = TID3v2();
}

bool TID3v2::Read(const QString& fileName) {
    Reset();
    // Only regular files: a FIFO or a device would block or never end.
    const QFileInfo info(fileName);
    if (!info.isFile()) {
        return false;
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        qCInfo(lcTags) << "Cannot open" << fileName << file.errorString();
        return false;
    }
    const qint64 fileSize = file.size();
    const QByteArray header = file.read(10);
    if (header.size() < 10) {
        return false;
    }
    if (!header.startsWith("ID3")) {
        return true;
    }
    Exists = true;
    Version = Byte(header, 3);
    const std::uint8_t flags = Byte(header, 5);
    qint64 size = (qint64{Byte(header, 6)} << 21) + (qint64{Byte(header, 7)} << 14) +
                  (qint64{Byte(header, 8)} << 7) + qint64{Byte(header, 9)} + 10;
    if (flags & 0x10) {
        size += 10;  // footer
    }
    TagSize = size > fileSize ? 0 : size;
    if (Version >= 2 && Version <= 4 && TagSize > 0) {
        std::array<QByteArray, FrameKinds> frames;
        WalkFrames(file, Version == 4 && (flags & kUnsynchronisedTag) != 0, frames);
        FillFields(frames);
    }
    return true;
}

void TID3v2::WalkFrames(QFile& file, bool allUnsynchronised,
                        std::array<QByteArray, FrameKinds>& frames) const {
    const bool shortFrames = Version == 2;
    const qint64 headerSize = shortFrames ? 6 : 10;
    qint64 position = 10;
    while (position < TagSize && !file.atEnd()) {
        if (!file.seek(position)) {
            return;
        }
        const QByteArray frameHeader = file.read(headerSize);
        if (frameHeader.size() < headerSize) {
            return;
        }
        const std::uint8_t first = Byte(frameHeader, 0);
        if (first < 'A' || first > 'Z') {
            return;  // padding or garbage: no more frames
        }
        qint64 dataSize = 0;
        QByteArrayView id;
        bool readable = true;
        qsizetype prefix = 0;  // bytes before the frame's own data
        bool unsynchronised = false;
        if (shortFrames) {
            id = QByteArrayView(frameHeader).first(3);
            dataSize = (qint64{Byte(frameHeader, 3)} << 16) + (qint64{Byte(frameHeader, 4)} << 8) +
                       Byte(frameHeader, 5);
        } else {
            id = QByteArrayView(frameHeader).first(4);
            dataSize = FrameSizeV34(QByteArrayView(frameHeader).sliced(4, 4), Version);
            const std::uint8_t format = Byte(frameHeader, 9);
            if (Version == 4) {
                readable = (format & kUnreadableV4) == 0;
                prefix =
                    ((format & kGroupingV4) != 0 ? 1 : 0) + ((format & kDataLengthV4) != 0 ? 4 : 0);
                unsynchronised = allUnsynchronised || (format & kUnsynchronisedV4) != 0;
            } else {
                readable = (format & 0x80) == 0;  // compressed
            }
        }
        // Never read past the tag's end, whatever the frame declares.
        const qint64 wanted =
            std::min({dataSize, prefix + qint64{MaxFrameData}, TagSize - position - headerSize});
        QByteArray data = file.read(std::max<qint64>(wanted, 0));
        if (data.size() <= prefix) {
            data.clear();
        } else {
            data.remove(0, prefix);
        }
        if (unsynchronised) {
            data = Resynchronised(data);
        }
        const int index = FrameIndex(id, Version);
        if (index >= 0 && readable && !data.isEmpty() && Byte(data, 0) <= kUtf8) {
            frames[static_cast<std::size_t>(index)] = data;
        }
        position += headerSize + dataSize;
    }
}

void TID3v2::FillFields(const std::array<QByteArray, FrameKinds>& frames) {
    const auto text = [&frames](FrameKind kind) {
        return DecodeText(frames[static_cast<std::size_t>(kind)]);
    };
    const auto firstOf = [&text](FrameKind preferred, FrameKind fallback) {
        const QString value = text(preferred);
        return value.isEmpty() ? text(fallback) : value;
    };
    Title = firstOf(kTitle, kContentGroup);
    Artist = firstOf(kArtist, kOriginalArtist);
    Album = firstOf(kAlbum, kOriginalAlbum);
    TrackText = text(kTrack);
    Track = TrackNumber(TrackText);
    Year = text(kYear);
    if (Year.isEmpty()) {
        Year = text(kRecordingTime).left(4);
    }
    Genre = GenreText(text(kGenre));
    Comment = DecodeDescribedText(frames[kComment], true);
    Composer = text(kComposer);
    Encoder = text(kEncoder);
    Rights = text(kRights);
    Language = text(kLanguage);
    Link = DecodeDescribedText(frames[kLink], false);
}

QString TID3v2::DecodeText(QByteArrayView data) {
    const std::uint8_t encoding = data.isEmpty() ? kLatin1 : Byte(data, 0);
    if (encoding == kUtf16BigEndian) {
        return TrimControls(DecodeUtf16BigEndian(data.sliced(1)));
    }
    if (encoding == kUtf8) {
        // Version 4 separates several values with a zero byte: the first is the text.
        const QByteArrayView text = data.sliced(1);
        const qsizetype zero = text.indexOf('\0');
        return TrimControls(QString::fromUtf8(zero < 0 ? text : text.first(zero)));
    }
    if (encoding == kUtf16WithBom) {
        QString result;
        result.reserve((data.size() - 1) / 2);
        for (qsizetype i = 1; i + 1 < data.size(); i += 2) {
            const std::uint8_t low = Byte(data, i);
            const char16_t unit = static_cast<char16_t>(low | (Byte(data, i + 1) << 8));
            if (unit == 0) {
                break;
            }
            if (low == 0xFF) {
                continue;  // drops the little-endian byte-order mark
            }
            result.append(QChar(unit));
        }
        return TrimControls(result);
    }
    return TrimControls(DecodeLatin1(data));
}

QString TID3v2::DecodeDescribedText(QByteArrayView data, bool hasLanguage) {
    if (data.isEmpty()) {
        return {};
    }
    const char encoding = data[0];
    const bool wide = Byte(data, 0) == kUtf16WithBom || Byte(data, 0) == kUtf16BigEndian;
    QByteArrayView rest = data.sliced(std::min<qsizetype>(data.size(), hasLanguage ? 4 : 1));
    qsizetype cut = -1;
    if (wide) {
        // The description ends at a whole zero code unit, never at the zero high byte of one
        // character followed by the zero low byte of the next.
        for (qsizetype i = 0; i + 1 < rest.size(); i += 2) {
            if (rest[i] == 0 && rest[i + 1] == 0) {
                cut = i + 2;
                break;
            }
        }
        if (cut < 0) {
            cut = std::min<qsizetype>(1, rest.size());
        }
    } else {
        const qsizetype zero = rest.indexOf('\0');
        cut = zero < 0 ? 0 : zero + 1;
    }
    rest = rest.sliced(cut);
    QByteArray text;
    text.reserve(rest.size() + 1);
    text.append(encoding);
    text.append(rest);
    return DecodeText(text);
}

std::uint16_t TID3v2::TrackNumber(const QString& text) {
    const qsizetype slash = text.indexOf(QLatin1Char('/'));
    const QString number = (slash < 0 ? text : text.left(slash)).trimmed();
    bool ok = false;
    const uint value = number.toUInt(&ok);
    // A number that does not fit the field is as good as none.
    return ok && value <= 0xFFFF ? static_cast<std::uint16_t>(value) : 0;
}

QString TID3v2::GenreText(const QString& text) {
    const qsizetype close = text.lastIndexOf(QLatin1Char(')'));
    return close < 0 ? text : text.mid(close + 1);
}

}  // namespace vok
