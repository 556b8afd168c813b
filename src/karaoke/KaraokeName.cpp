#include "karaoke/KaraokeName.h"

#include "core/FileNames.h"

namespace vok {

QStringList GraphicsAudioExtensions() {
    return {QStringLiteral(".mp3"),  QStringLiteral(".ogg"),  QStringLiteral(".wav"),
            QStringLiteral(".flac"), QStringLiteral(".opus"), QStringLiteral(".m4a")};
}

bool IsCdgFileName(const QString& path) {
    return HasExtension(path, u".cdg");
}

bool IsZipFileName(const QString& path) {
    return HasExtension(path, u".zip");
}

bool IsGraphicsSongName(const QString& path) {
    return IsCdgFileName(path) || IsZipFileName(path);
}

bool IsGraphicsAudioName(const QString& path) {
    for (const QString& extension : GraphicsAudioExtensions()) {
        if (HasExtension(path, extension)) {
            return true;
        }
    }
    return false;
}

namespace {

// Disc ids ("SC8123-05", "SF001-01", "PHM0901-07") are one word, mostly digits; artists that are
// one word ("Queen", "Blink-182", "U2") have fewer digits than letters, or a single one.
bool IsDiscId(const QString& part) {
    int digits = 0;
    int letters = 0;
    for (const QChar c : part) {
        if (c.isSpace()) {
            return false;
        }
        digits += c.isDigit() ? 1 : 0;
        letters += c.isLetter() ? 1 : 0;
    }
    return digits >= 2 && digits >= letters;
}

}  // namespace

KaraokeName ParseKaraokeName(const QString& fileName) {
    QString name = FileNamePart(fileName);
    if (IsGraphicsSongName(name) || IsGraphicsAudioName(name) || IsLyricFileName(name) ||
        HasExtension(name, u".wma")) {
        name.truncate(name.lastIndexOf(QLatin1Char('.')));
    }
    // An en dash between spaces is the same separator, as some song sets write it.
    name.replace(QStringLiteral(" \u2013 "), QStringLiteral(" - "));
    QStringList parts = name.split(QStringLiteral(" - "));
    for (QString& part : parts) {
        part = part.trimmed();
    }
    if (parts.size() > 1 && IsDiscId(parts.first())) {
        parts.removeFirst();
    }
    KaraokeName result;
    if (parts.size() > 1) {
        result.Artist = parts.takeFirst();
    }
    result.Title = parts.join(QStringLiteral(" - "));
    return result;
}

}  // namespace vok
