#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace vok::test {

struct ZipMember {
    QString Name;
    QByteArray Bytes;
    qint64 Zeros = 0;  // instead of Bytes: that many zero bytes, read from /dev/zero as packed
};

// A zip made in code with libzip (deflated; with `encrypted`, every member under AES-256).
QByteArray MakeZip(const std::vector<ZipMember>& members, bool encrypted = false);

}  // namespace vok::test
