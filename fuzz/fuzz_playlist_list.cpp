// Feeds arbitrary bytes to the list-file reader, both as a file on disk and as bytes.
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>

#include "playlist/ListFiles.h"

namespace {

const QTemporaryDir& Folder() {
    static const QTemporaryDir dir = [] {
        QTemporaryDir made;
        // Files the inputs can name, so the accepting path runs too.
        for (const char* name : {"a.mp3", "b.vok"}) {
            QFile file(made.filePath(QString::fromLatin1(name)));
            if (file.open(QIODevice::WriteOnly)) {
                file.write("x");
            }
        }
        return made;
    }();
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const QString& line : vok::ListFileCandidates(bytes)) {
        if (line.isEmpty() || line.contains(QLatin1Char('\r')) ||
            line.contains(QLatin1Char('\n')) || line.contains(QChar(0)) ||
            line.left(4).toUpper() == QLatin1String("#EXT")) {
            __builtin_trap();
        }
    }
    const QTemporaryDir& dir = Folder();
    const QString path = dir.filePath(QStringLiteral("input.vpl"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        return 0;
    }
    file.close();
    const vok::ListReadResult result = vok::ReadPlayList(path, dir.path());
    for (const QString& entry : result.entries) {
        if (entry != QLatin1String("a.mp3") && entry != QLatin1String("b.vok") &&
            !entry.startsWith(dir.path())) {
            // Anything else may exist on this machine; it must at least be a real line.
            if (entry.contains(QChar(0))) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
