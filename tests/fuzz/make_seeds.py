#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz harnesses (corpus/<harness>/seed-*).

The seeds are kept in the repository; run this only to rebuild them after
the input layout of a harness changes. Crashers (crash-*) are left alone.
"""
import pathlib
import random
import struct

HERE = pathlib.Path(__file__).resolve().parent

# (colour type, bit depth) in the harness's order: byte 2 picks one.
FORMATS = [(0, 1), (0, 2), (0, 4), (0, 8), (0, 16), (2, 8), (2, 16), (3, 1),
           (3, 2), (3, 4), (3, 8), (4, 8), (4, 16), (6, 8), (6, 16)]
SUB, ALL = 0b00010, 0b11111


def encoder_case(width, height, fmt, interlace, filters, level, idat_limit, fail_at=None, pixels=b""):
    """The harness's ten description bytes, then the pixel bytes."""
    head = bytes([width - 1, height - 1, FORMATS.index(fmt), interlace | filters << 1, level])
    head += struct.pack(">H", idat_limit - 1)
    head += bytes([1 if fail_at is not None else 0]) + struct.pack(">H", fail_at or 0)
    return head + pixels


def gradient(n):
    return bytes((i * 7) & 0xFF for i in range(n))


def noise(n, seed):
    rng = random.Random(seed)
    return bytes(rng.randrange(256) for _ in range(n))


def encoder_seeds():
    seeds = {}
    for i, fmt in enumerate(FORMATS):
        name = f"type{fmt[0]}-depth{fmt[1]}"
        seeds[f"{name}-sub"] = encoder_case(13, 7, fmt, 0, SUB, 7, 65535, pixels=gradient(61))
        seeds[f"{name}-adam7-all"] = encoder_case(9, 11, fmt, 1, ALL, 6, 40, pixels=noise(97, i))
    seeds["screenshot-wide"] = encoder_case(128, 4, (2, 8), 0, SUB, 7, 65535, pixels=gradient(255))
    seeds["rgb-tiny-idat"] = encoder_case(33, 17, (2, 8), 0, SUB, 9, 1, pixels=noise(200, 99))
    seeds["rgba-level0"] = encoder_case(20, 20, (6, 8), 0, 0b00100, 0, 100, pixels=noise(150, 7))
    seeds["one-pixel-adam7"] = encoder_case(1, 1, (0, 1), 1, ALL, 1, 65535, pixels=b"\x80")
    seeds["no-filters"] = encoder_case(5, 5, (4, 16), 0, 0, 3, 7, pixels=gradient(10))
    seeds["paeth-only"] = encoder_case(17, 9, (3, 8), 1, 0b10000, 5, 33, pixels=noise(64, 3))
    seeds["full-sink"] = encoder_case(16, 16, (2, 16), 0, ALL, 7, 64, fail_at=300, pixels=noise(48, 5))
    seeds["full-sink-in-signature"] = encoder_case(3, 3, (0, 8), 1, SUB, 7, 65535, fail_at=3, pixels=b"\x01\x02")
    seeds["refused-level"] = encoder_case(4, 4, (2, 8), 0, SUB, 10, 65535, pixels=b"\xff")
    return seeds


def bmp_file(width, height, bits, pixels, colors=None, header_size=40, compression=0, masks=None):
    """A BMP with the given info header size; `height` < 0 for top-down rows."""
    colors = colors or []
    table = b"".join(bytes([b, g, r, 0]) for r, g, b in colors)
    info = struct.pack("<IiiHHIIiiII", header_size, width, height, 1, bits, compression,
                       len(pixels), 2835, 2835, len(colors), 0)
    extension = b""
    if masks:
        extension = struct.pack("<III", *masks)
    extension = extension.ljust(header_size - 40, b"\0") if header_size > 40 else extension
    offset = 14 + len(info) + len(extension) + len(table)
    head = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    return head + info + extension + table + pixels


def bmp_rows(width, height, bits, seed):
    stride = (width * bits + 31) // 32 * 4
    return noise(stride * abs(height), seed)


def bmp_seeds():
    seeds = {}
    grey16 = [(i * 17, i * 17, i * 17) for i in range(16)]
    for bits in (1, 4, 8):
        colors = [(i * 40 % 256, i * 90 % 256, i * 150 % 256) for i in range(1 << bits)]
        seeds[f"bits{bits}"] = bmp_file(13, 5, bits, bmp_rows(13, 5, bits, bits), colors)
        seeds[f"bits{bits}-top-down"] = bmp_file(7, -3, bits, bmp_rows(7, 3, bits, bits + 10), colors)
    seeds["bits4-short-table"] = bmp_file(9, 4, 4, bmp_rows(9, 4, 4, 21), grey16[:3])
    seeds["bits16-rgb555"] = bmp_file(6, 4, 16, bmp_rows(6, 4, 16, 30))
    seeds["bits16-fields565"] = bmp_file(6, 4, 16, bmp_rows(6, 4, 16, 31), compression=3,
                                         masks=(0xF800, 0x07E0, 0x001F))
    seeds["bits24"] = bmp_file(11, 6, 24, bmp_rows(11, 6, 24, 40))
    seeds["bits24-top-down-v5"] = bmp_file(5, -5, 24, bmp_rows(5, 5, 24, 41), header_size=124)
    seeds["bits32"] = bmp_file(8, 3, 32, bmp_rows(8, 3, 32, 50))
    seeds["bits32-fields-v4"] = bmp_file(4, 4, 32, bmp_rows(4, 4, 32, 51), header_size=108, compression=3,
                                         masks=(0x0000FF, 0x00FF00, 0xFF0000))
    seeds["bits32-fields101010-v3"] = bmp_file(3, 2, 32, bmp_rows(3, 2, 32, 52), header_size=56, compression=3,
                                               masks=(0x3FF00000, 0x000FFC00, 0x000003FF))
    seeds["truncated"] = bmp_file(20, 20, 24, bmp_rows(20, 20, 24, 60))[:300]
    seeds["rle8"] = bmp_file(4, 4, 8, b"\x04\x01\x00\x01", grey16, compression=1)
    return seeds


def write(harness, seeds):
    folder = HERE / "corpus" / harness
    folder.mkdir(parents=True, exist_ok=True)
    for old in folder.glob("seed-*"):
        old.unlink()
    for name, data in seeds.items():
        (folder / f"seed-{name}").write_bytes(data)


if __name__ == "__main__":
    write("png_encoder_fuzzer", encoder_seeds())
    write("bmp_reader_fuzzer", bmp_seeds())
