"""The package as `cmake --install` puts it under a prefix, imported by an interpreter
that sees neither the build tree nor the user's site folder."""
import os
import sys
import textwrap

import hollin0106
from conftest import run, setting

IMPORT = textwrap.dedent("""
    import sys
    sys.path.insert(0, sys.argv[1])
    import hollin0106
    assert hollin0106.__file__.startswith(sys.argv[1]), hollin0106.__file__
    with open("/proc/self/maps") as maps:
        libraries = {line.split()[-1] for line in maps if "libHollin0106.so" in line}
    assert all(name.startswith(sys.argv[2]) for name in libraries), libraries
    print(hollin0106.report(sys.argv[3]))
""")


def test_the_installed_package_imports_from_a_clean_interpreter(tmp_path):
    prefix = tmp_path / "prefix"
    for component in ("runtime", "python"):
        p = run(["cmake", "--install", setting("TAGSCOPE_BUILD_DIR"), "--prefix", str(prefix),
                 "--component", component])
        assert p.returncode == 0, p.stderr.decode()
    site = prefix / setting("TAGSCOPE_PYTHON_SITE_DIR")
    assert sorted(os.listdir(site / "hollin0106")) == sorted(
        ["__init__.py", "__init__.pyi", "_types.py", "py.typed", os.path.basename(hollin0106._hollin0106.__file__)])
    plain = tmp_path / "plain.txt"
    plain.touch()
    p = run([sys.executable, "-I", "-c", IMPORT, str(site), str(prefix), str(plain)], python=True, cwd="/")
    assert p.stdout.decode() == "Can't read reparse point data: not a reparse point.\n", p.stderr.decode()
