#!/usr/bin/env python3
"""Writes the hand-made seed inputs of the fuzz corpus (small valid, truncated, oversized and
wrong-version files, and valid settings files and command lines). Run from anywhere; the files land in corpus/<harness>/seed_*."""
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


KEY = b"[HKEY_LOCAL_MACHINE\\Software\\Korvanth\\Vorlix]"


def settings_seeds():
    values = (b'"Resolution"=hex(1):31,30,32,34,78,37,36,38\n'
              b'"Density"=hex(4):2c,01,00,00\n'
              b'"HighlightDensity"=hex(4):08,00,00,00\n')
    written = b"REGEDIT4\n\n" + KEY + b"\n" + values
    return {
        "written": written,
        "crlf": written.replace(b"\n", b"\r\n"),
        "header_only": b"REGEDIT4\n",
        "empty_key": b"REGEDIT4\n\n" + KEY + b"\n",
        "two_keys": written + b"\n[HKEY_LOCAL_MACHINE\\Software\\Other]\n" + values,
        "escaped_name": b"REGEDIT4\n\n" + KEY + b'\n"a\\"b\\\\c"=hex(3):ff\n',
        "empty_value": b"REGEDIT4\n\n" + KEY + b'\n"Resolution"=hex(1):\n',
        "upper_hex": b"REGEDIT4\n\n" + KEY + b'\n"Density"=hex(0004):2C,01,00,00\n',
        "short_density": b"REGEDIT4\n\n" + KEY + b'\n"Density"=hex(4):2c\n',
        "no_trailing_newline": b"REGEDIT4\n\n" + KEY + b'\n"Density"=hex(4):2c,01,00,00',
    }


def switch_seeds():
    lines = {
        "saver": b"vorlix.scr /s",
        "saver_upper": b"VORLIX.SCR /S",
        "quoted_program": b'"C:\\Program Files\\vorlix.scr" /s',
        "preview": b"vorlix.scr /p 1234",
        "list_dash": b"vorlix.scr -l  65538",
        "configure": b"vorlix.scr",
        "configure_window": b"vorlix.scr /c:4242",
        "configure_bare": b"vorlix.scr /c",
        "password": b"vorlix.scr /a 77",
        "tabs": b"vorlix.scr\t \t/s",
        "largest_handle": b"vorlix.scr /p 18446744073709551615",
        "too_large_handle": b"vorlix.scr /p 18446744073709551616",
        "unknown": b"vorlix.scr /x",
    }
    return lines


def command_line_seeds():
    def args(*parts):
        return b"".join(part + b"\0" for part in parts)

    return {
        "saver": args(b"/s"),
        "preview": args(b"/p", b"4242"),
        "configure": args(b"/c"),
        "none": b"",
        "root": args(b"--root"),
        "root_one_dash": args(b"-root", b"-density", b"120", b"-highlight", b"30"),
        "window_hex": args(b"--window-id", b"0x3a00007"),
        "window_decimal": args(b"-window-id", b"60817415", b"--density", b"400"),
        "saver_settings": args(b"/s", b"--density", b"0", b"--highlight", b"100"),
        "help": args(b"--help"),
        "help_short": args(b"-h"),
        "largest_window": args(b"--window-id", b"0xffffffff"),
        "too_large_setting": args(b"/s", b"--density", b"99999999999999999999"),
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
    write("settings_file", settings_seeds())
    write("switch_text", switch_seeds())
    write("command_line", command_line_seeds())
