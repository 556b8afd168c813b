#!/usr/bin/env python3
"""Writes a CD+G picture stream that draws like a karaoke disc, for the player benchmarks.

Usage: make-cdg-song.py OUT.cdg SECONDS

Every 8 seconds a page: the screen is cleared, four lines of sixteen letter tiles are drawn in
the first half second, then the letters are coloured one by one (exclusive-or tiles) until the
page ends, about nine tiles a second, as a disc colours the words while they are sung.
"""
import random
import sys

PACKETS_PER_SECOND = 300
PAGE_SECONDS = 8
LINE_ROWS = (4, 7, 10, 13)
FIRST_COLUMN = 17
TILES_PER_LINE = 16


def packet(instruction, data=()):
    return bytes([0x09, instruction, 0, 0]) + bytes(data).ljust(16, b"\0") + bytes(4)


def colour(rgb):  # 4 bits a channel, packed as CD+G packs them
    r, g, b = rgb >> 8, (rgb >> 4) & 15, rgb & 15
    return [(r << 2) | (g >> 2), ((g & 3) << 4) | b]


def tile(instruction, colours, row, column, rows):
    return packet(instruction, [colours[0], colours[1], row, column] + rows)


def main():
    out, seconds = sys.argv[1], int(sys.argv[2])
    letters = random.Random(7)
    total = seconds * PACKETS_PER_SECOND
    stream = [packet(0)] * total  # nothing to do
    palette = (0x000, 0x00A, 0xFFF, 0xF80, 0, 0, 0, 0)
    page_packets = PAGE_SECONDS * PACKETS_PER_SECOND
    for page in range(0, total, page_packets):
        stream[page] = packet(30, sum((colour(c) for c in palette), []))
        stream[page + 1] = packet(1, [1, 0])  # memory preset: the background colour
        tiles = [(row, FIRST_COLUMN + i) for row in LINE_ROWS for i in range(TILES_PER_LINE)]
        shapes = [[letters.randrange(64) for _ in range(12)] for _ in tiles]
        draw_step = PACKETS_PER_SECOND // 2 // len(tiles)
        for n, ((row, column), shape) in enumerate(zip(tiles, shapes)):
            at = page + 2 + n * draw_step
            if at < total:
                stream[at] = tile(6, (1, 2), row, column, shape)
        sing_start = page + PACKETS_PER_SECOND // 2
        sing_step = (page_packets - PACKETS_PER_SECOND // 2) // (len(tiles) + 1)
        for n, ((row, column), shape) in enumerate(zip(tiles, shapes)):
            at = sing_start + n * sing_step
            if at < total:
                stream[at] = tile(38, (0, 1), row, column, shape)  # white letters to orange
    with open(out, "wb") as file:
        file.write(b"".join(stream))


if __name__ == "__main__":
    main()
