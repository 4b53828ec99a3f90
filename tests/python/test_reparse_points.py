"""read_reparse_point and report on the entries of a mounted volume and of the host,
against what TagscopeC prints for the same entries."""
import os
import pathlib
import signal
import sys
import textwrap

import pytest

import hollin0106
from conftest import RUN_UNPRIVILEGED, as_json, console, console_json, run


def entries(volume):
    return [os.path.join(volume.mount, path) for _, _, path in volume.samples]


def test_entries_and_reports_are_the_console_programs(volume, tagscopec, monkeypatch):
    for path in entries(volume):
        point = hollin0106.read_reparse_point(path)
        assert as_json(point) == console_json(tagscopec, path)[0], path
        assert hollin0106.read_reparse_point(pathlib.Path(path)) == point
    links = {name: hollin0106.read_reparse_point(os.path.join(volume.mount, path)) for name, _, path in volume.samples}
    assert links["symlink-relative"].relative is True and links["symlink-absolute"].relative is False
    assert links["junction"].relative is None and links["wof"].target is None
    plain = [os.path.join(volume.mount, p) for p in volume.plain]
    for name in entries(volume) + plain + [os.path.join(volume.mount, "no such entry")]:
        assert hollin0106.report(name) + "\n" == console(tagscopec, name)[0], name
    # A relative name is made absolute against the current folder, as TagscopeC does.
    monkeypatch.chdir(os.path.join(volume.mount, "Links"))
    assert hollin0106.report("relative.txt") + "\n" == console(tagscopec, "relative.txt", cwd=os.getcwd())[0]


# Reads, as the user nobody, what that user may not look at, and prints the name of each
# exception. (ntfs-3g started by root lets every user in, so the volume is no place for this.)
UNPRIVILEGED_READS = textwrap.dedent("""
    import sys, hollin0106
    for kind, path in zip(sys.argv[1::2], sys.argv[2::2]):
        try:
            hollin0106.NtfsImage(path) if kind == "image" else hollin0106.read_reparse_point(path)
            print("read")
        except Exception as e:
            print(type(e).__name__)
""")


def test_what_may_not_be_looked_at_is_a_permission_error(tmp_path):
    closed = tmp_path / "closed"
    closed.mkdir()
    for name in ("entry", "disk.img"):
        (closed / name).touch()
    closed.chmod(0o700 if os.geteuid() == 0 else 0)  # pytest's clean-up puts back what it needs
    p = run([RUN_UNPRIVILEGED, sys.executable, "-c", UNPRIVILEGED_READS, "entry", str(closed / "entry"),
             "image", str(closed / "disk.img")], python=True, cwd="/")
    assert p.stdout.decode().split() == ["PermissionError"] * 2, p.stderr.decode()


def test_names_that_are_not_utf8_reach_their_files(volume, tagscopec, tmp_path):
    raw = os.fsencode(tmp_path) + b"/bad\xffname"
    open(raw, "wb").close()
    for name in (raw, os.fsdecode(raw)):
        with pytest.raises(hollin0106.NotAReparsePointError) as plain:
            hollin0106.read_reparse_point(name)
        assert isinstance(plain.value, OSError) and plain.value.filename == os.fsdecode(raw)
    with pytest.raises(FileNotFoundError) as missing:
        hollin0106.read_reparse_point(raw + b"\xfe")
    assert missing.value.filename == os.fsdecode(raw + b"\xfe")
    # A folder of such a name on the way to a link of the volume.
    os.symlink(volume.mount, os.fsencode(tmp_path) + b"/dir\xfe")
    link = os.fsencode(tmp_path) + b"/dir\xfe/Links/relative.txt"
    assert as_json(hollin0106.read_reparse_point(link)) == console_json(tagscopec, link)[0]
    # The report shows the undecodable bytes as U+FFFD, as TagscopeC's UTF-8 output does.
    assert hollin0106.report(link) + "\n" == console(tagscopec, link)[0]


@pytest.mark.parametrize("name, exception", [
    ("lone\ud800surrogate", UnicodeEncodeError), (b"nul\0inside", ValueError), (4.2, TypeError)])
def test_names_no_file_can_carry_are_refused_as_open_refuses_them(name, exception):
    with pytest.raises(exception):
        hollin0106.read_reparse_point(name)


# Starts a read in a thread while the process that serves the volume is stopped, so that
# the read waits inside the library; this thread then reads /proc to see it waiting, and
# only then lets the volume go on. Were the GIL held during the read, this thread could
# never run again and the child would hang until its deadline.
WHILE_THE_VOLUME_WAITS = textwrap.dedent("""
    import os, signal, sys, threading, hollin0106
    ntfs3g, kind, path = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    result = []
    def read():
        if kind == "entry":
            result.append(hollin0106.read_reparse_point(path).tag_name)
            return
        try:
            hollin0106.NtfsImage(path)  # a plain file: read, then refused as no NTFS volume
        except hollin0106.Error as error:
            result.append(type(error).__name__)
    os.kill(ntfs3g, signal.SIGSTOP)
    try:
        reader = threading.Thread(target=read)
        reader.start()  # returns once the thread runs
        waited = False
        while reader.is_alive() and not waited:
            with open(f"/proc/self/task/{reader.native_id}/wchan") as f:
                waited = "request_wait_answer" in f.read()
    finally:
        os.kill(ntfs3g, signal.SIGCONT)
    reader.join()
    print(result[0], "waited" if waited else "never waited")
""")


@pytest.mark.parametrize("kind", ["entry", "image"])
def test_reads_let_other_threads_run(volume, kind):
    path = entries(volume)[1] if kind == "entry" else os.path.join(volume.mount, volume.plain[0])
    try:
        p = run([sys.executable, "-c", WHILE_THE_VOLUME_WAITS, str(volume.ntfs3g), kind, path], python=True)
    finally:
        os.kill(volume.ntfs3g, signal.SIGCONT)
    expected = "IO_REPARSE_TAG_SYMLINK" if kind == "entry" else "Error"
    assert p.stdout.decode().split() == [expected, "waited"], p.stderr.decode()
