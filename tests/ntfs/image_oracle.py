#!/usr/bin/python3
"""TagscopeC's image reader against ntfs-3g and damaged copies of real images.

Usage: image_oracle.py MODE TAGSCOPEC
  MODE  default      4 KiB clusters, 2,000 reparse points; also MBR and GPT
                     disks, and damaged copies
        clusters512  512-byte clusters, and an MFT fragmented into many runs
        clusters64k  64 KiB clusters
        sectors4k    4,096-byte sectors (4 KiB records)

Each mode makes its image with mkntfs, fills it through ntfs-3g (populate.py), mounts it
read-only and checks, as the user nobody, --list --json against getfattr on the mount and
--image reports against the mounted entries' reports.
Exit 77 when the volume cannot be made here (no root, FUSE or tools), except under CI.
"""
import json
import os
import random
import re
import shutil
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
VOLUME = os.path.join(SOURCE, "scripts", "ntfs-volume")
UNPRIVILEGED = os.path.join(SOURCE, "tests", "fixtures", "run-unprivileged")
DEADLINE = 120  # seconds for any one command: a hang fails the test instead of stalling it

MODES = {
    # size in MiB, mkntfs options, reparse points
    "default": (64, ["-c", "4096"], 2000),
    "clusters512": (32, ["-c", "512"], 400),
    "clusters64k": (160, ["-c", "65536"], 400),
    "sectors4k": (64, ["-s", "4096"], 400),
}

failures = []
passes = 0


def check(ok, what, detail=""):
    global passes
    if ok:
        passes += 1
        print(f"ok   {what}")
    else:
        failures.append(what)
        print(f"FAIL {what}" + (f"\n    {detail}" if detail else ""))


def run(args, *, nobody=False, check_status=None, env=None):
    if nobody:
        args = [UNPRIVILEGED] + args
    p = subprocess.run(args, capture_output=True, timeout=DEADLINE, env=env)
    if check_status is not None and p.returncode != check_status:
        raise RuntimeError(f"{args}: status {p.returncode}: {p.stderr.decode(errors='replace')}")
    return p


def volume(*args):
    run(["bash", VOLUME] + list(args), check_status=0)


def skip_or_fail(why):
    if os.environ.get("CI") == "true":
        print(f"image_oracle: {why}, and CI must run these tests", file=sys.stderr)
        sys.exit(1)
    print(f"image_oracle: skipped: {why}")
    sys.exit(77)


def getfattr_listing(mount):
    """What the mount shows: {volume path: hex of the reparse data}."""
    out = run(["getfattr", "-R", "-h", "-n", "system.ntfs_reparse_data", "-e", "hex", "--absolute-names", mount],
              nobody=True).stdout
    listing = {}
    path = None
    for line in out.split(b"\n"):
        if line.startswith(b"# file: "):
            raw = line[len(b"# file: "):]
            # getfattr writes backslashes and unprintable bytes as octal escapes.
            raw = re.sub(rb"\\([0-7]{3})", lambda m: bytes([int(m.group(1), 8)]), raw)
            path = raw.decode("utf-8", "surrogateescape")[len(mount):]
        elif line.startswith(b"system.ntfs_reparse_data=0x") and path is not None:
            listing[path] = line.split(b"=0x", 1)[1].decode()
            path = None
    return listing


def tagscope_listing(tagscope, image, extra=()):
    p = run([tagscope, "--list", "--json", *extra, image], nobody=True)
    entries = [json.loads(line) for line in p.stdout.decode().splitlines()]
    return p, entries


def as_map(entries):
    return {e["path"]: e.get("data") for e in entries}


def compare(what, ours, theirs):
    missing = sorted(set(theirs) - set(ours))[:5]
    extra = sorted(set(ours) - set(theirs))[:5]
    differ = sorted(p for p in set(ours) & set(theirs) if ours[p] != theirs[p])[:5]
    check(not missing and not extra and not differ and len(ours) == len(theirs),
          f"{what} ({len(theirs)} entries)", f"missing {missing!r}, extra {extra!r}, different {differ!r}")


def report(tagscope, args, nobody=True):
    p = run([tagscope, *args], nobody=nobody, env={**os.environ, "LC_ALL": "C.UTF-8"})
    return p.returncode, p.stdout.decode("utf-8", "surrogateescape"), p.stderr.decode("utf-8", "surrogateescape")


def shown(name):
    """A name as the report shows it: control characters as U+FFFD."""
    return "".join("\ufffd" if ord(c) < 0x20 or 0x7F <= ord(c) <= 0x9F else c for c in name)


def without_first_line(text):
    return text.split("\n", 1)[1] if "\n" in text else ""


def check_reports(tagscope, image, mount, paths):
    bad = []
    for path in paths:
        status_m, out_m, _ = report(tagscope, [mount + path])
        status_i, out_i, err_i = report(tagscope, ["--image", image, path])
        if (status_m, without_first_line(out_m)) != (status_i, without_first_line(out_i)) or err_i:
            bad.append(path)
        elif status_i == 0 and not out_i.startswith("File name: " + os.path.realpath(image) + ":" + shown(path) + "\n"):
            bad.append(path + " (file name line)")
    check(not bad, f"--image reports equal the mounted reports ({len(paths)} entries)", f"differ: {bad[:5]!r}")


def ntfsinfo(image, *args):
    return run(["ntfsinfo", "--force", *args, image], check_status=0).stdout.decode(errors="replace")


def mft_runs(image):
    """The $MFT's runs [(vcn, lcn, length)] from its own record 0, as ntfsinfo reads them."""
    data = ntfsinfo(image, "-v", "-i", "0").split("Dumping attribute $DATA", 1)[1].split("Dumping attribute", 1)[0]
    rows = re.findall(r"^\s+(0x[0-9a-f]+)\s+(0x[0-9a-f]+)\s+(0x[0-9a-f]+)$", data, re.M)
    return [tuple(int(n, 16) for n in row) for row in rows]


def tear(image, number):
    """Breaks the update sequence check bytes of MFT record `number`, as a torn write would.
    The record is the first 1 KiB one whose header names that number: mkntfs puts the
    $MFT before its mirror."""
    with open(image, "r+b") as f:
        data = f.read()
        at = next(m.start() for m in re.finditer(b"FILE", data)
                  if m.start() % 1024 == 0 and struct.unpack_from("<I", data, m.start() + 44)[0] == number)
        f.seek(at + 510)
        f.write(bytes([data[at + 510] ^ 0xFF]))


def damaged_copies(tagscope, work, image, good):
    good_map = as_map(good)
    # $Extend\$Reparse torn: the listing comes from a scan of the MFT, and is the same.
    reparse_record = int(re.search(r"Dumping Inode (\d+)", ntfsinfo(image, "-F", "/$Extend/$Reparse")).group(1))
    copy = os.path.join(work, "damaged.img")
    shutil.copyfile(image, copy)
    os.chmod(copy, 0o644)
    tear(copy, reparse_record)
    p, entries = tagscope_listing(tagscope, copy)
    check(p.returncode == 0, "a torn $Reparse record: the listing completes")
    compare("a torn $Reparse record: the MFT scan lists the same", as_map(entries), good_map)

    # One reparse point's record torn: that entry fails with a clear error, the rest stays.
    victim = next(e for e in good if e["path"].startswith("/spread/"))
    shutil.copyfile(image, copy)
    tear(copy, victim["record"])
    p, entries = tagscope_listing(tagscope, copy)
    errors = [e for e in entries if "error" in e]
    check(p.returncode == 0 and len(errors) == 1 and errors[0]["code"] == 1 and "update sequence" in errors[0]["detail"]
          and errors[0]["record"] == victim["record"],
          "a torn record of a reparse point: that entry is an error with its reason", repr(errors[:2]))
    rest = {k: v for k, v in good_map.items() if k != victim["path"]}
    compare("a torn record of a reparse point: every other entry stays",
            {e["path"]: e.get("data") for e in entries if "error" not in e}, rest)
    status, out, _ = report(tagscope, ["--image", copy, victim["path"]])
    check(status == 1 and out == "Can't read reparse point data: CreateFile() failed.\n",
          "a torn record: --image prints the open-failed line", out)

    # The MFT's own record torn: its mirror is read instead.
    shutil.copyfile(image, copy)
    tear(copy, 0)
    compare("a torn MFT record 0: read through $MFTMirr", as_map(tagscope_listing(tagscope, copy)[1]), good_map)


def make_disk(path, image, layout, start, sectors):
    """A disk of sfdisk's `layout` with the image copied in at sector `start`."""
    run(["truncate", "-s", str((start + sectors + 4096) * 512), path], check_status=0)
    subprocess.run(["sfdisk", "-q", path], input=layout.encode(), check=True, capture_output=True, timeout=DEADLINE)
    run(["dd", f"if={image}", f"of={path}", "bs=512", f"seek={start}", "conv=notrunc,sparse", "status=none"], check_status=0)
    os.chmod(path, 0o644)


def whole_disks(tagscope, work, image, good):
    good_map = as_map(good)
    sectors = os.path.getsize(image) // 512
    # MBR: a primary partition, then an extended one with three logical partitions, the
    # third holding the volume. Each EBR gives the next one's place from the extended
    # partition's start, which only a chain of three tells from its own EBR's place.
    # Table order: 1, then the logical ones as 2, 3 and 4.
    mbr = os.path.join(work, "mbr-disk.img")
    first, second, start = (2048 + 8192 + 2048 + k * (8192 + 2048) for k in range(3))
    make_disk(mbr, image, f"label: dos\nunit: sectors\n2048,8192,0c\n{2048 + 8192},,5\n"
              f"{first},8192,83\n{second},8192,83\n{start},{sectors},7\n", start, sectors)
    compare("MBR disk, the volume in a logical partition, --partition 4",
            as_map(tagscope_listing(tagscope, mbr, ("--partition", "4"))[1]), good_map)
    path = good[0]["path"]
    status, out, _ = report(tagscope, ["--image", mbr, path])
    _, bare, _ = report(tagscope, ["--image", image, path])
    check(status == 0 and without_first_line(out) == without_first_line(bare) and "(partition 4)" in out.split("\n", 1)[0],
          "MBR disk: without --partition, the first NTFS partition (the fourth) is read", out.split("\n", 1)[0])

    # GPT: the volume as the second partition.
    gpt = os.path.join(work, "gpt-disk.img")
    make_disk(gpt, image, f"label: gpt\nunit: sectors\n2048,4096,0FC63DAF-8483-4772-8E79-3D69D8477DE4\n"
              f"{2048 + 4096},{sectors},EBD0A0A2-B9E5-4433-87C0-68B6B72699C7\n", 2048 + 4096, sectors)
    compare("GPT disk, the volume as partition 2", as_map(tagscope_listing(tagscope, gpt, ("--partition", "2"))[1]), good_map)


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in MODES:
        print(__doc__, file=sys.stderr)
        return 2
    mode, tagscope = sys.argv[1], os.path.realpath(sys.argv[2])
    if run(["bash", VOLUME, "check"]).returncode != 0:
        skip_or_fail("the NTFS volume cannot be made here (scripts/ntfs-volume check)")
    size, options, count = MODES[mode]
    work = tempfile.mkdtemp(prefix=f"tagscope-image-{mode}-")
    os.chmod(work, 0o755)
    image, mount = os.path.join(work, "volume.img"), os.path.join(work, "mnt")
    os.mkdir(mount)
    mounted = False
    try:
        run(["truncate", "-s", f"{size}M", image], check_status=0)
        run(["/usr/sbin/mkntfs", "-F", "-q", "-Q", *options, image], check_status=0)
        volume("mount", image, mount)
        mounted = True
        extra = ["0", "fragment"] if mode == "clusters512" else []
        run([sys.executable, os.path.join(HERE, "populate.py"), mount, str(count), *extra], check_status=0)
        volume("umount", mount)
        os.environ["NTFSVOL_MOUNT_OPTIONS"] = "ro"
        volume("mount", image, mount)
        os.chmod(image, 0o644)

        if mode == "clusters512":
            runs = mft_runs(image)
            check(len(runs) > 4 and any(b[1] < a[1] for a, b in zip(runs, runs[1:])),
                  f"{mode}: the MFT lies in many runs, backwards ones among them", repr(runs))
        theirs = getfattr_listing(mount)
        p, entries = tagscope_listing(tagscope, image)
        check(p.returncode == 0 and not p.stderr, f"{mode}: --list --json as nobody ends with status 0, nothing on stderr")
        compare(f"{mode}: --list --json equals getfattr on the mount, path for path and byte for byte",
                as_map(entries), theirs)
        # Named streams as populate.py wrote them: "with N streams" has streamK of 10^(K+1) + 15 bytes.
        streams = {e["path"]: e.get("streams") for e in entries if e["path"].startswith("/Streams/")}
        want = {f"/Streams/with {n} streams": [{"name": f"stream{k}", "size": 10 ** (k + 1) + 15} for k in range(n)]
                for n in (1, 2, 3)}
        check(streams == want, f"{mode}: named data streams by name and size", repr(streams))

        # A name with a backslash (ntfs-3g's POSIX names allow one, Windows' do not) cannot
        # be asked for: "\\" separates the components of a volume path, as "/" does.
        paths = sorted(p for p in theirs if "\\" not in p)
        rng = random.Random(1)
        # Each report is two processes; a sample keeps the test short.
        sample = sorted(set(rng.sample(paths, min(30 if mode == "default" else 10, len(paths))) +
                            [p for p in paths if "/Short Names/" in p or "level14" in p or p.endswith("linked 000")]))
        sample += ["/no such entry", "/big folder", "/hard links/no such link", "/spread/report/0/nothing/deeper"]
        check_reports(tagscope, image, mount, sample)

        # Names compared as Windows compares them, and 8.3 names.
        target = next(p for p in paths if p.startswith("/Short Names/Long File"))
        _, want, _ = report(tagscope, ["--image", image, target])
        for asked in ("/SHORT NAMES/long file name one.TXT", "\\Short Names\\LONGFI~1.TXT", "short names/./x/../Long File Name One.txt"):
            _, got, _ = report(tagscope, ["--image", image, asked])
            check(got == want, f"{mode}: --image finds {asked!r}", got.split("\n", 1)[0])

        if mode == "default":
            whole_disks(tagscope, work, image, entries)
            damaged_copies(tagscope, work, image, entries)
    finally:
        if mounted:
            run(["bash", VOLUME, "umount", mount])
        shutil.rmtree(work, ignore_errors=True)
    print(f"{passes} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
