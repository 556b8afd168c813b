#include "support/ZipWriter.h"

#include <zip.h>

#include <QFile>
#include <QTemporaryDir>
#include <stdexcept>

namespace vok::test {

QByteArray MakeZip(const std::vector<ZipMember>& members, bool encrypted) {
    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.zip"));
    int error = 0;
    zip_t* zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    for (const ZipMember& member : members) {
        zip_source_t* source =
            member.Zeros > 0 ? zip_source_file(zip, "/dev/zero", 0, member.Zeros)
                             : zip_source_buffer(zip, member.Bytes.constData(),
                                                 static_cast<zip_uint64_t>(member.Bytes.size()), 0);
        const zip_int64_t added = zip_file_add(zip, member.Name.toUtf8().constData(), source, 0);
        const auto index = static_cast<zip_uint64_t>(added);
        // The fastest deflate level: zeros shrink a hundredfold at any level.
        if (added < 0 || zip_set_file_compression(zip, index, ZIP_CM_DEFLATE, 1) != 0 ||
            (encrypted && zip_file_set_encryption(zip, index, ZIP_EM_AES_256, "secret") != 0)) {
            throw std::runtime_error(zip_strerror(zip));
        }
    }
    if (zip_close(zip) != 0) {
        throw std::runtime_error(zip_strerror(zip));
    }
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace vok::test
