"""The value and exception types of hollin0106: what a read gives back and what it raises."""
from __future__ import annotations

import dataclasses


@dataclasses.dataclass(frozen=True, slots=True)
class ReparsePoint:
    """What the reparse point of one entry holds, as read without following it.

    ``tag`` is the reparse tag and ``tag_name`` its catalogue name (for a tag outside
    the catalogue its hexadecimal value, "0x00004321"); ``data`` holds every byte of the
    reparse buffer, exactly as NTFS stores it. The decoded fields are None where the tag
    does not carry them: ``substitute_name`` and ``print_name`` belong to mount points
    (junctions) and symbolic links, ``flags`` and ``relative`` to symbolic links;
    ``target`` is the usable target path (the object-manager prefix dropped, a network
    path as ``\\\\server\\share``, a relative link resolved against its folder) of
    mount points, symbolic links and WSL links.

    ``path`` is the entry's name: the path given for an entry of a mounted volume, or
    the path inside the volume (``/`` separators, a leading ``/``) for an entry of an
    ``NtfsImage``, which also gives its MFT ``record`` and its named data ``streams`` as
    (name, size) pairs.

    A listing of an image goes on past damaged entries and gives them too: ``code`` is
    the reader's result code (0 when the buffer was read and decoded, 3 for a tag it
    does not decode, 1 and 2 when the record or its reparse data cannot be read, 7, 8
    and 9 for a damaged buffer), ``error`` the report's line for it and ``detail`` which
    structure is damaged. Reading one entry raises ``Error`` for those instead.
    """

    path: str
    tag: int
    tag_name: str
    data: bytes
    substitute_name: str | None = None
    print_name: str | None = None
    flags: int | None = None
    target: str | None = None
    relative: bool | None = None
    record: int | None = None
    streams: tuple[tuple[str, int], ...] | None = None
    code: int = 0
    error: str | None = None
    detail: str | None = None


class Error(Exception):
    """A reparse buffer, MFT record or image the library cannot read as it stands.

    ``number`` is the library's number: for a reparse point its result code (1 the
    entry cannot be opened, 2 its reparse data cannot be read, 7 the buffer is too
    short for its tag or its header, 8 a name lies outside the buffer, 9 a WSL link of
    another version), for an image the run-time number (9 no such partition, 321 no
    NTFS volume); None where the library gives none (a file without a version
    resource). ``text`` is the library's text for it, ``path`` the name that was read,
    ``detail`` which structure is damaged and how (for entries of an image), and
    ``reparse_point`` what could be read of a damaged buffer (its tag and bytes, a
    substitute name read before a bad print name), or None.
    """

    def __init__(self, number: int | None, text: str, path: str | None = None, detail: str | None = None,
                 reparse_point: ReparsePoint | None = None) -> None:
        super().__init__(number, text)
        self.number = number
        self.text = text
        self.path = path
        self.detail = detail
        self.reparse_point = reparse_point

    def __str__(self) -> str:
        text = self.text if self.number is None else f"[{self.number}] {self.text}"
        if self.path is not None:
            text += f": {self.path!r}"
        if self.detail:
            text += f" ({self.detail})"
        return text


class NotAReparsePointError(OSError):
    """The entry exists but carries no reparse point (also every entry off NTFS)."""
