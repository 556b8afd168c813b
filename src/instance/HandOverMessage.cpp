#include "instance/HandOverMessage.h"

#include <QCoreApplication>
#include <QDir>
#include <QtEndian>

namespace vok {

namespace {

constexpr qsizetype kPrefixBytes = 4;
constexpr qsizetype kCountBytes = 4;
constexpr qsizetype kCharBytes = 2;

void AppendU32(QByteArray& bytes, std::uint32_t value) {
    char le[4];
    qToLittleEndian(value, le);
    bytes.append(le, 4);
}

std::uint32_t ReadU32(QByteArrayView bytes, qsizetype at) {
    return qFromLittleEndian<std::uint32_t>(bytes.data() + at);
}

HandOverDecode Failed(HandOverDecode::Status status, QString error) {
    HandOverDecode result;
    result.status = status;
    result.error = std::move(error);
    return result;
}

}  // namespace

QString BuildParameterText(const QStringList& parameters) {
    if (parameters.size() == 1) {
        return parameters.constFirst();
    }
    QString text;
    for (const QString& parameter : parameters) {
        text += parameter;
        text += QStringLiteral("\r\n");
    }
    return text;
}

QByteArray EncodeHandOver(const HandOver& message) {
    const qsizetype textBytes = (message.Text.size() + 1) * kCharBytes;
    QByteArray bytes;
    bytes.reserve(kPrefixBytes + kCountBytes + textBytes);
    AppendU32(bytes, static_cast<std::uint32_t>(kCountBytes + textBytes));
    AppendU32(bytes, message.Count);
    for (const QChar c : message.Text) {
        char le[2];
        qToLittleEndian(c.unicode(), le);
        bytes.append(le, 2);
    }
    bytes.append(2, '\0');
    return bytes;
}

QByteArray EncodeHandOver(const QStringList& parameters) {
    return EncodeHandOver(
        HandOver{static_cast<std::uint32_t>(parameters.size()), BuildParameterText(parameters)});
}

HandOverDecode DecodeHandOver(QByteArrayView received, qsizetype maxBytes) {
    using Status = HandOverDecode::Status;
    if (received.size() < kPrefixBytes) {
        return {};
    }
    const qint64 length = ReadU32(received, 0);
    if (kPrefixBytes + length > maxBytes) {
        return Failed(Status::TooLarge, QStringLiteral("announces %1 bytes").arg(length));
    }
    if (length < kCountBytes + kCharBytes) {
        return Failed(Status::Malformed, QStringLiteral("too short for a count and a text"));
    }
    if ((length - kCountBytes) % kCharBytes != 0) {
        return Failed(Status::Malformed, QStringLiteral("text of an odd byte count"));
    }
    if (received.size() < kPrefixBytes + length) {
        return {};
    }
    if (received.size() > kPrefixBytes + length) {
        return Failed(Status::Malformed, QStringLiteral("bytes after the message"));
    }
    HandOverDecode result;
    result.message.Count = ReadU32(received, kPrefixBytes);
    if (result.message.Count == 0) {
        return Failed(Status::Malformed, QStringLiteral("no parameters"));
    }
    // The text runs to its first zero character; there must be one.
    const qsizetype textStart = kPrefixBytes + kCountBytes;
    const qsizetype chars = (length - kCountBytes) / kCharBytes;
    bool terminated = false;
    result.message.Text.reserve(chars - 1);
    for (qsizetype i = 0; i < chars; ++i) {
        const char16_t c =
            qFromLittleEndian<char16_t>(received.data() + textStart + i * kCharBytes);
        if (c == 0) {
            terminated = true;
            break;
        }
        result.message.Text.append(QChar(c));
    }
    if (!terminated) {
        return Failed(Status::Malformed, QStringLiteral("text without its terminating zero"));
    }
    result.status = Status::Complete;
    return result;
}

QStringList HandedParameters(const HandOver& message) {
    if (message.Count == 1) {
        return {message.Text};
    }
    QStringList lines;
    const QString& text = message.Text;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n')) {
            ++i;
            continue;
        }
        lines.append(text.mid(start, i - start));
        const bool crLf =
            c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n');
        i += crLf ? 2 : 1;
        start = i;
    }
    if (start < text.size()) {
        lines.append(text.mid(start));
    }
    return lines;
}

void ReceiveParameters(const HandOver& message, const ParameterSink& onParameter) {
    Q_ASSERT_X(onParameter, "ReceiveParameters", "OnParameter cannot be nil");
    for (const QString& parameter : HandedParameters(message)) {
        onParameter(parameter);
    }
}

void ProcessOwnParameters(const ParameterSink& onParameter) {
    Q_ASSERT_X(onParameter, "ProcessOwnParameters", "OnParameter cannot be nil");
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        onParameter(arguments.at(i));
    }
}

QStringList ResolveParameters(const QStringList& parameters, const QString& workingFolder) {
    const QDir folder(workingFolder);
    QStringList resolved;
    resolved.reserve(parameters.size());
    for (const QString& parameter : parameters) {
        if (parameter.isEmpty() || QDir::isAbsolutePath(parameter)) {
            resolved.append(parameter);
        } else {
            resolved.append(QDir::cleanPath(folder.absoluteFilePath(parameter)));
        }
    }
    return resolved;
}

QByteArray HandOverReply() {
    return QByteArray(4, '\0');
}

}  // namespace vok
