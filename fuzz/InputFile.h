#pragma once

#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

namespace vok::fuzz {

// Writes the input to one file per process (named `name` in a private temporary folder), for the
// readers that take a path; empty when the file cannot be written.
inline QString WriteInputFile(const std::uint8_t* data, std::size_t size, const QString& name) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return {};
    }
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    return path;
}

}  // namespace vok::fuzz
