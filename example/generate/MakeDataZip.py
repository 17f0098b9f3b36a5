"""Writes the example product's Data.zip: a readme and a small picture, with
fixed time stamps so that every build measures the same archive.

    python3 MakeDataZip.py <output .zip>
"""
import os
import struct
import sys
import zipfile

STAMP = (2024, 3, 1, 10, 30, 0)

README = (
    "Data for My Application Title.\r\n"
    "images\\logo.bmp is the picture the application shows at start.\r\n"
)


def logo_bmp(size=16):
    """A 24-bit bitmap: a blue square with a light diagonal."""
    stride = (size * 3 + 3) & ~3
    pixels = bytearray()
    for row in range(size):
        line = bytearray()
        for col in range(size):
            on_diagonal = abs(col - (size - 1 - row)) <= 1
            line += bytes((250, 230, 200) if on_diagonal else (160, 90, 20))  # blue, green, red
        pixels += line + bytes(stride - len(line))
    header = struct.pack("<IiiHHIIiiII", 40, size, size, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 14 + 40)
    return file_header + header + bytes(pixels)


def main(target):
    os.makedirs(os.path.dirname(target) or ".", exist_ok=True)
    temporary = target + ".tmp"
    with zipfile.ZipFile(temporary, "w") as archive:
        for name, data in (("readme.txt", README.encode("ascii")), ("images/logo.bmp", logo_bmp())):
            info = zipfile.ZipInfo(name, date_time=STAMP)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            archive.writestr(info, data)
    os.replace(temporary, target)


if __name__ == "__main__":
    main(sys.argv[1])
