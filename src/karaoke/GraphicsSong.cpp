#include "karaoke/GraphicsSong.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include "core/FileNames.h"
#include "karaoke/KaraokeName.h"

namespace vok {

namespace {

const char* const kMissingCdg = "The CD+G file could not be found.";

// The first file of the folder named `base` + one of `extensions`, in their order; for each, an
// exact spelling before one that differs in case. The folder is listed once.
QString FindBeside(const QString& path, const QStringList& extensions) {
    const QString base = NameWithoutExtension(path);
    if (base.isEmpty()) {
        return {};
    }
    const QString folder = QFileInfo(path).path();
    const QStringList names =
        QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    for (const QString& extension : extensions) {
        const QString wanted = base + extension;
        QString found;
        for (const QString& name : names) {
            if (name == wanted) {
                found = name;
                break;
            }
            if (found.isEmpty() && name.compare(wanted, Qt::CaseInsensitive) == 0) {
                found = name;
            }
        }
        if (!found.isEmpty()) {
            return folder + QLatin1Char('/') + found;
        }
    }
    return {};
}

}  // namespace

QString FindAudioBesideCdg(const QString& cdgPath) {
    return FindBeside(cdgPath, GraphicsAudioExtensions());
}

QString FindCdgBesideAudio(const QString& audioPath) {
    return FindBeside(audioPath, {QStringLiteral(".cdg")});
}

GraphicsSongFiles FindGraphicsSong(const QString& path, const ZipLimits& limits) {
    GraphicsSongFiles song;
    if (IsZipFileName(path)) {
        auto unpacked = std::make_shared<const ZipSong>(path, limits);
        if (!unpacked->Ok()) {
            song.Message = unpacked->Message();
            return song;
        }
        song.IsGraphicsSong = true;
        song.CdgPath = unpacked->CdgPath();
        song.AudioPath = unpacked->AudioPath();
        song.Unpacked = std::move(unpacked);
    } else if (IsCdgFileName(path)) {
        if (!QFileInfo(path).isFile()) {
            song.Message = QString::fromLatin1(kMissingCdg);
            return song;
        }
        song.IsGraphicsSong = true;
        song.CdgPath = path;
        song.AudioPath = FindAudioBesideCdg(path);
    } else if (IsGraphicsAudioName(path)) {
        song.CdgPath = FindCdgBesideAudio(path);
        song.IsGraphicsSong = !song.CdgPath.isEmpty();
        song.AudioPath = song.IsGraphicsSong ? path : QString();
    }
    return song;
}

}  // namespace vok
