#!/usr/bin/python3
# tools/compare-release.py PUBLISHED REBUILT: compares a published release
# with its rebuild, byte for byte, one line per file of the rebuild: the
# same, missing, or where it first differs (an offset counted from 0) and
# what lies there: in setup.exe the program or its signature, in a disc
# image the file of the image or its file system, in a text the line.
# Exits 0 when every file is the same.
import os
import struct
import sys

CHUNK = 1 << 20


def first_difference(a, b):
    """The offset where two files first differ, or None."""
    offset = 0
    with open(a, "rb") as fa, open(b, "rb") as fb:
        while True:
            x, y = fa.read(CHUNK), fb.read(CHUNK)
            if x != y:
                n = min(len(x), len(y))
                for i in range(n):
                    if x[i] != y[i]:
                        return offset + i
                return offset + n
            if not x:
                return None
            offset += len(x)


def pe_signature_parts(data):
    """The checksum field, the certificate table's directory entry and the
    table itself, as (start, end) ranges: what signing writes into a PE."""
    try:
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            return None
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        directories = optional + (96 if magic == 0x10B else 112)
        entry = directories + 4 * 8
        table, size = struct.unpack_from("<II", data, entry)
    except struct.error:
        return None
    return [(optional + 64, optional + 68), (entry, entry + 8), (table, table + size)]


def pe_place(published, rebuilt, offset):
    """Whether two builds of a PE differ in the program or in the signature
    alone: the program compared with the signature's parts left out."""
    def program(data):
        parts = pe_signature_parts(data)
        if parts is None:
            return data
        data = bytearray(data)
        (checksum, _), (entry, _), (table, end) = parts
        data[checksum:checksum + 4] = bytes(4)
        data[entry:entry + 8] = bytes(8)
        if 0 < table and end == len(data):
            del data[table:]
        return bytes(data)
    with open(published, "rb") as f:
        a = f.read()
    with open(rebuilt, "rb") as f:
        b = f.read()
    pa, pb = program(a), program(b)
    if pa != pb:
        first = next((i for i in range(min(len(pa), len(pb))) if pa[i] != pb[i]), min(len(pa), len(pb)))
        return first, "in the program"
    return offset, "in the signature"


def iso_files(path):
    """(start, end, name) of every file's data on an ISO 9660 image, named
    as its Joliet tree names it (its primary tree where it has none)."""
    with open(path, "rb") as f:
        def sector(n, count=1):
            f.seek(n * 2048)
            return f.read(2048 * count)
        roots = {}
        n = 16
        while True:
            descriptor = sector(n)
            if len(descriptor) < 2048 or descriptor[1:6] != b"CD001" or descriptor[0] == 255:
                break
            joliet = descriptor[0] == 2 and descriptor[88:91] in (b"%/@", b"%/C", b"%/E")
            if descriptor[0] == 1 or joliet:
                roots["joliet" if joliet else "primary"] = descriptor[156:190]
            n += 1
        root = roots.get("joliet") or roots.get("primary")
        if root is None:
            return []
        encoding = "utf-16-be" if "joliet" in roots else "latin-1"
        files, folders = [], [("", root)]
        while folders:
            prefix, record = folders.pop()
            extent, length = struct.unpack_from("<I", record, 2)[0], struct.unpack_from("<I", record, 10)[0]
            data, at = sector(extent, (length + 2047) // 2048), 0
            while at < length:
                size = data[at]
                if size == 0:
                    at = (at // 2048 + 1) * 2048
                    continue
                entry = data[at:at + size]
                at += size
                name = entry[33:33 + entry[32]]
                if name in (b"\0", b"\1"):
                    continue
                name = name.decode(encoding, "replace").split(";")[0]
                if entry[25] & 2:
                    folders.append((prefix + name + "/", entry))
                else:
                    start = struct.unpack_from("<I", entry, 2)[0] * 2048
                    files.append((start, start + struct.unpack_from("<I", entry, 10)[0], prefix + name))
        return files


def iso_place(rebuilt, offset):
    # The rebuild's layout: the published image may not be whole.
    for start, end, name in iso_files(rebuilt):
        if start <= offset < end:
            return f"in the image's file {name}, at {offset - start} in it"
    return "in the image's file system (volume descriptors, path tables, folders)"


def text_place(published, rebuilt):
    with open(published, "rb") as f:
        a = f.read().decode("utf-8", "replace").splitlines()
    with open(rebuilt, "rb") as f:
        b = f.read().decode("utf-8", "replace").splitlines()
    for i in range(max(len(a), len(b))):
        x = a[i] if i < len(a) else "(nothing)"
        y = b[i] if i < len(b) else "(nothing)"
        if x != y:
            return f"at line {i + 1}: \"{x}\", rebuilt \"{y}\""
    return "in the line ends"


def compare(name, published, rebuilt):
    if not os.path.isfile(published):
        return f"{name}: missing from the release"
    offset = first_difference(published, rebuilt)
    if offset is None:
        return f"{name}: the same"
    sizes = (os.path.getsize(published), os.path.getsize(rebuilt))
    with open(rebuilt, "rb") as f:
        head = f.read(2)
        f.seek(16 * 2048 + 1)
        iso = f.read(5) == b"CD001"
    if head == b"MZ":
        offset, place = pe_place(published, rebuilt, offset)
    elif iso:
        place = iso_place(rebuilt, offset)
    else:
        return f"{name}: differs {text_place(published, rebuilt)}"
    size = "" if sizes[0] == sizes[1] else f"; {sizes[0]} bytes, rebuilt {sizes[1]}"
    return f"{name}: differs at offset {offset}, {place}{size}"


def main():
    published, rebuilt = sys.argv[1:3]
    names = [n for n in ("disc1.iso", "disc2.iso", "setup.exe", "SHA256SUMS", "BUILDINFO")
             if os.path.exists(os.path.join(rebuilt, n))]
    names += sorted(n for n in os.listdir(rebuilt) if n not in names)
    same = True
    for name in names:
        line = compare(name, os.path.join(published, name), os.path.join(rebuilt, name))
        same = same and line.endswith(": the same")
        print(line, flush=True)
    for name in sorted(set(os.listdir(published)) - set(names)):
        print(f"{name}: not made by mastering, not checked")
    return 0 if same else 1


sys.exit(main())
