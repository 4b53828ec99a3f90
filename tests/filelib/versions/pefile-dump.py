#!/usr/bin/python3
"""Prints what Debian's pefile reads from the version resource of each file named on the
command line, one line a file, for a comparison with qvxFileVersion. The first argument is
the user's interface language (a decimal identifier): of the languages of the resource named by ID 1
the one Windows takes, the neutral one, then that language, then English (United States),
then the first.

  path <TAB> 0                                       no usable version resource
  path <TAB> 1 <TAB> 13 fixed fields (decimal) <TAB> language <TAB> code page
       <TAB> name=hex(UTF-8 value) ... for each of the standard strings that the first
       translation's table holds, in the order of STRINGS
"""
import sys

import pefile

FIXED = ["Signature", "StrucVersion", "FileVersionMS", "FileVersionLS", "ProductVersionMS",
         "ProductVersionLS", "FileFlagsMask", "FileFlags", "FileOS", "FileType", "FileSubtype",
         "FileDateMS", "FileDateLS"]
STRINGS = ["Comments", "CompanyName", "FileDescription", "FileVersion", "InternalName", "LegalCopyright",
           "LegalTrademarks", "OLESelfRegister", "OriginalFilename", "PrivateBuild", "ProductName",
           "ProductVersion", "SpecialBuild"]


def describe(path):
    try:
        pe = pefile.PE(path, fast_load=True)
        pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    except pefile.PEFormatError:
        return [path, "0"]
    # pefile parses the languages of the first name of RT_VERSION, in their order.
    index = None
    for kind in getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None).entries if hasattr(pe, "DIRECTORY_ENTRY_RESOURCE") else []:
        if kind.id != pefile.RESOURCE_TYPE["RT_VERSION"] or not kind.directory.entries:
            continue
        name = kind.directory.entries[0]
        if name.id != 1:
            break
        languages = [entry.id for entry in name.directory.entries]
        for wanted in (0, UI_LANGUAGE, 0x0409, languages[0] if languages else None):
            if wanted in languages:
                index = languages.index(wanted)
                break
    fixed = getattr(pe, "VS_FIXEDFILEINFO", None)
    infos = getattr(pe, "FileInfo", [])
    if index is None or not fixed or index >= len(fixed) or index >= len(infos):
        return [path, "0"]
    translation = None
    tables = {}
    for info in infos[index]:
        for var in getattr(info, "Var", []):
            if b"Translation" in var.entry and translation is None:
                words = var.entry[b"Translation"].split()
                translation = (int(words[0], 16), int(words[1], 16))
        for table in getattr(info, "StringTable", []):
            tables.setdefault(table.LangID.decode().upper(), table.entries)
    if not fixed or translation is None:
        return [path, "0"]
    line = [path, "1"] + [str(getattr(fixed[index], f)) for f in FIXED] + [str(translation[0]), str(translation[1])]
    key = "%04X%04X" % translation
    table = tables.get(key, {})
    for name in STRINGS:
        if name.encode() in table:
            line.append(name + "=" + table[name.encode()].hex())
    return line


UI_LANGUAGE = int(sys.argv[1])
for arg in sys.argv[2:]:
    print("\t".join(describe(arg)))
