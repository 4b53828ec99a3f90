// qvxDescriptIon: one "Descript.ion" file held in memory as an ordered list of
// (file name, description) entries. Names are looked up without regard to letter case
// (every Unicode letter); indexes count from 0. Reading and writing report every
// file-system failure as False; nothing here raises. A description may hold line
// breaks: it is stored in the multi-line form other tools read (Total Commander's) and
// comes back with CR LF between its lines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <Hollin0106/Export.h>

namespace Hollin0106 {

class HOLLIN0106_API qvxDescriptIon {
public:
    qvxDescriptIon() = default;

    // The mode of the next WriteFile: True writes UTF-8 with its marker, False the
    // host's OEM code page. ReadFile sets it from the file.
    bool UTF8Mode() const { return utf8Mode_; }
    void UTF8Mode(bool value) { utf8Mode_ = value; }

    // The file last read successfully ("" after Clear).
    std::u16string FileName() const { return fileName_; }

    // Name and description of entry `Index`; "" outside 0 .. ItemCount()-1.
    std::u16string ItemFileName(std::int32_t Index) const;
    std::u16string ItemDescription(std::int32_t Index) const;
    // The description of the entry named `FileName` (case ignored); "" when there is none.
    std::u16string ItemDescriptionByFileName(const std::u16string& FileName) const;
    std::int32_t ItemCount() const { return static_cast<std::int32_t>(names_.size()); }

    // Removes entry `Index`; False when it is outside the list.
    bool RemoveItem(std::int32_t Index);
    // Removes the first entry named `FileName` (case ignored); False when there is none.
    bool RemoveItemByFileName(const std::u16string& FileName);
    // Sets the description of `FileName`: an existing entry of that name (case ignored)
    // is removed and the new one appended at the end, in the new name's letter case. An
    // empty description removes the entry; an empty name does nothing.
    void AddItem(const std::u16string& FileName, const std::u16string& Description);
    // No entries, UTF8Mode False, FileName "".
    void Clear();

    // Reads `FileName` after a Clear. A missing file is a success with no entries; any
    // other failure (a missing folder, no access) gives False and leaves FileName "".
    bool ReadFile(const std::u16string& FileName);
    // Writes the entries to `FileName`, or with "" to the file last read (False when
    // there is none), and marks the file hidden where the file system has the attribute.
    // The lines of the file last read that the changes since leave alone are written
    // back byte for byte, whatever their encoding, and lines that hold no entry stay;
    // only in another UTF8Mode than the file was read in is every line written anew.
    // The new content replaces the old in one step (a new file renamed over the old
    // one): a reader sees the old file or the new one, never part of one; the file keeps
    // its attributes and permissions. No entries delete the file. False, and nothing
    // written, when an entry's name cannot be written so that it reads back as itself:
    // a name holding a CR or an LF (it would make a line for another file), a double
    // quote the format cannot hold, or a character the OEM code page lacks. Changes
    // neither the entries nor FileName.
    bool WriteFile(const std::u16string& FileName = {});
    // ReadFile and WriteFile of the file "Descript.ion" in the folder `PathName`, found
    // there without regard to letter case ("DESCRIPT.ION" as DOS tools write it) and
    // written back under the name it has; WriteDirectoryFile with "" writes the file
    // last read.
    bool ReadDirectoryFile(const std::u16string& PathName);
    bool WriteDirectoryFile(const std::u16string& PathName = {});

private:
    // The entries in list order: two parallel lists of equal length.
    std::vector<std::u16string> names_;
    std::vector<std::u16string> descriptions_;
    std::u16string fileName_;
    bool utf8Mode_ = false;
    // The bytes of the file last read, whose untouched lines a write puts back.
    std::vector<std::uint8_t> source_;
};

}  // namespace Hollin0106
