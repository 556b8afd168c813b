#include "playlist/ListFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "core/TextCodec.h"
#include "core/TextLines.h"
#include "playlist/PlaylistLog.h"

namespace vok {

namespace {

bool IsExtendedInfoLine(QStringView line) {
    return line.size() >= 4 && line.first(4).toString().toUpper() == QLatin1String("#EXT");
}

bool FitsOnOneLine(const QString& entry) {
    return !entry.contains(QLatin1Char('\r')) && !entry.contains(QLatin1Char('\n')) &&
           !entry.contains(QChar(0));
}

}  // namespace

QStringList ListFileCandidates(QByteArrayView bytes) {
    QStringList candidates;
    for (const QString& line : SplitLines(DecodeText(bytes))) {
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
        qCWarning(lcPlaylist) << "Not a regular file:" << listPath;
        result.status = ListReadResult::Status::Unreadable;
        result.error = cannotOpen.arg(listPath, QStringLiteral("Not a regular file."));
        return result;
    }
    QFile file(listPath);
    QByteArray bytes;
    QString reason;
    if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
    } else if (file.size() > kMaxListFileSize) {
        reason = QStringLiteral("File too large.");
    } else {
        bytes = file.read(kMaxListFileSize + 1);
        if (file.error() != QFileDevice::NoError) {
            reason = file.errorString();
        } else if (bytes.size() > kMaxListFileSize) {
            reason = QStringLiteral("File too large.");  // grew while being read
        }
    }
    if (!reason.isEmpty()) {
        qCWarning(lcPlaylist) << "Cannot read list" << listPath << reason;
        result.status = ListReadResult::Status::Unreadable;
        result.error = cannotOpen.arg(listPath, reason);
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
            ++result.LeftOut;
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
        result.Message =
            QStringLiteral("Cannot create file \"%1\". %2").arg(listPath, file.errorString());
        qCWarning(lcPlaylist) << "Cannot write list" << listPath << file.errorString();
        file.cancelWriting();
        return result;
    }
    result.Ok = true;
    return result;
}

QString WithListExtension(const QString& name) {
    return name.right(4).toLower() == QLatin1String(".vpl") ? name : name + QStringLiteral(".vpl");
}

}  // namespace vok
