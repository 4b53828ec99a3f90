"""NTFS reparse points, NTFS images and version resources, read by the library Hollin0106.

    import hollin0106

    point = hollin0106.read_reparse_point("/mnt/ntfs/Users/All Users")
    print(point.tag_name, point.target)              # IO_REPARSE_TAG_SYMLINK C:\\ProgramData
    print(hollin0106.report("/mnt/ntfs/Users/All Users"))   # as TagscopeC prints it

    with hollin0106.NtfsImage("disk.img") as image:  # no mount needed
        for point in image.reparse_points():
            print(point.path, point.tag_name, point.target)

    version = hollin0106.FileVersion("setup.exe")
    print(version.file_version, version.str_company_name)
"""
from ._types import Error, NotAReparsePointError, ReparsePoint
from ._hollin0106 import FileVersion, NtfsImage, ReparsePointIterator, __version__, read_reparse_point, report

__all__ = [
    "Error",
    "FileVersion",
    "NotAReparsePointError",
    "NtfsImage",
    "ReparsePoint",
    "ReparsePointIterator",
    "__version__",
    "read_reparse_point",
    "report",
]

# Everything is shown, pickled and documented as hollin0106's own.
for _name in __all__:
    if hasattr(globals()[_name], "__module__"):
        globals()[_name].__module__ = __name__
del _name
