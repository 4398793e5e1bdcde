#!/usr/bin/env python3
"""Writes the picture and sound fixtures of the tests.

tests/media/fixtures: one small picture (7 x 5, so that rows need padding) in every BMP
form Windows writes, each with NAME.rgb, the pixels it must decode to (raw 8-bit RGB, top
row first), checked against ImageMagick's reading of it; JPEG forms with ImageMagick's
reading; a WAV file of 100 ms in every encoding SDL reads; and bad_* files that must be
refused.

tests/games/media: the data files of the end-to-end games there, and scene.expected.png,
the picture area that scene.vns must leave, composed by ImageMagick.

fuzz/corpus/picture_decode, fuzz/corpus/bmp_read and fuzz/corpus/wav_load: the fixtures
again, as seeds.

    tests/media/make_fixtures.py        (run from anywhere; rewrites the folder)
"""
import pathlib
import struct
import subprocess
import wave

OUT = pathlib.Path(__file__).resolve().parent / "fixtures"
GAME = pathlib.Path(__file__).resolve().parents[1] / "games" / "media"
FUZZ = pathlib.Path(__file__).resolve().parents[2] / "fuzz" / "corpus"
W, H = 7, 5

PALETTE = [(0, 0, 0), (255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 0), (0, 255, 255),
           (255, 0, 255), (255, 255, 255), (128, 0, 0), (0, 128, 0), (0, 0, 128),
           (128, 128, 0), (0, 128, 128), (128, 0, 128), (192, 192, 192), (128, 128, 128)]


def index(x, y, colours):
    # Runs of two, so that the RLE forms hold encoded runs as well as absolute ones.
    return (x // 2 + y) % colours


def colour(x, y):
    return (x * 36 + 10, y * 50 + 5, (x * y * 13 + 7) % 256)


def file_header(offset, size):
    return b"BM" + struct.pack("<IHHI", size, 0, 0, offset)


def info_header(bits, compression, image_size, height=H, colours=0, size=40):
    return struct.pack("<IiiHHIIiiII", size, W, height, 1, bits, compression, image_size,
                       2835, 2835, colours, 0)


def bmp(header, palette, pixels):
    offset = 14 + len(header) + len(palette)
    return file_header(offset, offset + len(pixels)) + header + palette + pixels


def pad(row):
    return row + b"\0" * (-len(row) % 4)


def palette_bytes(colours, entry=4):
    return b"".join(bytes((b, g, r)) + b"\0" * (entry - 3) for r, g, b in PALETTE[:colours])


def rows(top_down=False):
    return range(H) if top_down else range(H - 1, -1, -1)


def indexed(bits, top_down=False, core=False):
    colours = 1 << min(bits, 4)
    data = b""
    for y in rows(top_down):
        values = [index(x, y, colours) for x in range(W)]
        if bits == 8:
            row = bytes(values)
        else:
            per = 8 // bits
            row = bytes(
                sum(v << (8 - bits * (i + 1)) for i, v in enumerate(values[k:k + per]))
                for k in range(0, W, per))
        data += pad(row)
    if core:
        # The old header has no colour count: the palette has every entry the bits allow.
        header = struct.pack("<IHHHH", 12, W, H, 1, bits)
        palette = palette_bytes(colours, 3) + b"\0" * 3 * ((1 << bits) - colours)
        return bmp(header, palette, data), colours
    # An 8-bit file still lists only the colours it uses.
    header = info_header(bits, 0, len(data), -H if top_down else H, colours)
    return bmp(header, palette_bytes(colours), data), colours


def rle(bits):
    colours = 16
    data = b""
    for y in rows():
        values = [index(x, y, colours) for x in range(W)]
        x = 0
        while x < W:
            run = 1
            while x + run < W and values[x + run] == values[x]:
                run += 1
            if run >= 2 or W - x < 3:
                fill = values[x] if bits == 8 else values[x] << 4 | values[x]
                data += bytes((run, fill))
                x += run
                continue
            # Absolute mode: three or more single pixels.
            count = 3
            literal = values[x:x + count]
            if bits == 8:
                body = bytes(literal)
            else:
                literal = literal + [0]
                body = bytes(literal[i] << 4 | literal[i + 1] for i in range(0, count, 2))
            body += b"\0" * (len(body) % 2)
            data += bytes((0, count)) + body
            x += count
        data += b"\0\0"  # end of line
    data = data[:-2] + b"\0\1"  # end of bitmap
    header = info_header(bits, 1 if bits == 8 else 2, len(data), colours=colours)
    return bmp(header, palette_bytes(colours), data), colours


def direct(bits, top_down=False, masks=None, v5=False, filler=0):
    data = b""
    for y in rows(top_down):
        row = b""
        for x in range(W):
            r, g, b = colour(x, y)
            if bits == 24:
                row += bytes((b, g, r))
            elif bits == 32:
                row += bytes((b, g, r, filler))
            elif masks == (0xF800, 0x07E0, 0x001F):
                row += struct.pack("<H", (r >> 3) << 11 | (g >> 2) << 5 | b >> 3)
            else:
                row += struct.pack("<H", (r >> 3) << 10 | (g >> 3) << 5 | b >> 3)
        data += pad(row)
    height = -H if top_down else H
    if v5:
        # BITMAPV5HEADER with an alpha mask: the alpha byte is there, Windows ignores it.
        header = info_header(bits, 3, len(data), height, size=124)
        header += struct.pack("<IIII", 0xFF0000, 0xFF00, 0xFF, 0xFF000000)
        header += b"sRGB"[::-1] + b"\0" * 48 + struct.pack("<IIII", 4, 0, 0, 0)
        return bmp(header, b"", data)
    if masks:
        return bmp(info_header(bits, 3, len(data), height), struct.pack("<III", *masks), data)
    return bmp(info_header(bits, 0, len(data), height), b"", data)


def expected_indexed(colours):
    return bytes(c for y in range(H) for x in range(W) for c in PALETTE[index(x, y, colours)])


def expected_direct(bits_per_channel=(8, 8, 8)):
    out = b""
    for y in range(H):
        for x in range(W):
            for value, bits in zip(colour(x, y), bits_per_channel):
                top = (1 << bits) - 1
                out += bytes((round((value >> (8 - bits)) * 255 / top),))
    return out


def good_fixtures():
    for bits in (1, 4, 8):
        data, colours = indexed(bits)
        yield f"pal{bits}", data, expected_indexed(colours)
    data, colours = indexed(8, top_down=True)
    yield "pal8_topdown", data, expected_indexed(colours)
    data, colours = indexed(8, core=True)
    yield "pal8_os2", data, expected_indexed(colours)
    for bits in (4, 8):
        data, colours = rle(bits)
        yield f"rle{bits}", data, expected_indexed(colours)
    yield "rgb555", direct(16), expected_direct((5, 5, 5))
    yield "rgb565", direct(16, masks=(0xF800, 0x07E0, 0x001F)), expected_direct((5, 6, 5))
    yield "rgb24", direct(24), expected_direct()
    yield "rgb24_topdown", direct(24, top_down=True), expected_direct()
    yield "rgb32", direct(32, filler=0x7F), expected_direct()
    yield "rgb32_fields", direct(32, masks=(0xFF0000, 0xFF00, 0xFF)), expected_direct()
    yield "argb32_v5", direct(32, v5=True, filler=0), expected_direct()


def refused_fixtures():
    good = direct(24)
    yield "bad_truncated_header", good[:30]
    yield "bad_not_bmp", b"\x89PNG\r\n\x1a\n" + good[8:]
    huge_side = bytearray(good)
    struct.pack_into("<i", huge_side, 18, 16385)
    yield "bad_huge_side", bytes(huge_side)
    huge_area = bytearray(good)
    struct.pack_into("<ii", huge_area, 18, 9000, 8000)  # 72 Mpixels, each side allowed
    yield "bad_huge_area", bytes(huge_area)
    zero = bytearray(good)
    struct.pack_into("<i", zero, 18, 0)
    yield "bad_zero_width", bytes(zero)


def wav(tag, rate, bits, block_align, data, extra=None, channels=1):
    fmt = struct.pack("<HHIIHH", tag, channels, rate, rate * block_align, block_align, bits)
    if extra is not None:
        fmt += struct.pack("<H", len(extra)) + extra
    body = b"WAVEfmt " + struct.pack("<I", len(fmt)) + fmt
    body += b"data" + struct.pack("<I", len(data)) + data
    return b"RIFF" + struct.pack("<I", len(body)) + body


def sound_fixtures():
    """Every encoding SDL reads, each 100 ms long; the ADPCM rates fit one block."""
    ramp = bytes(i * 7 % 256 for i in range(800))
    ms_coefficients = struct.pack("<14h", 256, 0, 512, -256, 0, 0, 192, 64, 240, 0, 460, -208,
                                  392, -232)
    yield "pcm8", wav(1, 8000, 8, 1, ramp)
    yield "pcm16_stereo", wav(1, 8000, 16, 4, ramp * 4, channels=2)
    yield "pcm24", wav(1, 8000, 24, 3, ramp * 3)
    yield "pcm32", wav(1, 8000, 32, 4, ramp * 4)
    yield "float", wav(3, 8000, 32, 4, struct.pack("<800f", *[i / 800 for i in range(800)]), b"")
    yield "alaw", wav(6, 8000, 8, 1, ramp, b"")
    yield "mulaw", wav(7, 8000, 8, 1, ramp, b"")
    # One block of 256 bytes: 505 frames (IMA) or 500 (MS), after a header of a valid step.
    yield "ima_adpcm", wav(0x11, 5050, 4, 256, struct.pack("<hBB", 0, 10, 0) + ramp[:252],
                           struct.pack("<H", 505))
    yield "ms_adpcm", wav(2, 5000, 4, 256, struct.pack("<BHhh", 0, 16, 0, 0) + ramp[:249],
                          struct.pack("<HH", 500, 7) + ms_coefficients)
    yield "bad_truncated", b"RIFF\x04\0\0\0WAVE"
    # Rates no sound card plays.
    yield "bad_rate_low", wav(1, 999, 8, 1, ramp)
    yield "bad_rate_high", wav(1, 768001, 8, 1, ramp)


def magick_pixels(path):
    return subprocess.run(["/usr/bin/convert", str(path), "-depth", "8", "rgb:-"], check=True,
                          capture_output=True).stdout


def magick(*args):
    subprocess.run(["/usr/bin/convert", *map(str, args)], check=True)


def jpeg_fixtures():
    """JPEG forms made by ImageMagick; the .rgb is ImageMagick's own reading of each."""
    for name, options in (("jpeg_baseline", []), ("jpeg_progressive", ["-interlace", "JPEG"]),
                          ("jpeg_gray", ["-colorspace", "Gray"]),
                          ("jpeg_444", ["-sampling-factor", "1x1"])):
        jpeg = OUT / f"{name}.jpg"
        magick("-size", "24x16", "gradient:#ff8000-#0040ff", "-quality", "95", *options, jpeg)
        (OUT / f"{name}.rgb").write_bytes(magick_pixels(jpeg))


def game_files():
    (GAME / "snd").mkdir(parents=True, exist_ok=True)
    # Banded, 16 colours, RLE8: a full-size background in a few KiB.
    magick("-size", "183x270", "gradient:#204080-#e0c040", "-rotate", "90", "-dither", "None",
           "-colors", "16", "-compress", "RLE", "BMP3:" + str(GAME / "hall.bmp"))
    magick("-size", "50x50", "xc:#c03020", "-fill", "#30a040", "-draw", "rectangle 10,10 39,39",
           "-type", "palette", "BMP3:" + str(GAME / "square.bmp"))
    magick("-size", "40x30", "gradient:#ff8000-#0040ff", "-quality", "95", GAME / "photo.jpg")
    (GAME / "damaged.bmp").write_bytes((OUT / "bad_truncated_header.bmp").read_bytes())
    (GAME / "picture.gif").write_bytes(b"GIF89a")
    (GAME / "broken.wav").write_bytes((OUT / "bad_truncated.wav").read_bytes())
    with wave.open(str(GAME / "snd" / "bell.wav"), "wb") as bell:
        bell.setnchannels(1)
        bell.setsampwidth(1)
        bell.setframerate(8000)
        bell.writeframes(bytes(128 + (40 if i % 20 < 10 else -40) for i in range(4000)))
    # What scene.vns draws, in its order; white where nothing was drawn.
    magick("-size", "270x183", "xc:white",
           GAME / "hall.bmp", "-geometry", "+0+0", "-composite",
           GAME / "square.bmp", "-geometry", "+10+20", "-composite",
           GAME / "photo.jpg", "-geometry", "+240+160", "-composite",
           GAME / "square.bmp", "-geometry", "-20-20", "-composite",
           GAME / "square.bmp", "-geometry", "+0+0", "-composite",
           "-define", "png:exclude-chunks=date,time", GAME / "scene.expected.png")


def main():
    OUT.mkdir(exist_ok=True)
    for old in OUT.iterdir():
        old.unlink()
    for name, data, expected in good_fixtures():
        (OUT / f"{name}.bmp").write_bytes(data)
        (OUT / f"{name}.rgb").write_bytes(expected)
        seen = magick_pixels(OUT / f"{name}.bmp")
        worst = max(abs(a - b) for a, b in zip(seen, expected)) if len(seen) == len(expected) else 999
        if worst > 8:
            raise SystemExit(f"{name}: ImageMagick reads it differently (by {worst})")
    for name, data in refused_fixtures():
        (OUT / f"{name}.bmp").write_bytes(data)
    for name, data in sound_fixtures():
        (OUT / f"{name}.wav").write_bytes(data)
    jpeg_fixtures()
    game_files()
    # The fuzz targets start from the fixtures.
    for target, patterns in (("picture_decode", ("*.bmp", "*.jpg")), ("bmp_read", ("*.bmp",)),
                             ("wav_load", ("*.wav",))):
        folder = FUZZ / target
        folder.mkdir(parents=True, exist_ok=True)
        for old in folder.iterdir():
            old.unlink()
        for pattern in patterns:
            for fixture in OUT.glob(pattern):
                (folder / fixture.name).write_bytes(fixture.read_bytes())


if __name__ == "__main__":
    main()
