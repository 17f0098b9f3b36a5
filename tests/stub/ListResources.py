"""Lists a PE file's sections, imported DLLs and resources with python3-pefile,
a reader independent of ours. One item per line:

    section <name>
    import <dll>
    resource <type> <id> <language> <size> <data as hex>
"""
import sys

import pefile


def main(path):
    pe = pefile.PE(path)
    for section in pe.sections:
        print("section", section.Name.rstrip(b"\0").decode("latin-1"))
    for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []):
        print("import", entry.dll.decode("latin-1"))
    if not hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"):
        return
    for rtype in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for name in rtype.directory.entries:
            for lang in name.directory.entries:
                data = lang.data.struct
                raw = pe.get_data(data.OffsetToData, data.Size)
                print("resource", rtype.id, name.id, lang.id, data.Size, raw.hex() or "-")


if __name__ == "__main__":
    main(sys.argv[1])
