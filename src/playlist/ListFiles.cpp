#include "playlist/ListFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "core/TextCodec.h"

namespace vok {

namespace {

QString DecodeUtf16(QByteArrayView bytes, bool bigEndian) {
    // A dangling last byte of an odd-sized file is dropped.
    const qsizetype units = bytes.size() / 2;
    QString text(units, Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < units; ++i) {
        const auto first = static_cast<unsigned char>(bytes[2 * i]);
        const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
        const auto unit =
            static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
        out[i] = QChar(unit);
    }
    return text;
}

bool StartsWith(QByteArrayView bytes, QByteArrayView prefix) {
    return bytes.size() >= prefix.size() && bytes.first(prefix.size()) == prefix;
}

bool IsExtendedInfoLine(QStringView line) {
    return line.size() >= 4 && line.first(4).toString().toUpper() == QLatin1String("#EXT");
}

bool FitsOnOneLine(const QString& entry) {
    return !entry.contains(QLatin1Char('\r')) && !entry.contains(QLatin1Char('\n')) &&
           !entry.contains(QChar(0));
}

}  // namespace

QString DecodeListText(QByteArrayView bytes) {
    if (StartsWith(bytes, "\xEF\xBB\xBF")) {
        return QString::fromUtf8(bytes.sliced(3));
    }
    if (StartsWith(bytes, "\xFF\xFE")) {
        return DecodeUtf16(bytes.sliced(2), false);
    }
    if (StartsWith(bytes, "\xFE\xFF")) {
        return DecodeUtf16(bytes.sliced(2), true);
    }
    return IsValidUtf8(bytes) ? QString::fromUtf8(bytes) : DecodeWindows1252(bytes);
}

QStringList SplitListLines(QStringView text) {
    QStringList lines;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines.append(text.sliced(start, i - start).toString());
            ++i;
            if (c == QLatin1Char('\r') && i < text.size() && text[i] == QLatin1Char('\n')) {
                ++i;
            }
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size()) {
        lines.append(text.sliced(start).toString());
    }
    return lines;
}

QStringList ListFileCandidates(QByteArrayView bytes) {
    QStringList candidates;
    const QString text = DecodeListText(bytes);
    for (const QString& line : SplitListLines(text)) {
        if (!line.isEmpty() && !IsExtendedInfoLine(line) && !line.contains(QChar(0))) {
            candidates.append(line);
        }
    }
    return candidates;
}

ListReadResult ReadPlayList(const QString& listPath, const QString& baseDir) {
    ListReadResult result;
    const QFileInfo info(listPath);
    if (listPath.isEmpty() || listPath.contains(QChar(0)) || !info.exists() || info.isDir()) {
        return result;  // a folder is no file either
    }
    const QString cannotOpen = QStringLiteral("Cannot open file \"%1\". %2");
    if (!info.isFile()) {
        // A pipe or device could block the reader forever; refuse it.
        result.status = ListReadResult::Status::Unreadable;
        result.error = cannotOpen.arg(listPath, QStringLiteral("Not a regular file."));
        return result;
    }
    QFile file(listPath);
    if (!file.open(QIODevice::ReadOnly)) {
        result.status = ListReadResult::Status::Unreadable;
        result.error = cannotOpen.arg(listPath, file.errorString());
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.status = ListReadResult::Status::Unreadable;
        result.error = cannotOpen.arg(listPath, file.errorString());
        return result;
    }
    result.status = ListReadResult::Status::Read;
    const QDir base = baseDir.isEmpty() ? QDir::current() : QDir(baseDir);
    for (const QString& name : ListFileCandidates(bytes)) {
        if (QFileInfo(base, name).isFile()) {
            result.entries.append(name);
        }
    }
    return result;
}

ListWriteResult WritePlayList(const QString& listPath, const QStringList& entries) {
    ListWriteResult result;
    QByteArray bytes;
    for (const QString& entry : entries) {
        // Such a name would come back as other lines, maybe naming other files.
        if (!FitsOnOneLine(entry)) {
            ++result.leftOut;
            continue;
        }
        bytes += entry.toUtf8();
        bytes += "\r\n";
    }
    QSaveFile file(listPath);
    // Unbuffered: a buffered write that fails only while being flushed at commit can still be
    // committed cut short, so every write must reach the file and be checked here.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        file.write(bytes) != bytes.size() || !file.commit()) {
        result.error =
            QStringLiteral("Cannot create file \"%1\". %2").arg(listPath, file.errorString());
        file.cancelWriting();
        return result;
    }
    result.ok = true;
    return result;
}

QString WithListExtension(const QString& name) {
    return name.right(4).toLower() == QLatin1String(".vpl") ? name : name + QStringLiteral(".vpl");
}

}  // namespace vok
