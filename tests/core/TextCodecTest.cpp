#include <gtest/gtest.h>

#include <QStringEncoder>

#include "core/TextCodec.h"

namespace vok {
namespace {

TEST(Windows1252, DecodesTheHighControlsRangeAndLatin1) {
    const QByteArray bytes("\x80\x9f\xe5\xe4\xf6\x81", 6);
    EXPECT_EQ(DecodeWindows1252(bytes), QString::fromUtf8("€Ÿåäö\u0081"));
}

TEST(Windows1252, RoundTripsEveryByte) {
    QByteArray all(256, '\0');
    for (int i = 0; i < 256; ++i) {
        all[i] = static_cast<char>(i);
    }
    EXPECT_EQ(EncodeWindows1252(DecodeWindows1252(all)), all);
}

TEST(Windows1252, UnmappableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(EncodeWindows1252(QString::fromUtf8("a\u4e2db")), QByteArray("a?b"));
}

QByteArray Utf16(const QString& text, bool bigEndian) {
    return QStringEncoder(bigEndian ? QStringConverter::Utf16BE : QStringConverter::Utf16LE,
                          QStringConverter::Flag::WriteBom)(text);
}

TEST(DecodeText, MarkDecidesElseUtf8ElseWindows1252) {
    const QString text = QString::fromUtf8("Sånger/€uro.mp3\r\n\U0001F3A4");
    EXPECT_EQ(DecodeText("\xEF\xBB\xBF" + text.toUtf8()), text);
    EXPECT_EQ(DecodeText(Utf16(text, false)), text);
    EXPECT_EQ(DecodeText(Utf16(text, true)), text);
    EXPECT_EQ(DecodeText("\xc3\xa5\xe2\x82\xac\xf0\x9f\x8e\xa4"), QString::fromUtf8("å€🎤"));
    // Anything short of valid UTF-8 is Windows-1252.
    EXPECT_EQ(DecodeText("\xe5\x80"), QString::fromUtf8("å€"));
    EXPECT_EQ(DecodeText("a\xc3"), QString::fromUtf8("aÃ"));               // cut short at the end
    EXPECT_EQ(DecodeText("\xc0\xaf"), QString::fromUtf8("À¯"));            // overlong
    EXPECT_EQ(DecodeText("\xed\xa0\x80"), QString::fromUtf8("í\u00a0€"));  // surrogate
    EXPECT_EQ(DecodeText("\xf4\x90\x80\x80"), QString::fromUtf8("ô\u0090€€"));  // past U+10FFFF
    EXPECT_EQ(DecodeText(""), QString());
}

TEST(DecodeText, WhatCannotBeWrittenBackAsUtf8IsMended) {
    EXPECT_EQ(DecodeText(QByteArray("\xFF\xFE"
                                    "a\0b",
                                    5)),
              QStringLiteral("a"));  // dangling last byte
    EXPECT_EQ(DecodeText(QByteArray("\xFF\xFE\x00\xD8"
                                    "a\0",
                                    6)),
              QStringLiteral("\uFFFDa"));  // lone high surrogate
    EXPECT_EQ(DecodeText(QByteArray("\xFE\xFF\xDC\x00", 4)), QStringLiteral("\uFFFD"));
    // Repeated marks go; one in the middle of the text is an ordinary character.
    EXPECT_EQ(DecodeText("\xEF\xBB\xBF\xEF\xBB\xBF\xEF\xBB\xBFk\xEF\xBB\xBF"),
              QStringLiteral("k\uFEFF"));
}

}  // namespace
}  // namespace vok
