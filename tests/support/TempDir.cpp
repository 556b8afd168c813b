#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

namespace vok::test {

TempDir::TempDir() {
    if (!dir_.isValid()) {
        throw std::runtime_error("cannot create a temporary folder");
    }
}

QString TempDir::FilePath(const QString& relative) const {
    return dir_.filePath(relative);
}

QString TempDir::Write(const QString& relative, const QByteArray& bytes) const {
    const QString path = FilePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        throw std::runtime_error("cannot write fixture " + path.toStdString());
    }
    return path;
}

QString TempDir::MakeDir(const QString& relative) const {
    const QString path = FilePath(relative);
    QDir().mkpath(path);
    return path;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace vok::test
