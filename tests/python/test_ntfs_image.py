"""NtfsImage on the demo volume's image, on damaged copies of it and on a partitioned disk,
against TagscopeC --list and --image."""
import collections
import os
import shutil
import struct

import pytest

import hollin0106
from conftest import NTFS_VOLUME, as_json, console_json, run


def buffer_offset(image, sample):
    """Where the sample's reparse buffer lies in the image: it is stored once, and in one
    piece unless the end of a sector, which the update sequence holds, cuts it."""
    hexed = run(["bash", NTFS_VOLUME, "buffer", sample]).stdout.decode().strip()
    with open(image, "rb") as f:
        content = f.read()
    at = content.find(bytes.fromhex(hexed))
    assert content.find(bytes.fromhex(hexed), at + 1) == -1, sample
    return at if at > 0 else None


Damaged = collections.namedtuple("Damaged", "image long_buffer torn")


@pytest.fixture(scope="module")
def damaged(volume, tmp_path_factory):
    """A copy in which the absolute link's buffer announces more data than it holds, and
    the record of another link is torn (its update sequence does not match)."""
    copy = str(tmp_path_factory.mktemp("damaged") / "damaged.img")
    shutil.copyfile(volume.image, copy)
    paths = {name: path for name, _, path in volume.samples}
    long_buffer = buffer_offset(copy, "symlink-absolute")
    assert long_buffer is not None
    victim, at = next((name, at) for name in ("lx-symlink", "symlink-unc", "wof", "guid-layout")
                      if (at := buffer_offset(copy, name)) is not None)
    torn = at // 512 * 512 + 510
    with open(copy, "r+b") as f:
        f.seek(long_buffer + 4)
        length = struct.unpack("<H", f.read(2))[0]
        f.seek(long_buffer + 4)
        f.write(struct.pack("<H", length + 2))
        f.seek(torn)
        byte = f.read(1)[0]
        f.seek(torn)
        f.write(bytes([byte ^ 0xFF]))
    return Damaged(copy, "/" + paths["symlink-absolute"], "/" + paths[victim])


@pytest.fixture(scope="module")
def disk(volume, tmp_path_factory):
    """A disk with an MBR whose first partition, at 1 MiB, holds the volume."""
    path = str(tmp_path_factory.mktemp("disk") / "disk.img")
    sectors = os.path.getsize(volume.image) // 512
    mbr = bytearray(512)
    mbr[446:462] = struct.pack("<B3sB3sII", 0, b"\0\0\0", 0x07, b"\0\0\0", 2048, sectors)
    mbr[510:512] = b"\x55\xaa"
    with open(path, "wb") as out, open(volume.image, "rb") as image:
        out.write(mbr + bytes(2047 * 512))
        shutil.copyfileobj(image, out)
    return path


def listing(image, partition=None):
    with hollin0106.NtfsImage(image, partition) as opened:
        return [as_json(point) for point in opened.reparse_points()]


@pytest.mark.parametrize("copy", ["good", "damaged"])
def test_the_listing_is_the_console_programs(volume, damaged, tagscopec, copy):
    image = volume.image if copy == "good" else damaged.image
    listed = listing(image)
    assert listed == console_json(tagscopec, "--list", image)
    codes = sorted(line.get("code", 0) for line in listed)
    assert codes == ([0] * 9 if copy == "good" else [0] * 7 + [1, 7])


def test_entries_read_by_path_are_the_console_programs(volume, tagscopec):
    with hollin0106.NtfsImage(volume.image) as image:
        for _, _, path in volume.samples:
            assert as_json(image.read_reparse_point(path)) == console_json(tagscopec, "--image", volume.image, path)[0]
        # Names are compared as Windows compares them; the entry has the volume's spelling.
        assert image.read_reparse_point(b"\\LINKS\\ABSOLUTE.TXT").path == "/Links/absolute.txt"
        with pytest.raises(FileNotFoundError) as missing:
            image.read_reparse_point("/Links/no such link")
        assert missing.value.filename == "/Links/no such link"
        for plain in volume.plain:
            with pytest.raises(hollin0106.NotAReparsePointError):
                image.read_reparse_point(plain)


def test_a_damaged_entry_is_an_error_with_what_could_be_read(damaged, tagscopec):
    with hollin0106.NtfsImage(damaged.image) as image:
        with pytest.raises(hollin0106.Error) as long_buffer:
            image.read_reparse_point(damaged.long_buffer)
        with pytest.raises(hollin0106.Error) as torn:
            image.read_reparse_point(damaged.torn)
    assert long_buffer.value.number == 7 and long_buffer.value.text.startswith("Can't read reparse point data: invalid")
    console_line = console_json(tagscopec, "--image", damaged.image, damaged.long_buffer)[0]
    assert as_json(long_buffer.value.reparse_point) == console_line
    assert torn.value.number == 1 and "update sequence" in torn.value.detail
    assert torn.value.reparse_point is None


def test_the_partition_is_the_one_asked_for(volume, disk):
    bare = listing(volume.image)
    for partition in (None, 1):
        with hollin0106.NtfsImage(disk, partition) as image:
            assert image.partition == 1
        assert listing(disk, partition) == bare
    with pytest.raises(hollin0106.Error) as missing:
        hollin0106.NtfsImage(disk, 2)
    assert missing.value.number == 9
    for wrong, exception in ((0, ValueError), (-1, ValueError), ("1", TypeError)):
        with pytest.raises(exception):
            hollin0106.NtfsImage(disk, wrong)


def test_images_that_cannot_be_read_raise_what_open_raises(tmp_path):
    with pytest.raises(FileNotFoundError):
        hollin0106.NtfsImage(tmp_path / "missing.img")
    with pytest.raises(IsADirectoryError):
        hollin0106.NtfsImage(tmp_path)
    (tmp_path / "zeros.img").write_bytes(bytes(1 << 20))
    with pytest.raises(hollin0106.Error) as not_ntfs:
        hollin0106.NtfsImage(tmp_path / "zeros.img")
    assert not_ntfs.value.number == 321 and not_ntfs.value.path == str(tmp_path / "zeros.img")


def test_a_closed_image_refuses_reads_and_a_listing_begun_goes_on(volume):
    with hollin0106.NtfsImage(volume.image) as image:
        points = image.reparse_points()
        first = next(points)
    assert image.closed
    for read in (image.reparse_points, lambda: image.read_reparse_point("/Links/absolute.txt")):
        with pytest.raises(ValueError):
            read()
    assert len([first, *points]) == len(volume.samples)
