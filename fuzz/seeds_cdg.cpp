// Seeds for the CD+G picture harness: small songs of every instruction, and the usual breakage.
#include "Seeds.h"
#include "support/CdgWriter.h"

namespace {

using vok::test::CdgWriter;

constexpr CdgWriter::TileRows kRows = {0x3F, 0x21, 0x21, 0x3F, 0x00, 0x0C,
                                       0x0C, 0x00, 0x3F, 0x21, 0x21, 0x3F};

CdgWriter Pages() {
    CdgWriter song;
    for (int page = 0; page < 3; ++page) {
        song.At(page * 1500).LoadColours(false, {0x000, 0x00F, 0xF00, 0x0F0, 0xFF0, 0xFFF, 0, 0});
        song.MemoryPreset(page + 1).BorderPreset(5).DefineTransparent(0);
        song.ScrollPreset(page, CdgWriter::Scroll::Back, CdgWriter::Scroll::None, page);
        for (int tile = 0; tile < 8; ++tile) {
            song.Tile(2 + tile, 3 + tile, 1, 2, kRows).XorTile(2 + tile, 3 + tile, 0, 4, kRows);
        }
        song.At(page * 1500 + 800).ScrollCopy(CdgWriter::Scroll::None, CdgWriter::Scroll::Forward);
        song.LoadColours(true, {0x111, 0x0FF, 0xF0F, 0, 0, 0, 0, 0});
    }
    return song.Duration(5000);
}

vok::fuzz::SeedSet MakeCdgSeeds() {
    const QByteArray song = Pages().Bytes();
    // A tile out of range, a packet cut short, an undefined instruction.
    CdgWriter broken = Pages();
    broken.Tile(17, 49, 1, 2, kRows).Instruction(6, QByteArray(16, '\x3F')).Instruction(50, {});
    return {"cdg_picture",
            {song, song.left(song.size() / 2 + 13), broken.Bytes() + QByteArray(9, '\x09'),
             CdgWriter().Padding(50).MemoryPreset(2, 3).Bytes()}};
}

const vok::fuzz::SeedRegistration registration(MakeCdgSeeds);

}  // namespace
