#!/usr/bin/env python3
"""Writes the archive and DEFLATE fixtures of the tests with Python's zlib and
zipfile, so that they come from an independent writer. Run it from this
folder; the files it writes are committed, and the tests hold the sizes and
checksums of what each DEFLATE fixture unpacks to (printed here)."""
import io
import random
import struct
import zipfile
import zlib
from pathlib import Path

HERE = Path(__file__).resolve().parent
SONG = (HERE.parent / "musicxml" / "song.xml").read_bytes()
CONTAINER = b"""<?xml version="1.0" encoding="UTF-8"?>
<container>
  <rootfiles>
    <!-- <rootfile full-path="decoy.xml"/> -->
    <rootfile full-path="scores/song.musicxml" media-type="application/vnd.recordare.musicxml+xml"/>
    <rootfile full-path="scores/other.musicxml"/>
  </rootfiles>
</container>
"""


def raw_deflate(data, level=6, strategy=zlib.Z_DEFAULT_STRATEGY):
    c = zlib.compressobj(level, zlib.DEFLATED, -15, 8, strategy)
    return c.compress(data) + c.flush()


class BitWriter:
    """DEFLATE's bit order: fields from their lowest bit, codes from their highest."""

    def __init__(self):
        self.out, self.acc, self.n = bytearray(), 0, 0

    def put(self, value, bits, code=False):
        for i in range(bits):
            self.acc |= ((value >> (bits - 1 - i) if code else value >> i) & 1) << self.n
            self.n += 1
            if self.n == 8:
                self.align()

    def align(self):
        if self.n:
            self.out.append(self.acc)
        self.acc, self.n = 0, 0

    def fixed_literal(self, byte):
        self.put(0x30 + byte, 8, True) if byte < 144 else self.put(0x190 + byte - 144, 9, True)


def mixed_blocks():
    """A fixed block ending inside a byte, a stored block from the next
    byte on, and a last fixed block: "a", "bc", "d"."""
    w = BitWriter()
    w.put(0, 1), w.put(1, 2), w.fixed_literal(ord("a")), w.put(0, 7, True)
    w.put(0, 1), w.put(0, 2)
    w.align()
    w.out += struct.pack("<HH", 2, 0xFFFD) + b"bc"
    w.put(1, 1), w.put(1, 2), w.fixed_literal(ord("d")), w.put(0, 7, True)
    w.align()
    return bytes(w.out)


def deflate_fixtures():
    text = b"Ein Lied, ein Lied, ein kleines Lied. " * 3
    rnd = random.Random(7)
    head = bytes(rnd.choice(b"abcdefghijklmnop") for _ in range(1000))
    far = head + b"z" * 31000 + head  # the second copy lies 32000 bytes back
    c = zlib.compressobj(6, zlib.DEFLATED, -15)
    flushed = c.compress(SONG[:2000]) + c.flush(zlib.Z_FULL_FLUSH) + c.compress(SONG[2000:]) + c.flush()
    cases = {
        "stored": (raw_deflate(SONG[:300], 0), SONG[:300]),
        "fixed": (raw_deflate(text, 9, zlib.Z_FIXED), text),
        "dynamic": (raw_deflate(SONG, 9), SONG),
        "far": (raw_deflate(far, 9), far),
        "empty": (raw_deflate(b""), b""),
        "flushed": (flushed, SONG),
        "mixed": (mixed_blocks(), b"abcd"),
    }
    for name, (packed, plain) in cases.items():
        assert zlib.decompress(packed, -15) == plain
        (HERE / f"{name}.deflate").write_bytes(packed)
        print(f'{{"{name}.deflate", {len(plain)}, 0x{zlib.crc32(plain):08X}}},  // {len(packed)} bytes packed')


class Unseekable(io.RawIOBase):
    """A stream zipfile cannot seek back in: every entry gets a data descriptor."""

    def __init__(self):
        self.data = bytearray()

    def writable(self):
        return True

    def seekable(self):
        return False

    def tell(self):
        raise OSError("unseekable")

    def write(self, b):
        self.data += b
        return len(b)


def song_archive():
    out = Unseekable()
    with zipfile.ZipFile(out, "w") as z:
        z.writestr(zipfile.ZipInfo("mimetype"), b"application/vnd.recordare.musicxml")
        z.writestr("META-INF/container.xml", CONTAINER, zipfile.ZIP_DEFLATED)
        z.writestr("scores/empty.txt", b"", zipfile.ZIP_DEFLATED)
        # Ahead of the score, which only the container tells.
        z.writestr("scores/other.musicxml", b"<not-a-score/>", zipfile.ZIP_DEFLATED)
        z.writestr("scores/song.musicxml", SONG, zipfile.ZIP_DEFLATED)
    return bytes(out.data)


def plain_archive(entries, method=zipfile.ZIP_DEFLATED):
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w") as z:
        for name, data in entries:
            z.writestr(name, data, method)
    return bytearray(out.getvalue())


def end_record(a):
    return a.rfind(b"PK\x05\x06")


def central_entry(a, name):
    at = a.find(b"PK\x01\x02")
    while at >= 0:
        n = struct.unpack_from("<H", a, at + 28)[0]
        if a[at + 46 : at + 46 + n] == name:
            return at
        at = a.find(b"PK\x01\x02", at + 1)
    raise KeyError(name)


def local_entry(a, name):
    return struct.unpack_from("<I", a, central_entry(a, name) + 42)[0]


def zip64_archive():
    """The score stored, with every size and offset in 64-bit records."""
    name = b"song.xml"
    crc = zlib.crc32(SONG)
    size = len(SONG)
    local = struct.pack("<IHHHHHIIIHH", 0x04034B50, 45, 0, 0, 0, 0, crc, 0xFFFFFFFF, 0xFFFFFFFF, len(name), 20)
    local += name + struct.pack("<HHQQ", 1, 16, size, size) + SONG
    extra = struct.pack("<HHQQQ", 1, 24, size, size, 0)
    central = struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 45, 45, 0, 0, 0, 0, crc, 0xFFFFFFFF, 0xFFFFFFFF,
                          len(name), len(extra), 0, 0, 0, 0, 0xFFFFFFFF) + name + extra
    central_at = len(local)
    end64_at = central_at + len(central)
    end64 = struct.pack("<IQHHIIQQQQ", 0x06064B50, 44, 45, 45, 0, 0, 1, 1, len(central), central_at)
    locator = struct.pack("<IIQI", 0x07064B50, 0, end64_at, 1)
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, 0xFFFF, 0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0)
    return local + central + end64 + locator + end


def mxl_fixtures():
    song = song_archive()
    small = b"<score-partwise/>"

    def stored(entries):
        return plain_archive(entries, zipfile.ZIP_STORED)

    bad_crc = stored([("score.xml", small)])
    bad_crc[local_entry(bad_crc, b"score.xml") + 30 + len(b"score.xml") + 2] ^= 1

    directory_out = bytearray(song)
    e = end_record(directory_out)
    struct.pack_into("<I", directory_out, e + 16, len(song) + 100)

    # A fixed block whose first code copies from one byte back, before
    # anything was written; sizes and checksum made to fit.
    bogus = bytes([0x03, 0x02, 0x00])
    distance = stored([("score.xml", b"abc")])
    for at in (local_entry(distance, b"score.xml") + 8, central_entry(distance, b"score.xml") + 10):
        struct.pack_into("<H", distance, at, 8)
    distance[local_entry(distance, b"score.xml") + 39 : local_entry(distance, b"score.xml") + 42] = bogus

    oversize = plain_archive([("score.xml", small)])
    struct.pack_into("<I", oversize, central_entry(oversize, b"score.xml") + 24, 300 << 20)

    encrypted = plain_archive([("score.xml", small)])
    struct.pack_into("<H", encrypted, central_entry(encrypted, b"score.xml") + 8, 1)

    no_wide = plain_archive([("score.xml", small)])
    struct.pack_into("<I", no_wide, central_entry(no_wide, b"score.xml") + 24, 0xFFFFFFFF)

    header_out = plain_archive([("score.xml", small)])
    struct.pack_into("<I", header_out, central_entry(header_out, b"score.xml") + 42, 5000)

    too_many = plain_archive([("score.xml", small)])
    struct.pack_into("<HH", too_many, end_record(too_many) + 8, 60000, 60000)

    files = {
        # Read as the score.
        "song.mxl": song,
        "nocontainer.mxl": plain_archive([("META-INF/manifest.xml", b"<manifest/>"), ("notes/readme.txt", b"Hi"),
                                          ("Song.MusicXML", SONG)]),
        "zip64.mxl": zip64_archive(),
        # Refused.
        "truncated.mxl": song[: len(song) // 2],
        "badcrc.mxl": bad_crc,
        "directoryout.mxl": directory_out,
        "distance.mxl": distance,
        "oversize.mxl": oversize,
        "encrypted.mxl": encrypted,
        "bzip2.mxl": plain_archive([("score.xml", small)], zipfile.ZIP_BZIP2),
        "nowide.mxl": no_wide,
        "headerout.mxl": header_out,
        "toomany.mxl": too_many,
        "missing.mxl": plain_archive([("META-INF/container.xml", CONTAINER)]),
        "noscore.mxl": plain_archive([("META-INF/container.xml", b"<container/>"), ("readme.txt", b"Hi")]),
    }
    for name, data in files.items():
        (HERE / name).write_bytes(bytes(data))
    # Python's reader agrees on the good ones.
    for name in ("song.mxl", "nocontainer.mxl", "zip64.mxl"):
        with zipfile.ZipFile(HERE / name) as z:
            assert z.testzip() is None, name
    with zipfile.ZipFile(HERE / "song.mxl") as z:
        assert all(i.flag_bits & 0x08 for i in z.infolist())  # data descriptors


if __name__ == "__main__":
    deflate_fixtures()
    mxl_fixtures()
