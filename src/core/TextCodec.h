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

// True when the bytes form valid UTF-8 (no overlongs, no surrogates, nothing past U+10FFFF).
bool IsValidUtf8(QByteArrayView bytes);

}  // namespace vok
