#include "support/Id3Writer.h"

namespace vok::test {

namespace {

void AppendBigEndian(QByteArray& out, std::uint32_t value, int bytes) {
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) {
        out.append(static_cast<char>((value >> shift) & 0xFF));
    }
}

void AppendSyncSafe(QByteArray& out, std::uint32_t value) {
    for (int shift = 21; shift >= 0; shift -= 7) {
        out.append(static_cast<char>((value >> shift) & 0x7F));
    }
}

QByteArray Terminator(Id3Encoding encoding) {
    const bool wide = encoding == Id3Encoding::Utf16Bom || encoding == Id3Encoding::Utf16Be;
    return QByteArray(wide ? 2 : 1, '\0');
}

}  // namespace

QByteArray EncodeId3Text(const QString& text, Id3Encoding encoding) {
    QByteArray out;
    switch (encoding) {
        case Id3Encoding::Latin1:
            return text.toLatin1();
        case Id3Encoding::Utf8:
            return text.toUtf8();
        case Id3Encoding::Utf16Bom:
            out.append('\xFF').append('\xFE');
            for (QChar c : text) {
                out.append(static_cast<char>(c.unicode() & 0xFF));
                out.append(static_cast<char>(c.unicode() >> 8));
            }
            return out;
        case Id3Encoding::Utf16Be:
            for (QChar c : text) {
                out.append(static_cast<char>(c.unicode() >> 8));
                out.append(static_cast<char>(c.unicode() & 0xFF));
            }
            return out;
    }
    return out;
}

Id3Frame Id3Frame::Text(const QByteArray& id, const QString& text, Id3Encoding encoding) {
    QByteArray data(1, static_cast<char>(encoding));
    data.append(EncodeId3Text(text, encoding));
    return Raw(id, data);
}

Id3Frame Id3Frame::Described(const QByteArray& id, const QString& description, const QString& text,
                             Id3Encoding encoding, const char* language) {
    QByteArray data(1, static_cast<char>(encoding));
    if (language != nullptr) {
        data.append(QByteArray(language).left(3));
    }
    data.append(EncodeId3Text(description, encoding));
    data.append(Terminator(encoding));
    data.append(EncodeId3Text(text, encoding));
    return Raw(id, data);
}

Id3Frame Id3Frame::Raw(const QByteArray& id, const QByteArray& data) {
    Id3Frame frame;
    frame.id = id;
    frame.data = data;
    return frame;
}

QByteArray Id3v2Tag::Build() const {
    QByteArray body;
    if (flags & 0x40) {
        // A minimal extended header: size 6 (version 3 counts it without the size field).
        if (version == 4) {
            AppendSyncSafe(body, 6);
            body.append('\x01').append('\0');
        } else {
            AppendBigEndian(body, 6, 4);
            body.append(QByteArray(6, '\0'));
        }
    }
    for (const Id3Frame& frame : frames) {
        const std::uint32_t size =
            frame.declaredSize.value_or(static_cast<std::uint32_t>(frame.data.size()));
        if (version == 2) {
            body.append(frame.id.left(3).leftJustified(3, '\0'));
            AppendBigEndian(body, size, 3);
        } else {
            body.append(frame.id.left(4).leftJustified(4, '\0'));
            if (version == 4 && syncSafeFrameSizes) {
                AppendSyncSafe(body, size);
            } else {
                AppendBigEndian(body, size, 4);
            }
            body.append(static_cast<char>(frame.statusFlags));
            body.append(static_cast<char>(frame.formatFlags));
        }
        body.append(frame.data);
    }
    body.append(QByteArray(padding, '\0'));

    QByteArray out("ID3");
    out.append(static_cast<char>(version));
    out.append(static_cast<char>(revision));
    out.append(static_cast<char>(flags));
    AppendSyncSafe(out, declaredSize.value_or(static_cast<std::uint32_t>(body.size())));
    out.append(body);
    if (flags & 0x10) {
        QByteArray footer = out.left(10);
        footer.replace(0, 3, "3DI");
        out.append(footer);
    }
    return out;
}

QByteArray Id3v1Tag::Build() const {
    const auto field = [](const QByteArray& value, int width) {
        return value.left(width).leftJustified(width, '\0');
    };
    QByteArray out("TAG");
    out.append(field(title, 30));
    out.append(field(artist, 30));
    out.append(field(album, 30));
    out.append(field(year, 4));
    if (track) {
        out.append(field(comment, 28));
        out.append('\0');
        out.append(static_cast<char>(*track));
    } else {
        out.append(field(comment, 30));
    }
    out.append(static_cast<char>(genre));
    return out;
}

QByteArray FakeMp3Body(int size) {
    QByteArray out;
    out.reserve(size);
    // MPEG-1 layer III, 128 kbit/s, 44.1 kHz frames are 417 bytes long.
    while (out.size() < size) {
        QByteArray frame("\xFF\xFB\x90\x64", 4);
        for (int i = 4; i < 417; ++i) {
            frame.append(static_cast<char>((i * 37) & 0x7F));
        }
        out.append(frame);
    }
    out.truncate(size);
    return out;
}

QByteArray Mp3File(const QByteArray& id3v2, int bodySize, const QByteArray& id3v1) {
    return id3v2 + FakeMp3Body(bodySize) + id3v1;
}

}  // namespace vok::test
