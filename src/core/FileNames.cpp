#include "core/FileNames.h"

namespace vok {

bool IsLyricFileName(const QString& path) {
    return path.right(4).toLower() == QStringLiteral(".vok") || IsLrcFileName(path);
}

bool IsLrcFileName(const QString& path) {
    return path.right(4).toLower() == QStringLiteral(".lrc");
}

QStringList LrcAudioExtensions() {
    return {QStringLiteral(".mp3"),  QStringLiteral(".ogg"),  QStringLiteral(".wma"),
            QStringLiteral(".flac"), QStringLiteral(".opus"), QStringLiteral(".m4a")};
}

QString FileNamePart(const QString& path) {
    const qsizetype separator =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(separator + 1);
}

QString LocalFileName(const QString& path) {
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString NameWithoutExtension(const QString& path) {
    const QString name = LocalFileName(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.left(dot);
}

bool HasExtension(const QString& path, QStringView extension) {
    return FileNamePart(path).endsWith(extension, Qt::CaseInsensitive);
}

}  // namespace vok
