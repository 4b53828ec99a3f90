// Where listings of reparse points come from: the volume of an NTFS image read without
// mounting it, and the tree below a folder of a mounted volume searched through the
// library. TagscopeC's --list and --image and the window program's browser share them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "report/modRPParse.h"
#include "report/modReparseListing.h"

namespace Hollin0106 {
struct NtfsReparseEntry;
class qvxFSO;
}  // namespace Hollin0106

namespace ListingSources {

using modReparseListing::ListingEntry;

// An entry of an image as a listing takes it: path, MFT record, result code, bytes, names,
// named data streams.
ListingEntry FromImageEntry(Hollin0106::NtfsReparseEntry&& entry);

// One mounted entry read through `fso` as the report reads it (GetSymlinkTargetEx);
// the path as given. Never throws: a failed call leaves the code 0 and no bytes.
ListingEntry ReadMountedEntry(Hollin0106::qvxFSO& fso, const std::u16string& path);

// Lists the reparse points below `folder` (a full path) of a mounted volume, in the
// order of the tree: the library's search finds the tree first, links and junctions
// listed but never followed or entered, then each reparse point is read through `fso` as
// the report reads it. Entries the search marks as links that carry no reparse point
// (POSIX symbolic links outside NTFS) are left out. `folderDone` hears how many folders
// the search has completed, as each one completes; `found` gets each entry. Either stops
// the listing by returning false. True when the listing ran to its end.
bool ListFolder(Hollin0106::qvxFSO& fso, const std::u16string& folder,
                const std::function<bool(std::uint64_t)>& folderDone,
                const std::function<bool(ListingEntry&&)>& found);

// The name the report of an image's entry shows after "File name: ": the image's full
// path, " (partition N)" when the volume is partition N of a disk (0: the image is the
// volume), ":" and the path inside the volume.
std::u16string ImageEntryName(const std::u16string& imagePath, std::int32_t partition, const std::u16string& volumePath);

// What the report shows of a listing entry.
modRPParse::ReparseRead ReadOf(const ListingEntry& entry);

}  // namespace ListingSources
