// The console program's image and listing commands: one entry of an NTFS image, every
// reparse point of an image or folder, and the JSON form of one mounted entry.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class ConsoleOutput;

namespace modListing {

// Where the commands write: standard output (one WriteLine a line) and the program's name
// for its lines on standard error.
struct Output {
    ConsoleOutput& Console;
    std::u16string ExeName;
};

// The report of `volumePath` inside the volume of `image`, identical after its "File
// name:" line (which names the image and the path inside it) to the mounted entry's; or
// its JSON object. 0 when data was read, 1 when not (the report's error line), or when the
// image cannot be opened (one line on standard error).
int ImageReport(const Output& out, const std::u16string& image, std::optional<std::int32_t> partition,
                const std::u16string& volumePath, bool json);

// Every reparse point of `target`: an image or block device (its volume's), or a folder
// of a mounted volume (the tree below it, links listed and never followed). Text or JSON
// Lines; progress on standard error when that is a terminal and the listing takes over a
// second. 0 when the listing completed (empty or not), 1 when the target cannot be read
// or holds no NTFS volume (one line on standard error).
int List(const Output& out, const std::u16string& target, std::optional<std::int32_t> partition, bool json);

// The JSON object of one mounted entry, read as the report reads it. 0 when data was
// read, 1 when not.
int JsonReport(const Output& out, const std::u16string& name);

}  // namespace modListing
