#include "support/CdgWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <stdexcept>

namespace vok::test {

namespace {

constexpr int kMemoryPreset = 1;
constexpr int kBorderPreset = 2;
constexpr int kTileBlock = 6;
constexpr int kScrollPreset = 20;
constexpr int kScrollCopy = 24;
constexpr int kDefineTransparent = 28;
constexpr int kLoadColoursLow = 30;
constexpr int kLoadColoursHigh = 31;
constexpr int kTileBlockXor = 38;

char Low6(int value) {
    return static_cast<char>(value & 0x3F);
}

QByteArray ScrollData(int colour, CdgWriter::Scroll horizontal, CdgWriter::Scroll vertical,
                      int hOffset, int vOffset) {
    QByteArray data(16, '\0');
    data[0] = Low6(colour & 0x0F);
    data[1] = Low6(static_cast<int>(horizontal) << 4 | (hOffset & 0x07));
    data[2] = Low6(static_cast<int>(vertical) << 4 | (vOffset & 0x0F));
    return data;
}

}  // namespace

CdgWriter& CdgWriter::Instruction(int instruction, const QByteArray& data, std::uint8_t command) {
    QByteArray packet(kPacketBytes, '\0');
    packet[0] = static_cast<char>(command);
    packet[1] = Low6(instruction);
    for (int i = 0; i < 16 && i < data.size(); ++i) {
        packet[4 + i] = data[i];
    }
    bytes_.append(packet);
    return *this;
}

CdgWriter& CdgWriter::MemoryPreset(int colour, int repeat) {
    QByteArray data(16, '\0');
    data[0] = Low6(colour & 0x0F);
    data[1] = Low6(repeat & 0x0F);
    return Instruction(kMemoryPreset, data);
}

CdgWriter& CdgWriter::BorderPreset(int colour) {
    return Instruction(kBorderPreset, QByteArray(1, Low6(colour & 0x0F)));
}

CdgWriter& CdgWriter::TileBlock(int instruction, int row, int column, int colour0, int colour1,
                                const TileRows& rows) {
    QByteArray data(16, '\0');
    data[0] = Low6(colour0 & 0x0F);
    data[1] = Low6(colour1 & 0x0F);
    data[2] = static_cast<char>(row & 0x1F);
    data[3] = Low6(column);
    for (int i = 0; i < 12; ++i) {
        data[4 + i] = Low6(rows[static_cast<std::size_t>(i)]);
    }
    return Instruction(instruction, data);
}

CdgWriter& CdgWriter::Tile(int row, int column, int colour0, int colour1, const TileRows& rows) {
    return TileBlock(kTileBlock, row, column, colour0, colour1, rows);
}

CdgWriter& CdgWriter::XorTile(int row, int column, int colour0, int colour1, const TileRows& rows) {
    return TileBlock(kTileBlockXor, row, column, colour0, colour1, rows);
}

CdgWriter& CdgWriter::ScrollPreset(int colour, Scroll horizontal, Scroll vertical, int hOffset,
                                   int vOffset) {
    return Instruction(kScrollPreset, ScrollData(colour, horizontal, vertical, hOffset, vOffset));
}

CdgWriter& CdgWriter::ScrollCopy(Scroll horizontal, Scroll vertical, int hOffset, int vOffset) {
    return Instruction(kScrollCopy, ScrollData(0, horizontal, vertical, hOffset, vOffset));
}

CdgWriter& CdgWriter::DefineTransparent(int colour) {
    QByteArray data(16, '\0');
    data[colour & 0x0F] = Low6(0x3F);
    return Instruction(kDefineTransparent, data);
}

CdgWriter& CdgWriter::LoadColours(bool high, const Colours& colours) {
    QByteArray data(16, '\0');
    for (int i = 0; i < 8; ++i) {
        const int rgb = colours[static_cast<std::size_t>(i)];
        const int red = (rgb >> 8) & 0x0F;
        const int green = (rgb >> 4) & 0x0F;
        const int blue = rgb & 0x0F;
        data[2 * i] = Low6(red << 2 | green >> 2);
        data[2 * i + 1] = Low6((green & 0x03) << 4 | blue);
    }
    return Instruction(high ? kLoadColoursHigh : kLoadColoursLow, data);
}

CdgWriter& CdgWriter::Padding(int packets) {
    bytes_.append(static_cast<qsizetype>(packets) * kPacketBytes, '\0');
    return *this;
}

CdgWriter& CdgWriter::At(int ms) {
    return Padding(std::max(0, PacketAt(ms) - Packets()));
}

QString CdgWriter::Write(const QString& path) const {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes_) != bytes_.size()) {
        throw std::runtime_error("cannot write " + path.toStdString());
    }
    return path;
}

}  // namespace vok::test
