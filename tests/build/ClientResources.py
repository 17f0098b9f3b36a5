"""The client's resources and a module's icon images seen through
python3-pefile, a reader independent of the tool's own.

  ClientResources.py resources FILE   one line per resource:
                                      "TYPE NAME LANGUAGE SIZE HEX" (HEX "-" when empty),
                                      names as "#id" or the string name
  ClientResources.py icons FILE       one line per icon image (type 3) in directory
                                      order: "NAME WIDTH HEIGHT" read from the image's
                                      header (PNG or bitmap, whose height counts both
                                      masks), "NAME ? ?" when neither
"""
import struct
import sys

import pefile


def name_of(entry):
    return str(entry.name) if entry.name is not None else "#%d" % entry.id


def open_resources(path):
    pe = pefile.PE(path, fast_load=True)
    pe.parse_data_directories(
        directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    return pe, getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)


def resources(path):
    pe, root = open_resources(path)
    for type_entry in root.entries if root else []:
        for name_entry in type_entry.directory.entries:
            for lang in name_entry.directory.entries:
                data = pe.get_data(lang.data.struct.OffsetToData, lang.data.struct.Size)
                print("%s %s %d %d %s" % (name_of(type_entry), name_of(name_entry), lang.id,
                                          len(data), data.hex() or "-"))


def image_size(data):
    if data[:8] == b"\x89PNG\r\n\x1a\n" and len(data) >= 24:
        return struct.unpack(">II", data[16:24])
    if len(data) >= 12:
        header, width, height = struct.unpack("<Iii", data[:12])
        if header >= 40 and width > 0 and height > 0:
            return width, height // 2
    return None


def icons(path):
    pe, root = open_resources(path)
    for type_entry in root.entries if root else []:
        if type_entry.id != 3:
            continue
        for name_entry in type_entry.directory.entries:
            langs = name_entry.directory.entries
            chosen = next((l for l in langs if l.id == 0), langs[0] if langs else None)
            if chosen is None:
                continue
            data = pe.get_data(chosen.data.struct.OffsetToData, chosen.data.struct.Size)
            size = image_size(data)
            print("%s %s" % (name_of(name_entry), "%d %d" % size if size else "? ?"))


if __name__ == "__main__":
    {"resources": resources, "icons": icons}[sys.argv[1]](sys.argv[2])
