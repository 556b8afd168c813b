#include "support/LyricFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <stdexcept>

#include "core/TextCodec.h"

namespace vok::test {

namespace {

void AppendInt32(QByteArray& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

// A length byte and `room` bytes: the text, then zero padding.
void AppendShortText(QByteArray& out, const QString& text, qsizetype room) {
    const QByteArray bytes = EncodeWindows1252(text).left(room);
    out.append(static_cast<char>(bytes.size()));
    out.append(bytes);
    out.append(room - bytes.size(), '\0');
}

}  // namespace

LyricFileWriter& LyricFileWriter::Title(const QString& text) {
    title_ = text;
    return *this;
}

LyricFileWriter& LyricFileWriter::Artist(const QString& text) {
    artist_ = text;
    return *this;
}

LyricFileWriter& LyricFileWriter::Copyright(const QString& text) {
    copyright_ = text;
    return *this;
}

LyricFileWriter& LyricFileWriter::SongLength(std::int32_t ms) {
    songLength_ = ms;
    return *this;
}

LyricFileWriter& LyricFileWriter::SongFile(const QString& name) {
    songFile_ = name;
    return *this;
}

LyricFileWriter& LyricFileWriter::Reserved(std::uint32_t reserved1, std::uint32_t reserved2) {
    reserved1_ = reserved1;
    reserved2_ = reserved2;
    return *this;
}

LyricFileWriter& LyricFileWriter::HeaderCount(std::int32_t count) {
    headerCount_ = count;
    return *this;
}

LyricFileWriter& LyricFileWriter::Line(std::int32_t start, std::int32_t end, const QString& text) {
    return Line(static_cast<std::int32_t>(records_.size()) + 1, start, end, text);
}

LyricFileWriter& LyricFileWriter::Line(std::int32_t number, std::int32_t start, std::int32_t end,
                                       const QString& text) {
    return Line(Record{number, start, end, EncodeWindows1252(text), std::nullopt});
}

LyricFileWriter& LyricFileWriter::Line(const Record& record) {
    records_.push_back(record);
    return *this;
}

LyricFileWriter& LyricFileWriter::WrongMagic() {
    wrongMagic_ = true;
    return *this;
}

LyricFileWriter& LyricFileWriter::VersionByte(std::uint8_t byte) {
    versionByte_ = byte;
    return *this;
}

LyricFileWriter& LyricFileWriter::BadMarkerAt(int record) {
    badMarkers_.push_back(record);
    return *this;
}

LyricFileWriter& LyricFileWriter::TruncateTo(qsizetype size) {
    truncateTo_ = size;
    return *this;
}

LyricFileWriter& LyricFileWriter::Patch(qsizetype offset, const QByteArray& bytes) {
    patches_.emplace_back(offset, bytes);
    return *this;
}

qsizetype LyricFileWriter::RecordOffset(int record) const {
    qsizetype offset = HeaderSize();
    for (int i = 0; i + 1 < record && i < static_cast<int>(records_.size()); ++i) {
        const Record& r = records_[static_cast<std::size_t>(i)];
        offset += 16 + r.TextLength.value_or(
                           static_cast<std::uint8_t>(std::min<qsizetype>(r.Text.size(), 255)));
    }
    return offset;
}

QByteArray LyricFileWriter::Bytes() const {
    QByteArray out;
    out.append(wrongMagic_ ? "VOKALENTX" : "VOKALENTO", 9);
    out.append(static_cast<char>(versionByte_.value_or(static_cast<std::uint8_t>(version_))));
    if (version_ == 1) {
        // UTF-16LE, at most 64 code units, zero padded (no terminator when all 64 are used).
        const QString title = title_.left(64);
        for (const QChar unit : title) {
            out.append(static_cast<char>(unit.unicode() & 0xFF));
            out.append(static_cast<char>(unit.unicode() >> 8));
        }
        out.append(128 - 2 * title.size(), '\0');
        AppendInt32(out, reserved1_);
    } else {
        AppendShortText(out, title_, 127);
        AppendShortText(out, artist_, 127);
        AppendShortText(out, copyright_, 63);
        AppendInt32(out, reserved1_);
        AppendInt32(out, static_cast<std::uint32_t>(songLength_));
        AppendInt32(out, reserved2_);
    }
    AppendShortText(out, songFile_, 255);
    AppendInt32(out, static_cast<std::uint32_t>(
                         headerCount_.value_or(static_cast<std::int32_t>(records_.size()))));

    for (std::size_t i = 0; i < records_.size(); ++i) {
        const Record& r = records_[i];
        const bool bad = std::find(badMarkers_.begin(), badMarkers_.end(),
                                   static_cast<int>(i) + 1) != badMarkers_.end();
        out.append(bad ? "SIX" : "SID", 3);
        AppendInt32(out, static_cast<std::uint32_t>(r.Number));
        AppendInt32(out, static_cast<std::uint32_t>(r.Start));
        AppendInt32(out, static_cast<std::uint32_t>(r.End));
        const auto length = r.TextLength.value_or(
            static_cast<std::uint8_t>(std::min<qsizetype>(r.Text.size(), 255)));
        out.append(static_cast<char>(length));
        const QByteArray text = r.Text.left(length);
        out.append(text);
        out.append(length - text.size(), '\0');
    }

    for (const auto& [offset, bytes] : patches_) {
        if (out.size() < offset + bytes.size()) {
            out.resize(offset + bytes.size(), '\0');
        }
        out.replace(offset, bytes.size(), bytes);
    }
    if (truncateTo_) {
        out.truncate(*truncateTo_);
    }
    return out;
}

QString LyricFileWriter::Write(const QString& path) const {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    const QByteArray bytes = Bytes();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        throw std::runtime_error("cannot write lyric file " + path.toStdString());
    }
    return path;
}

}  // namespace vok::test
