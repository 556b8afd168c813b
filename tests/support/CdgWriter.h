#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

namespace vok::test {

// Builds the bytes of a CD+G graphics file (.cdg): 24-byte packets, 300 a second, each either a
// graphics instruction (command 0x09) or padding. Instructions go at the packet after the ones
// before; At() pads up to the packet of a moment.
//
//   CdgWriter().LoadColours(false, {0x000, 0xF00}).MemoryPreset(0).At(1000).Tile(3, 4, 0, 1, rows)
//       .Duration(5000).Write(path);
class CdgWriter {
  public:
    // 12 rows of 6 pixels; bit 5 is the leftmost pixel, a set bit takes colour 1.
    using TileRows = std::array<std::uint8_t, 12>;
    // Colours as 0xRGB, 4 bits each.
    using Colours = std::array<std::uint16_t, 8>;
    enum class Scroll { None = 0, Forward = 1, Back = 2 };  // right/down, left/up

    static constexpr int kPacketBytes = 24;

    CdgWriter& MemoryPreset(int colour, int repeat = 0);
    CdgWriter& BorderPreset(int colour);
    CdgWriter& Tile(int row, int column, int colour0, int colour1, const TileRows& rows);
    CdgWriter& XorTile(int row, int column, int colour0, int colour1, const TileRows& rows);
    // Moves the screen by a tile (and by the offsets in pixels): the preset fills what comes in
    // with `colour`, the copy brings in what went out on the other side.
    CdgWriter& ScrollPreset(int colour, Scroll horizontal, Scroll vertical, int hOffset = 0,
                            int vOffset = 0);
    CdgWriter& ScrollCopy(Scroll horizontal, Scroll vertical, int hOffset = 0, int vOffset = 0);
    CdgWriter& DefineTransparent(int colour);
    // Colours 0–7 (`high` false) or 8–15.
    CdgWriter& LoadColours(bool high, const Colours& colours);
    // Any packet, for breakage: instruction and 16 data bytes as given.
    CdgWriter& Instruction(int instruction, const QByteArray& data, std::uint8_t command = 0x09);
    CdgWriter& Padding(int packets);
    // Pads so that the next instruction is the first packet shown at `ms`.
    CdgWriter& At(int ms);
    // Pads so that the file lasts at least `ms`.
    CdgWriter& Duration(int ms) { return At(ms); }

    static int PacketAt(int ms) { return (ms * 3 + 9) / 10; }
    int Packets() const { return static_cast<int>(bytes_.size() / kPacketBytes); }
    const QByteArray& Bytes() const { return bytes_; }
    // Writes the bytes to the path (creating folders); returns the path. Throws when it cannot.
    QString Write(const QString& path) const;

  private:
    CdgWriter& TileBlock(int instruction, int row, int column, int colour0, int colour1,
                         const TileRows& rows);
    QByteArray bytes_;
};

}  // namespace vok::test
