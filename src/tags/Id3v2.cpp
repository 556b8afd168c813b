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
        WalkFrames(file, frames);
        FillFields(frames);
    }
    return true;
}

void TID3v2::WalkFrames(QFile& file, std::array<QByteArray, FrameKinds>& frames) const {
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
        bool compressed = false;
        if (shortFrames) {
            id = QByteArrayView(frameHeader).first(3);
            dataSize = (qint64{Byte(frameHeader, 3)} << 16) + (qint64{Byte(frameHeader, 4)} << 8) +
                       Byte(frameHeader, 5);
        } else {
            id = QByteArrayView(frameHeader).first(4);
            // Version 4 sizes are read as plain numbers too.
            dataSize = (qint64{Byte(frameHeader, 4)} << 24) + (qint64{Byte(frameHeader, 5)} << 16) +
                       (qint64{Byte(frameHeader, 6)} << 8) + Byte(frameHeader, 7);
            compressed = (Byte(frameHeader, 9) & 0x80) != 0;
        }
        // Never read past the file's end, whatever the frame declares.
        const qint64 wanted = std::min<qint64>(dataSize, MaxFrameData);
        const QByteArray data = file.read(wanted);
        if (data.size() < 0) {
            return;
        }
        const int index = FrameIndex(id, Version);
        if (index >= 0 && !compressed && !data.isEmpty() &&
            (Byte(data, 0) == 0 || Byte(data, 0) == 1)) {
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
    if (!data.isEmpty() && Byte(data, 0) == 1) {
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
    const bool wide = Byte(data, 0) == 1;
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
