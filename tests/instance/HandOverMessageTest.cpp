#include "instance/HandOverMessage.h"

#include <gtest/gtest.h>

#include <QDir>

namespace vok {
namespace {

using Status = HandOverDecode::Status;

QByteArray Bytes(std::initializer_list<int> values) {
    QByteArray bytes;
    for (const int v : values) {
        bytes.append(static_cast<char>(v));
    }
    return bytes;
}

TEST(HandOverMessageTest, OneParameterGoesBareSeveralEachEndWithCrLf) {
    EXPECT_EQ(BuildParameterText({QStringLiteral("a b.vok")}), QStringLiteral("a b.vok"));
    EXPECT_EQ(BuildParameterText({QStringLiteral("A"), QStringLiteral("B")}),
              QStringLiteral("A\r\nB\r\n"));

    // length 8 | count 1 | 'a' | terminating zero
    EXPECT_EQ(EncodeHandOver(QStringList{QStringLiteral("a")}),
              Bytes({8, 0, 0, 0, 1, 0, 0, 0, 'a', 0, 0, 0}));
    // UTF-16LE, a character outside the BMP as its surrogate pair
    EXPECT_EQ(EncodeHandOver(
                  QStringList{QStringLiteral("A"), QString::fromUtf8("\xc3\xbc\xf0\x9f\x8e\xa4")}),
              Bytes({22, 0,    0, 0,    2,    0,    0,    0,    'A', 0,    '\r', 0, '\n',
                     0,  0xFC, 0, 0x3C, 0xD8, 0xA4, 0xDF, '\r', 0,   '\n', 0,    0, 0}));
}

TEST(HandOverMessageTest, AFrameIsTakenOnlyWhenWhole) {
    const HandOver sent{2, QString::fromUtf8("/m\xc3\xbcsik/s\xc3\xa5ng.vok\r\n/AUTOQUIT\r\n")};
    const QByteArray frame = EncodeHandOver(sent);
    for (qsizetype cut = 0; cut < frame.size(); ++cut) {
        EXPECT_EQ(DecodeHandOver(frame.left(cut)).status, Status::Incomplete) << cut;
    }
    const HandOverDecode whole = DecodeHandOver(frame);
    ASSERT_EQ(whole.status, Status::Complete);
    EXPECT_EQ(whole.message.Count, 2U);
    EXPECT_EQ(whole.message.Text, sent.Text);

    // The text runs to its first zero; what follows inside the frame is not part of it.
    const QByteArray early = Bytes({10, 0, 0, 0, 1, 0, 0, 0, 'x', 0, 0, 0, 'y', 0});
    const HandOverDecode cut = DecodeHandOver(early);
    ASSERT_EQ(cut.status, Status::Complete);
    EXPECT_EQ(cut.message.Text, QStringLiteral("x"));
}

TEST(HandOverMessageTest, BadFramesAreRefusedAndAnOversizeOneFromItsPrefixAlone) {
    const qsizetype cap = 64;
    // Announcing one byte more than the cap allows: refused before the bytes arrive.
    EXPECT_EQ(DecodeHandOver(Bytes({61, 0, 0, 0}), cap).status, Status::TooLarge);
    EXPECT_EQ(DecodeHandOver(Bytes({60, 0, 0, 0}), cap).status, Status::Incomplete);
    EXPECT_EQ(DecodeHandOver(Bytes({0xFF, 0xFF, 0xFF, 0xFF})).status, Status::TooLarge);

    const struct {
        const char* what;
        QByteArray frame;
    } bad[] = {
        {"no room for a text", Bytes({4, 0, 0, 0, 1, 0, 0, 0})},
        {"empty", Bytes({0, 0, 0, 0})},
        {"odd text bytes", Bytes({7, 0, 0, 0, 1, 0, 0, 0, 'a', 0, 0})},
        {"no terminating zero", Bytes({6, 0, 0, 0, 1, 0, 0, 0, 'a', 0})},
        {"no parameters", Bytes({6, 0, 0, 0, 0, 0, 0, 0, 0, 0})},
        {"bytes after the frame", Bytes({6, 0, 0, 0, 1, 0, 0, 0, 0, 0, 'x'})},
    };
    for (const auto& item : bad) {
        const HandOverDecode decoded = DecodeHandOver(item.frame);
        EXPECT_EQ(decoded.status, Status::Malformed) << item.what;
        EXPECT_FALSE(decoded.error.isEmpty()) << item.what;
    }
}

TEST(HandOverMessageTest, TheReceiverSplitsLinesAtCrLfOrCrLfButTakesOneParameterWhole) {
    const struct {
        std::uint32_t count;
        const char* text;
        QStringList expected;
    } cases[] = {
        {1, "a\r\nb", {"a\r\nb"}},
        {1, "", {""}},
        {2, "A\r\nB\r\n", {"A", "B"}},
        {3, "A\rB\nC", {"A", "B", "C"}},
        {2, "A\n\rB", {"A", "", "B"}},  // LF then CR: two line ends
        {3, "A\r\n\r\nB\r\n", {"A", "", "B"}},
        {2, "A\n\n", {"A", ""}},
        {2, "A\r", {"A"}},
        {2, "", {}},
    };
    for (const auto& item : cases) {
        QStringList got;
        ReceiveParameters(HandOver{item.count, QString::fromLatin1(item.text)},
                          [&got](const QString& parameter) { got.append(parameter); });
        EXPECT_EQ(got, item.expected) << item.text;
    }
}

TEST(HandOverMessageTest, RelativeNamesAreResolvedAgainstTheSendersFolder) {
    const QStringList sent = {QStringLiteral("song.vok"), QStringLiteral("../lists/x.vpl"),
                              QStringLiteral("/AUTOQUIT"), QStringLiteral("/abs/a.mp3"), QString()};
    EXPECT_EQ(ResolveParameters(sent, QStringLiteral("/home/u/songs")),
              (QStringList{QStringLiteral("/home/u/songs/song.vok"),
                           QStringLiteral("/home/u/lists/x.vpl"), QStringLiteral("/AUTOQUIT"),
                           QStringLiteral("/abs/a.mp3"), QString()}));
}

}  // namespace
}  // namespace vok
