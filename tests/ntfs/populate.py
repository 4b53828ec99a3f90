#!/usr/bin/python3
"""Fills a mounted ntfs-3g volume with reparse points for the image reader's tests and
benchmark: every kind the demo volume has, opaque tags with and without GUIDs, names in
many scripts, a folder tree 14 deep, a folder large enough for several index blocks, a
file with 120 hard links (its names spill into an attribute list), DOS 8.3 names, named
data streams and reparse points deleted again.

Usage: populate.py MOUNT COUNT [PLAIN [fragment]]
  COUNT     about how many reparse points to write (at least the fixed ones)
  PLAIN     how many plain files to add besides (default 0), spread over folders
  fragment  first fill the volume, free every other piece and make 3,000 files, so that
            the MFT grows in many runs, backwards ones among them

Reparse buffers are written as ntfs-3g takes them, through the extended attribute
system.ntfs_reparse_data; the data length in each header is exact, as ntfs-3g requires.
"""
import os
import random
import struct
import sys

REPARSE = "system.ntfs_reparse_data"
DOS_NAME = "system.ntfs_dos_name"


def microsoft(tag, data):
    return struct.pack("<IHH", tag, len(data), 0) + data


def guid_layout(tag, guid, data):
    # The data length counts only the owner's data after the GUID.
    return struct.pack("<IHH", tag, len(data), 0) + guid + data


def mount_point(substitute, printed):
    s, p = substitute.encode("utf-16-le"), printed.encode("utf-16-le")
    return microsoft(0xA0000003, struct.pack("<HHHH", 0, len(s), len(s) + 2, len(p)) + s + b"\0\0" + p + b"\0\0")


def symlink(flags, substitute, printed):
    s, p = substitute.encode("utf-16-le"), printed.encode("utf-16-le")
    return microsoft(0xA000000C, struct.pack("<HHHHI", len(p), len(s), 0, len(p), flags) + p + s)


def lx_symlink(target):
    return microsoft(0xA000001D, struct.pack("<I", 2) + target.encode("utf-8"))


SCRIPTS = [
    "report", "отчёт", "αρχείο", "文件夹", "ファイル", "파일", "ملف", "קובץ", "फ़ाइल", "ไฟล์",
    "ფაილი", "ֆայլ", "கோப்பு", "ፋይል", "Ünïcödé", "e\u0301\u0301", "📁🔗", "ǅž", "İstanbul", "ß-Straße",
]
ODD = ["a:b", "star*", "q?", 'quote"', "lt<gt>", "pipe|", "back\\slash", "tab\there", "new\nline", "trailing."]


def name(i):
    return f"{ODD[(i // 37) % len(ODD)] if i % 37 == 5 else SCRIPTS[i % len(SCRIPTS)]}-{i:05d}"


def buffer(rng, i):
    kind = i % 12
    word = SCRIPTS[(i // 12) % len(SCRIPTS)]
    if kind == 0:
        return "dir", mount_point(f"\\??\\C:\\Program Files\\{word}", f"C:\\Program Files\\{word}")
    if kind == 1:
        return "file", symlink(0, f"\\??\\D:\\{word}.txt", f"D:\\{word}.txt")
    if kind == 2:
        return "file", symlink(1, f"..\\Shared\\{word}.txt", f"..\\Shared\\{word}.txt")
    if kind == 3:
        return "dir", symlink(0, f"\\??\\UNC\\server\\share\\{word}", f"\\\\server\\share\\{word}")
    if kind == 4:
        g = "%08x-%04x-%04x-%04x-%012x" % (rng.getrandbits(32), rng.getrandbits(16), rng.getrandbits(16),
                                          rng.getrandbits(16), rng.getrandbits(48))
        return "dir", mount_point(f"\\??\\Volume{{{g}}}\\", "")
    if kind == 5:
        return "file", lx_symlink(f"../shared/{word}.txt")
    if kind == 6:
        return "file", microsoft(0x80000017, struct.pack("<IIII", 1, 2, 1, 1))
    if kind == 7:
        return "file", guid_layout(0x00004321, rng.randbytes(16), b"\0\1\2owner data\xff")
    if kind == 8:
        # Cloud files' tags carry the directory bit.
        return "dir", microsoft(0x9000001A | (rng.randrange(16) << 12), rng.randbytes(rng.randrange(1, 200)))
    if kind == 9:
        # A tag outside the catalogue, Microsoft's layout.
        return "file", microsoft(0x80000000 | rng.randrange(0x100, 0xFFFF), rng.randbytes(rng.randrange(0, 64)))
    if kind == 10:
        # A third party's tag with a GUID and a large body (non-resident data).
        return "file", guid_layout(rng.randrange(0x100, 0x0FFFFFFF), rng.randbytes(16), rng.randbytes(rng.randrange(600, 4000)))
    return "file", symlink(0, f"\\??\\C:\\{word}\\{'x' * rng.randrange(1, 300)}", f"C:\\{word}")


def make(path, kind, data):
    os.mkdir(path) if kind == "dir" else open(path, "wb").close()
    os.setxattr(path, REPARSE, data, follow_symlinks=False)


def fragment(mount):
    fill = os.path.join(mount, "fill")
    os.mkdir(fill)
    pieces = 0
    try:
        while True:
            with open(os.path.join(fill, f"piece {pieces:05d}"), "wb") as f:
                f.write(b"x" * 65536)
            pieces += 1
    except OSError:
        pass  # the volume is full
    for i in range(0, pieces, 2):
        os.unlink(os.path.join(fill, f"piece {i:05d}"))
    many = os.path.join(mount, "many")
    os.mkdir(many)
    for i in range(3000):
        open(os.path.join(many, f"small file {i:05d}"), "wb").close()


def main():
    mount, count = sys.argv[1], int(sys.argv[2])
    plain = int(sys.argv[3]) if len(sys.argv) > 3 else 0
    rng = random.Random(20260102)
    made = 0
    if len(sys.argv) > 4 and sys.argv[4] == "fragment":
        fragment(mount)

    # Folders 14 deep, with a reparse point at every level.
    deep = mount
    for level in range(1, 15):
        deep = os.path.join(deep, f"{SCRIPTS[level % len(SCRIPTS)]}-level{level:02d}")
        os.mkdir(deep)
        make(os.path.join(deep, f"link{level:02d}"), *buffer(rng, level))
        made += 1

    # A folder large enough for several index blocks (and a second level of them).
    big = os.path.join(mount, "big folder")
    os.mkdir(big)
    for i in range(900):
        p = os.path.join(big, f"entry with a rather long name {i:04d} {SCRIPTS[i % len(SCRIPTS)]}")
        if i % 4 == 0:
            make(p, *buffer(rng, i))
            made += 1
        else:
            open(p, "wb").close()

    # A file with 120 hard links: its names no longer fit its record.
    links = os.path.join(mount, "hard links")
    os.mkdir(links)
    os.mkdir(os.path.join(links, "elsewhere"))
    first = os.path.join(links, "linked 000")
    open(first, "wb").close()
    for i in range(1, 120):
        folder = links if i % 3 else os.path.join(links, "elsewhere")
        os.link(first, os.path.join(folder, f"linked {i:03d}"))
    os.setxattr(first, REPARSE, symlink(0, "\\??\\C:\\linked target", "C:\\linked target"), follow_symlinks=False)

    # DOS 8.3 names beside long ones.
    dos = os.path.join(mount, "Short Names")
    os.mkdir(dos)
    for i, (long, short) in enumerate([("Long File Name One.txt", "LONGFI~1.TXT"), ("Another long folder", "ANOTHE~1")]):
        kind = "dir" if i else "file"
        p = os.path.join(dos, long)
        make(p, kind, mount_point("\\??\\C:\\x", "C:\\x") if kind == "dir" else symlink(0, "\\??\\C:\\y", "C:\\y"))
        os.setxattr(p, DOS_NAME, short.encode(), follow_symlinks=False)
        made += 1

    # Named data streams beside the reparse data (written first: a link takes no user.*
    # attributes through the kernel).
    streams = os.path.join(mount, "Streams")
    os.mkdir(streams)
    for i in range(3):
        p = os.path.join(streams, f"with {i + 1} streams")
        open(p, "wb").close()
        for k in range(i + 1):
            os.setxattr(p, f"user.stream{k}", b"z" * (10 ** (k + 1) + 15))
        os.setxattr(p, REPARSE, symlink(0, "\\??\\C:\\s", "C:\\s"), follow_symlinks=False)
        made += 1

    # Reparse points deleted again: their records stay behind, no longer in use, and a
    # scan of the MFT must skip them as the index does.
    gone = os.path.join(mount, "deleted")
    os.mkdir(gone)
    for i in range(20):
        kind, data = buffer(rng, i)
        p = os.path.join(gone, f"gone {i:02d}")
        make(p, kind, data)
        os.rmdir(p) if kind == "dir" else os.unlink(p)

    # The rest spread over a few folders per script.
    i = 0
    while made < count:
        folder = os.path.join(mount, "spread", SCRIPTS[i % len(SCRIPTS)], f"{(i // 100) % 10}")
        os.makedirs(folder, exist_ok=True)
        make(os.path.join(folder, name(i)), *buffer(rng, i))
        made += 1
        i += 1

    for j in range(plain):
        folder = os.path.join(mount, "plain", f"{j % 50:02d}")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, f"plain file {j:06d}.txt"), "wb") as f:
            if j % 10 == 0:
                f.write(b"x" * 100)

    print(f"{made} reparse points written")


if __name__ == "__main__":
    main()
