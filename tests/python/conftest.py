"""Fixtures of the Python module's tests: the console program they are compared with, and
the demo NTFS volume (scripts/ntfs-volume), mounted once per session; without root or
/dev/fuse its tests are skipped, except under CI. Child processes run with a deadline."""
import dataclasses
import json
import os
import shutil
import subprocess
import tempfile

import pytest

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.normpath(os.path.join(HERE, "..", ".."))
NTFS_VOLUME = os.path.join(SOURCE, "scripts", "ntfs-volume")
RUN_UNPRIVILEGED = os.path.join(SOURCE, "tests", "fixtures", "run-unprivileged")
DEADLINE = 120


def run(args, python=False, **kwargs):
    """A program of the build or of the system; the sanitizers' runtime, when Python has it
    preloaded, stays out (the programs carry their own), unless the program is `python`."""
    env = {name: value for name, value in os.environ.items() if python or name != "LD_PRELOAD"}
    return subprocess.run(args, capture_output=True, timeout=DEADLINE, env=env, **kwargs)


def setting(name):
    """A value the build hands the tests (tests/python/CMakeLists.txt)."""
    value = os.environ.get(name)
    if not value:
        pytest.fail(f"{name} is not set: run the tests through ctest")
    return value


@pytest.fixture(scope="session")
def tagscopec():
    return setting("TAGSCOPEC")


def console(tagscopec, *args, cwd=None):
    """TagscopeC's standard output as text, and its exit status."""
    p = run([tagscopec, *args], cwd=cwd)
    return p.stdout.decode("utf-8"), p.returncode


def console_json(tagscopec, *args):
    out, _ = console(tagscopec, "--json", *args)
    return [json.loads(line) for line in out.splitlines()]


def as_json(point):
    """A ReparsePoint in the shape of TagscopeC's JSON line, for comparing the two."""
    line = {"path": point.path}
    if point.record is not None:
        line["record"] = point.record
    line.update(tag=point.tag, tagName=point.tag_name, data=point.data.hex())
    names = {"substituteName": point.substitute_name, "printName": point.print_name, "flags": point.flags,
             "target": point.target}
    line.update({key: value for key, value in names.items() if value is not None})
    if point.code not in (0, 3):
        line["code"] = point.code
    if point.streams:
        line["streams"] = [{"name": name, "size": size} for name, size in point.streams]
    return line


@dataclasses.dataclass
class Volume:
    image: str     # a copy of the volume as it stands mounted, for the image reader
    mount: str
    ntfs3g: int    # the process that serves the mount
    samples: list  # (name, kind, path inside the volume) of every sample reparse point
    plain: list    # paths inside the volume of entries without a reparse point


def _sh(*args):
    p = run(["bash", NTFS_VOLUME, *args])
    assert p.returncode == 0, f"ntfs-volume {' '.join(args)}: {p.stderr.decode()}"
    return p.stdout.decode()


@pytest.fixture(scope="session")
def volume():
    check = run(["bash", NTFS_VOLUME, "check"])
    if check.returncode != 0:
        reason = check.stderr.decode().strip()
        if os.environ.get("CI") == "true":
            pytest.fail(f"the tests need a real NTFS volume: {reason}")
        pytest.skip(reason)
    work = tempfile.mkdtemp(prefix="hollin0106-tests.")
    os.chmod(work, 0o755)
    image, mount = os.path.join(work, "demo.img"), os.path.join(work, "mnt")
    try:
        _sh("make", image, mount)
        # A fresh mount, so that the image file holds everything written so far.
        _sh("umount", mount)
        _sh("mount", image, mount)
        copy = os.path.join(work, "listing.img")
        shutil.copyfile(image, copy)
        with open(image + ".pid") as f:
            ntfs3g = int(f.read())
        samples = [tuple(line.split("|")[:3]) for line in _sh("samples").splitlines()]
        yield Volume(copy, mount, ntfs3g, samples, ["plain.txt", "Users/Public"])
    finally:
        run(["bash", NTFS_VOLUME, "umount", mount])
        if not os.path.ismount(mount):
            shutil.rmtree(work, ignore_errors=True)
