#include "core/TextCodec.h"

#include <array>

namespace vok {

namespace {

// Code points of bytes 0x80..0x9F; the five undefined bytes map to their C1 control (as Windows
// itself does), so decoding never loses a byte.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t DecodeByte(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) {
        return kHighControls[byte - 0x80];
    }
    return byte;
}

QString DecodeUtf16(QByteArrayView bytes, bool bigEndian) {
    const qsizetype units = bytes.size() / 2;
    QString text(units, Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < units; ++i) {
        const auto first = static_cast<unsigned char>(bytes[2 * i]);
        const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
        out[i] =
            QChar(static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
    }
    for (qsizetype i = 0; i < units; ++i) {
        if (out[i].isHighSurrogate() && i + 1 < units && out[i + 1].isLowSurrogate()) {
            ++i;
        } else if (out[i].isSurrogate()) {
            out[i] = QChar::ReplacementCharacter;
        }
    }
    return text;
}

bool IsValidUtf8(QByteArrayView bytes) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype size = bytes.size();
    qsizetype i = 0;
    while (i < size) {
        const unsigned char lead = data[i];
        int extra = 0;
        char32_t minimum = 0;
        char32_t code = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            minimum = 0x80;
            code = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            minimum = 0x800;
            code = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            minimum = 0x10000;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (i + extra >= size) {
            return false;
        }
        for (int k = 1; k <= extra; ++k) {
            const unsigned char next = data[i + k];
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3F);
        }
        if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += extra + 1;
    }
    return true;
}

QString DecodeByMark(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        return QString::fromUtf8(bytes.sliced(3));
    }
    if (bytes.startsWith("\xFF\xFE")) {
        return DecodeUtf16(bytes.sliced(2), false);
    }
    if (bytes.startsWith("\xFE\xFF")) {
        return DecodeUtf16(bytes.sliced(2), true);
    }
    return IsValidUtf8(bytes) ? QString::fromUtf8(bytes) : DecodeWindows1252(bytes);
}

}  // namespace

QString DecodeText(QByteArrayView bytes) {
    QString text = DecodeByMark(bytes);
    // A second mark would be written back as a real one, and would stick to the first line.
    qsizetype marks = 0;
    while (marks < text.size() && text[marks] == QChar::ByteOrderMark) {
        ++marks;
    }
    text.remove(0, marks);
    return text;
}

QString DecodeWindows1252(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        out[i] = QChar(DecodeByte(static_cast<unsigned char>(bytes[i])));
    }
    return text;
}

QByteArray EncodeWindows1252(QStringView text) {
    QByteArray bytes(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        char encoded = '?';
        if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
            encoded = static_cast<char>(unit);
        } else {
            for (std::size_t k = 0; k < kHighControls.size(); ++k) {
                if (kHighControls[k] == unit) {
                    encoded = static_cast<char>(0x80 + k);
                    break;
                }
            }
        }
        bytes[i] = encoded;
    }
    return bytes;
}

QString DecodeLatin1(QByteArrayView bytes) {
    return QString::fromLatin1(bytes);
}

}  // namespace vok
