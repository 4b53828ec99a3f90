#!/usr/bin/python3
"""Prints what Debian's pefile reads from the version resource of each file named on the
command line, one line a file, for a comparison with qvxFileVersion:

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
    fixed = getattr(pe, "VS_FIXEDFILEINFO", None)
    translation = None
    tables = {}
    for info in getattr(pe, "FileInfo", [[]])[0]:
        for var in getattr(info, "Var", []):
            if b"Translation" in var.entry and translation is None:
                words = var.entry[b"Translation"].split()
                translation = (int(words[0], 16), int(words[1], 16))
        for table in getattr(info, "StringTable", []):
            tables.setdefault(table.LangID.decode().upper(), table.entries)
    if not fixed or translation is None:
        return [path, "0"]
    line = [path, "1"] + [str(getattr(fixed[0], f)) for f in FIXED] + [str(translation[0]), str(translation[1])]
    key = "%04X%04X" % translation
    table = tables.get(key, {})
    for name in STRINGS:
        if name.encode() in table:
            line.append(name + "=" + table[name.encode()].hex())
    return line


for arg in sys.argv[1:]:
    print("\t".join(describe(arg)))
