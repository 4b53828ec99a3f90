"""NtfsImage on the demo volume's image and on a partitioned disk, against TagscopeC
--list and --image."""
import os
import shutil
import struct

import pytest

import hollin0106
from conftest import as_json, console_json


def listing(image, partition=None):
    with hollin0106.NtfsImage(image, partition) as opened:
        return [as_json(point) for point in opened.reparse_points()]


def test_the_listing_and_entries_are_the_console_programs(volume, tagscopec):
    listed = listing(volume.image)
    assert listed == console_json(tagscopec, "--list", volume.image)
    with hollin0106.NtfsImage(volume.image) as image:
        assert image.partition == 0  # the volume alone
        for _, _, path in volume.samples:
            assert as_json(image.read_reparse_point(path)) == console_json(tagscopec, "--image", volume.image, path)[0]
        with pytest.raises(FileNotFoundError) as missing:
            image.read_reparse_point("/Links/no such link")
        assert missing.value.filename == "/Links/no such link"
        for plain in volume.plain:
            with pytest.raises(hollin0106.NotAReparsePointError):
                image.read_reparse_point(plain)


def test_the_partition_is_the_one_asked_for(volume, tmp_path):
    # A disk with an MBR whose first partition, at 1 MiB, holds the volume.
    disk = str(tmp_path / "disk.img")
    sectors = os.path.getsize(volume.image) // 512
    mbr = bytearray(512)
    mbr[446:462] = struct.pack("<B3sB3sII", 0, b"\0\0\0", 0x07, b"\0\0\0", 2048, sectors)
    mbr[510:512] = b"\x55\xaa"
    with open(disk, "wb") as out, open(volume.image, "rb") as image:
        out.write(mbr + bytes(2047 * 512))
        shutil.copyfileobj(image, out)
    bare = listing(volume.image)
    for partition in (None, 1):
        with hollin0106.NtfsImage(disk, partition) as image:
            assert image.partition == 1
        assert listing(disk, partition) == bare
    with pytest.raises(hollin0106.Error) as missing:
        hollin0106.NtfsImage(disk, 2)
    assert missing.value.number == 9 and missing.value.path == disk
    for wrong, exception in ((0, ValueError), ("1", TypeError)):
        with pytest.raises(exception):
            hollin0106.NtfsImage(disk, wrong)


def test_a_closed_image_refuses_reads_and_a_listing_begun_goes_on(volume):
    with hollin0106.NtfsImage(volume.image) as image:
        points = image.reparse_points()
        first = next(points)
    for read in (image.reparse_points, lambda: image.read_reparse_point("/Links/absolute.txt")):
        with pytest.raises(ValueError):
            read()
    assert len([first, *points]) == len(volume.samples)
