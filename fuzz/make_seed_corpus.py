#!/usr/bin/env python3
"""Writes the hand-made seed inputs of the fuzz corpus (small valid, truncated, oversized and
wrong-version files). Run from anywhere; the files land in corpus/<harness>/seed_*."""
import pathlib
import struct

HERE = pathlib.Path(__file__).resolve().parent


def glyph_header(version=2, frames=1, width=4, height=3, maps=0):
    return b"GLYF" + struct.pack("<BBHHBB", version, frames, width, height, maps, 0)


def glyph_frames(frames, width, height, maps=False, keyed=False):
    out = bytearray()
    for f in range(frames):
        for r in range(height):
            for c in range(width):
                if keyed and (c + r + f) % 3 == 0:
                    out += bytes((255, 0, 255))
                else:
                    out += bytes(((c * 40) & 255, (r * 50) & 255, (f * 60) & 255))
        if maps:
            out += bytes(((f + r * width + c) % 5 for r in range(height) for c in range(width)))
    return bytes(out)


def glyph_seeds():
    valid = glyph_header(frames=2, width=4, height=3) + glyph_frames(2, 4, 3)
    keyed = glyph_header(frames=3, width=7, height=5) + glyph_frames(3, 7, 5, keyed=True)
    mapped = glyph_header(frames=2, width=3, height=2, maps=1) + glyph_frames(2, 3, 2, maps=True)
    return {
        "valid": valid,
        "keyed": keyed,
        "mapped": mapped,
        "truncated_frame": valid[:12 + 20],
        "truncated_map": mapped[:12 + 18 + 3],
        "truncated_header": valid[:5],
        "empty": b"",
        "version1": glyph_header(version=1) + glyph_frames(1, 4, 3),
        "version3": glyph_header(version=3) + glyph_frames(1, 4, 3),
        "no_frames": glyph_header(frames=0, width=9, height=13),
        "frames101": glyph_header(frames=101, width=2, height=2) + glyph_frames(2, 2, 2),
        "zero_width": glyph_header(width=0, height=3),
        "too_large": glyph_header(width=801, height=600),
        "largest": glyph_header(width=800, height=600) + glyph_frames(1, 8, 2),
        "two_in_a_row": valid + keyed,
    }


def tga(width, height, bits, body, image_type=2):
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, image_type, 0, 0, 0, 0, 0, width, height, bits, 0)
    return header + body


def picture_seeds():
    rgb = bytes((i * 13) & 255 for i in range(3 * 2 * 3))
    rgb16 = struct.pack("<4H", 0x7C1F, 0x7FFF, 0x0421, 0x8000)
    keyed = bytes((255, 0, 255, 10, 20, 30) * 4)

    def entry(flags, width, height, body):
        return bytes((flags,)) + struct.pack("<hh", width, height) + body

    return {
        "rgb24": entry(0, 3, 2, tga(3, 2, 24, rgb)),
        "rgb24_lle_map": entry(3, 3, 2, tga(3, 2, 24, rgb)),
        "rgb16_565": entry(4, 2, 2, tga(2, 2, 16, rgb16)),
        "rgb16_lle": entry(5, 2, 2, tga(2, 2, 16, rgb16)),
        "keyed_lle": entry(1, 4, 2, tga(4, 2, 24, keyed)),
        "depth8": entry(0, 2, 2, tga(2, 2, 8, bytes(4))),
        "depth32": entry(0, 1, 1, tga(1, 1, 32, bytes(4))),
        "huge": entry(0, 32767, 32767, tga(65535, 65535, 24, rgb)),
        "negative_sizes": entry(1, -5, 3, tga(3, 2, 24, rgb)),
        "truncated_rows": entry(0, 3, 2, tga(3, 2, 24, rgb[:7])),
        "truncated_header": entry(0, 1, 1, tga(3, 2, 24, b"")[:9]),
        "zero_width": entry(0, 0, 2, tga(0, 2, 24, b"")),
    }


def write(harness, seeds):
    directory = HERE / "corpus" / harness
    directory.mkdir(parents=True, exist_ok=True)
    for name, data in seeds.items():
        (directory / f"seed_{name}").write_bytes(data)


if __name__ == "__main__":
    write("glyph_file", glyph_seeds())
    write("glyph_stream", glyph_seeds())
    write("picture", picture_seeds())
