"""Files for glimmer-pack's tests, made in memory: executable images that pass for the setup
program and the engine, BMP files, Dib records and whole containers."""
import struct

LONG = b"This program must be run under Win32\r\n$"
SHORT = b"Must be run under Win32\r\n$"
CARRIED_TAG = b"glimmer engine variant: sustain 15000/700\0"
STANDALONE_TAG = b"glimmer engine variant: sustain 30000/1450\0"


def image(size, tag=b"", subsystem=(3, 10)):
    """An unstamped executable of size bytes: the long stub message at 80, PE headers at 256
    with one section holding bytes 1024 to the end, the subsystem version at 328, and for an
    engine its variant tag at 1024."""
    b = bytearray(size)
    b[0:2] = b"MZ"
    struct.pack_into("<I", b, 60, 256)
    b[80:119] = LONG
    b[256:260] = b"PE\0\0"
    struct.pack_into("<HH", b, 262, 1, 0)          # one section
    struct.pack_into("<H", b, 276, 224)            # optional header size
    struct.pack_into("<HH", b, 328, *subsystem)
    struct.pack_into("<II", b, 504 + 16, size - 1024, 1024)  # raw size and offset
    b[1024:1024 + len(tag)] = tag
    return bytes(b)


def stamped(data):
    """The image stamped with its own size as payload offset, as an install writes it."""
    b = bytearray(data)
    b[80:106] = SHORT
    struct.pack_into("<I", b, 106, len(b))
    return bytes(b)


def dib(width, height, bits, colours=None, fill=0):
    """A Dib (a BMP file without its file header): 40-byte header, a table for indexed
    pictures (colours entries, 0 for all of them), rows of the fill byte."""
    n = 0 if bits == 24 else (colours if colours is not None else 0)
    entries = 0 if bits == 24 else (n or (1 << bits))
    stride = ((width * bits + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, stride * abs(height),
                         0, 0, n, 0)
    return header + bytes(4 * entries) + bytes([fill]) * (stride * abs(height))


def solid24(width, height, rgb):
    """A 24-bit Dib of one colour."""
    stride = ((width * 24 + 31) // 32) * 4
    row = bytes([rgb[2], rgb[1], rgb[0]]) * width
    row += bytes(stride - len(row))
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, stride * height, 0, 0, 0,
                         0)
    return header + row * height


def bmp_file(dib_bytes):
    """A BMP file of a Dib whose rows follow its colour table."""
    size = struct.unpack_from("<I", dib_bytes, 0)[0]
    bits = struct.unpack_from("<H", dib_bytes, 14)[0]
    clr = struct.unpack_from("<I", dib_bytes, 32)[0]
    table = 0 if bits == 24 else 4 * (clr or (1 << bits))
    return b"BM" + struct.pack("<IHHI", 14 + len(dib_bytes), 0, 0, 14 + size + table) + dib_bytes


def record(kind, data):
    return struct.pack("<HI", kind, len(data)) + data


def text(value):
    return record(1, value.encode("latin-1") + b"\0")


def picture(dib_bytes):
    return record(2, dib_bytes)


def container(front, *records):
    """A stamped image followed by the records and the end record."""
    return stamped(front) + b"".join(records) + record(0, b"")


def records(data, offset=None):
    """(offset, kind, size) of every record up to the end record."""
    if offset is None:
        offset = struct.unpack_from("<I", data, 106)[0]
    out = []
    while True:
        kind, size = struct.unpack_from("<HI", data, offset)
        out.append((offset, kind, size))
        if kind == 0:
            return out
        offset += 6 + size


def record_data(data, entry):
    offset, _, size = entry
    return data[offset + 6:offset + 6 + size]


def dib_pixel(dib_bytes, x, y):
    """(red, green, blue) of pixel (x, y), counted from the top, of an 8- or 24-bit Dib."""
    size, width, height, _, bits = struct.unpack_from("<IiiHH", dib_bytes, 0)
    clr = struct.unpack_from("<I", dib_bytes, 32)[0]
    table = 0 if bits == 24 else 4 * (clr or (1 << bits))
    stride = ((width * bits + 31) // 32) * 4
    row = height - 1 - y if height > 0 else y
    at = size + table + row * stride
    if bits == 24:
        b, g, r = dib_bytes[at + 3 * x:at + 3 * x + 3]
        return (r, g, b)
    index = dib_bytes[at + x]
    b, g, r = dib_bytes[size + 4 * index:size + 4 * index + 3]
    return (r, g, b)
