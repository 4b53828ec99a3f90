// The console program's image and listing commands.
#include "console/modListing.h"

#include <Hollin0106/NtfsImage.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include "common/SkipOnError.h"
#include "common/Utf16.h"
#include "platform/ImageFile.h"
#include "platform/Files.h"
#include "report/ListingSources.h"
#include "report/modRPParse.h"
#include "report/modReparseListing.h"
#include "support/AppServices.h"
#include "support/quovixsupportfbe.h"

using namespace Hollin0106;
using modReparseListing::ListingEntry;

namespace modListing {

namespace {

constexpr int kExitRead = 0;
constexpr int kExitNoData = 1;

void ErrorLine(const Output& out, const std::u16string& text)
{
    const std::string line = ToUtf8(out.ExeName + u": " + text) + "\n";
    std::fputs(line.c_str(), stderr);
}

// Progress of a long listing on standard error: only to a terminal, only after the
// first second, at most ten times a second, and wiped when the listing ends.
class Progress {
public:
    Progress() : terminal_(platform::StandardErrorIsTerminal()), start_(Clock::now()) {}
    ~Progress() { Finish(); }

    void Show(std::uint64_t done, std::uint64_t total, std::uint64_t found)
    {
        if (!terminal_) return;
        const auto now = Clock::now();
        if (now - start_ < std::chrono::seconds(1) || now - last_ < std::chrono::milliseconds(100)) return;
        last_ = now;
        char line[128];
        if (total > 0)
            std::snprintf(line, sizeof line, "\r%llu%% read, %llu reparse points found ",
                          static_cast<unsigned long long>(done * 100 / total), static_cast<unsigned long long>(found));
        else
            std::snprintf(line, sizeof line, "\r%llu folders read, %llu reparse points found ",
                          static_cast<unsigned long long>(done), static_cast<unsigned long long>(found));
        std::fputs(line, stderr);
        std::fflush(stderr);
        width_ = std::char_traits<char>::length(line);
    }

    void Finish()
    {
        if (width_ == 0) return;
        std::fprintf(stderr, "\r%*s\r", static_cast<int>(width_), "");
        std::fflush(stderr);
        width_ = 0;
    }

private:
    using Clock = std::chrono::steady_clock;
    bool terminal_;
    Clock::time_point start_;
    Clock::time_point last_{};
    std::size_t width_ = 0;
};

void WriteEntry(const Output& out, const ListingEntry& entry, bool json)
{
    if (json) out.Console.WriteUtf8Line(modReparseListing::FormatJsonLine(entry));
    else out.Console.WriteLine(modReparseListing::FormatTextLine(entry), false);
}

bool OpenImage(const Output& out, NtfsImage& image, const std::u16string& path, std::optional<std::int32_t> partition)
{
    if (image.Open(path, partition.value_or(0))) return true;
    ErrorLine(out, path + u": " + image.ErrorDescription());
    return false;
}

int ListImage(const Output& out, const std::u16string& path, std::optional<std::int32_t> partition, bool json)
{
    NtfsImage image;
    if (!OpenImage(out, image, path, partition)) return kExitNoData;
    NtfsReparseScan scan = image.ScanReparsePoints();
    Progress progress;
    std::uint64_t found = 0;
    const auto show = [&] { progress.Show(scan.Done(), scan.Total(), found); };
    for (NtfsReparseEntry entry; scan.Next(entry, show);) {
        WriteEntry(out, ListingSources::FromImageEntry(std::move(entry)), json);
        ++found;
    }
    return kExitRead;
}

int ListFolder(const Output& out, const std::u16string& folder, bool json)
{
    std::u16string full = folder;
    SkipOnError([&] { full = esGetFullFileName(folder, true); });
    if (!platform::QueryTarget(full).readable) {
        ErrorLine(out, folder + u": the folder cannot be read");
        return kExitNoData;
    }
    Progress progress;
    const auto folderDone = [&progress](std::uint64_t folders) {
        progress.Show(folders, 0, 0);
        return true;
    };
    ListingSources::ListFolder(modRPParse::FileSystemObject(), full, folderDone, [&](ListingEntry&& entry) {
        // The search is complete: its progress line goes before the listing's first line.
        progress.Finish();
        WriteEntry(out, entry, json);
        return true;
    });
    return kExitRead;
}

}  // namespace

int ImageReport(const Output& out, const std::u16string& imagePath, std::optional<std::int32_t> partition,
                const std::u16string& volumePath, bool json)
{
    NtfsImage image;
    if (!OpenImage(out, image, imagePath, partition)) return kExitNoData;
    NtfsReparseEntry entry = image.ReadEntry(volumePath);
    const bool read = !entry.Data.empty();
    if (!entry.ErrorDetail.empty()) ErrorLine(out, entry.Path + u": " + entry.ErrorDetail);
    if (json) {
        WriteEntry(out, ListingSources::FromImageEntry(std::move(entry)), true);
        return read ? kExitRead : kExitNoData;
    }
    const ListingEntry listed = ListingSources::FromImageEntry(std::move(entry));
    const std::u16string name = ListingSources::ImageEntryName(imagePath, image.Volume().Partition, listed.Path);
    out.Console.WriteLine(
        modRPParse::FormatReparseReport(modRPParse::Frontend::Console, name, ListingSources::ReadOf(listed)), false);
    return read ? kExitRead : kExitNoData;
}

int List(const Output& out, const std::u16string& target, std::optional<std::int32_t> partition, bool json)
{
    if (esIsDirectory(target)) {
        if (partition) {
            ErrorLine(out, target + u": --partition names a partition of an image, and this is a folder");
            return kExitNoData;
        }
        return ListFolder(out, target, json);
    }
    return ListImage(out, target, partition, json);
}

int JsonReport(const Output& out, const std::u16string& name)
{
    std::u16string path = name;
    SkipOnError([&] { path = esGetFullFileName(name, true); });
    const ListingEntry entry = ListingSources::ReadMountedEntry(modRPParse::FileSystemObject(), path);
    WriteEntry(out, entry, true);
    return entry.Data.empty() ? kExitNoData : kExitRead;
}

}  // namespace modListing
