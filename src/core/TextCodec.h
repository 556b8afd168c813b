#pragma once

#include <QByteArray>
#include <QString>

namespace vok {

// 8-bit texts of lyric files (written on Windows in the ANSI code page).
QString DecodeWindows1252(QByteArrayView bytes);
// Characters without a Windows-1252 byte become "?".
QByteArray EncodeWindows1252(QStringView text);

// ID3 8-bit text.
QString DecodeLatin1(QByteArrayView bytes);

// Text of a file made here or elsewhere: a UTF-8, UTF-16 LE or UTF-16 BE byte-order mark decides;
// without one the bytes are UTF-8 when they are valid UTF-8 (no overlongs, no surrogates,
// nothing past U+10FFFF), otherwise Windows-1252 (files made on
// Windows). Marks repeated after the first are dropped, a dangling last byte of UTF-16 too, and a
// lone surrogate becomes U+FFFD, so the text can always be written back as UTF-8.
QString DecodeText(QByteArrayView bytes);

}  // namespace vok
