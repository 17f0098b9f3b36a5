"""Independent view of PE files for the tests, through python3-pefile.

  PeListing.py resources FILE...   one block per file: the file name, then one
                                   line per resource "type name language size
                                   crc32", names as "#id" or the string name
  PeListing.py layout FILE         CheckSum status, section table, directories
  PeListing.py versions FILE...    "name major.minor.build.revision" for each file
                                   with a fixed version record
"""
import os
import sys
import zlib

import pefile


def name_of(entry):
    return str(entry.name) if entry.name is not None else "#%d" % entry.id


def resources(path):
    print("file %s" % path.rsplit("/", 1)[-1])
    try:
        pe = pefile.PE(path, fast_load=True)
        pe.parse_data_directories(
            directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    except pefile.PEFormatError as error:
        print("error %s" % error)
        return
    root = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    if root is None:
        return
    for type_entry in root.entries:
        for name_entry in type_entry.directory.entries:
            for lang in name_entry.directory.entries:
                data = pe.get_data(lang.data.struct.OffsetToData, lang.data.struct.Size)
                print("%s %s %d %d %08x" % (name_of(type_entry), name_of(name_entry), lang.id,
                                           lang.data.struct.Size, zlib.crc32(data)))


def layout(path):
    pe = pefile.PE(path, fast_load=True)
    pe.parse_data_directories(directories=[
        pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_" + name]
        for name in ("IMPORT", "RESOURCE", "DEBUG", "TLS")])
    opt = pe.OPTIONAL_HEADER
    print("checksum %s" % ("valid" if opt.CheckSum == pe.generate_checksum() else "wrong"))
    print("sizeofimage %d" % opt.SizeOfImage)
    for s in pe.sections:
        print("section %s %d %d %d %d %08x" % (
            s.Name.rstrip(b"\0").decode("latin-1"), s.VirtualAddress, s.Misc_VirtualSize,
            s.PointerToRawData, s.SizeOfRawData, zlib.crc32(s.get_data())))
    for index, d in enumerate(opt.DATA_DIRECTORY):
        print("directory %d %d %d" % (index, d.VirtualAddress, d.Size))
    overlay = pe.get_overlay()
    print("overlay %d %08x" % (len(overlay or b""), zlib.crc32(overlay or b"")))
    for w in pe.get_warnings():
        print("warning %s" % w)


def versions(path):
    try:
        pe = pefile.PE(path, fast_load=True)
        pe.parse_data_directories(
            directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    except pefile.PEFormatError:
        return
    if hasattr(pe, "VS_FIXEDFILEINFO"):
        v = pe.VS_FIXEDFILEINFO[0]
        print("%s %d.%d.%d.%d" % (os.path.basename(path), v.FileVersionMS >> 16,
                                  v.FileVersionMS & 0xFFFF, v.FileVersionLS >> 16,
                                  v.FileVersionLS & 0xFFFF))


def main():
    command, files = sys.argv[1], sys.argv[2:]
    for path in files:
        {"resources": resources, "layout": layout, "versions": versions}[command](path)


if __name__ == "__main__":
    main()
