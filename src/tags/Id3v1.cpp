#include "tags/Id3v1.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include "core/TextCodec.h"
#include "tags/TagsLog.h"

namespace vok {

namespace {

// A fixed-width field: trailing spaces, zero bytes and control characters removed.
QString Field(const QByteArray& block, qsizetype offset, qsizetype width) {
    QByteArrayView bytes = QByteArrayView(block).sliced(offset, width);
    while (!bytes.isEmpty() && static_cast<std::uint8_t>(bytes.back()) <= 0x20) {
        bytes.chop(1);
    }
    return DecodeLatin1(bytes);
}

}  // namespace

void TID3v1::Reset() {
    *this = TID3v1();
}

bool TID3v1::Read(const QString& fileName) {
    Reset();
    // Only regular files: a FIFO or a device would block or never end.
    if (!QFileInfo(fileName).isFile()) {
        return false;
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        qCInfo(lcTags) << "Cannot open" << fileName << file.errorString();
        return false;
    }
    const qint64 size = file.size();
    if (size < BlockSize || !file.seek(size - BlockSize)) {
        return false;
    }
    const QByteArray block = file.read(BlockSize);
    if (block.size() != BlockSize) {
        return false;
    }
    if (!block.startsWith("TAG")) {
        return true;
    }
    Exists = true;
    const auto byte = [&block](qsizetype index) { return static_cast<std::uint8_t>(block[index]); };
    const bool v11 = (byte(125) == 0 && byte(126) != 0) || (byte(125) == ' ' && byte(126) != ' ');
    Version = v11 ? 2 : 1;
    Title = Field(block, 3, 30);
    Artist = Field(block, 33, 30);
    Album = Field(block, 63, 30);
    Year = Field(block, 93, 4);
    Comment = Field(block, 97, v11 ? 28 : 30);
    Track = v11 ? byte(126) : 0;
    GenreNumber = byte(127);
    return true;
}

}  // namespace vok
