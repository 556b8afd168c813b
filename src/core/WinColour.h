#pragma once

#include <QtGlobal>

namespace vok {

// A Windows colour value is 0x00BBGGRR: bits 0-7 red, 8-15 green, 16-23 blue. A high byte of
// 0x02 marks a palette-relative colour; on a true-colour display it carries no colour.
// The colour as Qt's 0xAARRGGBB value (what QColor(QRgb) takes), fully opaque; the high byte of
// the Windows value is ignored.
constexpr quint32 WinColourToRgb(quint32 colour) {
    return 0xFF000000U | ((colour & 0xFFU) << 16) | (colour & 0xFF00U) | ((colour >> 16) & 0xFFU);
}

// Qt's 0xAARRGGBB as a Windows colour value with a high byte of 0, as a colour dialog gives it.
constexpr quint32 RgbToWinColour(quint32 rgb) {
    return ((rgb >> 16) & 0xFFU) | (rgb & 0xFF00U) | ((rgb & 0xFFU) << 16);
}

}  // namespace vok
