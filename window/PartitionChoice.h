// Which NTFS partition of a disk image or device to open.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class QWidget;

struct NtfsPartition {
    std::int32_t Number = 0;  // 1-based, in table order, as NtfsImage::Open takes it
    std::uint64_t Size = 0;   // bytes
};

// The partitions of a disk image or device that hold an NTFS volume, in table order;
// empty for an image that is a volume alone, that has no partition table or that cannot
// be read.
std::vector<NtfsPartition> NtfsPartitions(const std::u16string& image);

// Asks which of `partitions` of `image` to open, the first one chosen at the start.
// Returns its number, or 0 when the user cancelled.
std::int32_t AskPartition(QWidget* owner, const std::u16string& image, const std::vector<NtfsPartition>& partitions);
