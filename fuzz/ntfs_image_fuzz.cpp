// libFuzzer target over a whole small volume: an empty 2 MiB NTFS volume made once by mkntfs,
// the input's patches written over it (a region byte: 0 boot sector, 1 first 64 MFT records,
// 2 root index area, else anywhere; a 2-byte offset; a length byte; that many bytes), then
// opened, listed in full and read by path. The listing must end.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

#include <Hollin0106/NtfsImage.h>

#include "FuzzCheck.h"
#include "common/Utf16.h"

namespace {
std::vector<std::uint8_t> g_base;
std::string g_path;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* dir = std::getenv("TMPDIR");
    g_path = std::string(dir ? dir : "/tmp") + "/tagscope-fuzz-ntfs-" + std::to_string(::getpid()) + ".img";
    const std::string make = "truncate -s 2M '" + g_path + "' && PATH=$PATH:/usr/sbin mkntfs -F -q -Q -c 512 '" + g_path +
                             "' >/dev/null 2>&1";
    Check(std::system(make.c_str()) == 0, "mkntfs could not make the base volume");
    std::ifstream in(g_path, std::ios::binary);
    g_base.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    std::atexit([] { std::remove(g_path.c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    std::vector<std::uint8_t> image = g_base;
    std::uint64_t mft = 0;  // its first cluster times the cluster size
    for (int i = 7; i >= 0; --i) mft = mft << 8 | image[48 + static_cast<std::size_t>(i)];
    mft *= (image[11] | image[12] << 8) * image[13];
    const std::uint64_t regions[][2] = {{0, 512}, {mft, 64 * 1024}, {mft + 5 * 1024, 1024}, {0, image.size()}};
    for (std::size_t i = 0; i + 4 <= size;) {
        const auto& region = regions[std::min<std::size_t>(bytes[i], 3)];
        const std::uint64_t at = region[0] + (bytes[i + 1] | bytes[i + 2] << 8) % region[1];
        const std::size_t n = std::min<std::size_t>(bytes[i + 3], size - i - 4);
        i += 4;
        for (std::size_t k = 0; k < n && at + k < image.size(); ++k) image[at + k] = bytes[i + k];
        i += n;
    }
    std::ofstream(g_path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    Hollin0106::NtfsImage volume;
    if (!volume.Open(FromUtf8(g_path))) return 0;
    Hollin0106::NtfsReparseScan scan = volume.ScanReparsePoints();
    std::size_t entries = 0;
    for (Hollin0106::NtfsReparseEntry e; scan.Next(e);)
        Check(++entries <= volume.Volume().RecordCount * 1024, "more entries than the MFT can name");
    for (const char16_t* path : {u"/", u"/$Extend/$Reparse", u"/$MFT", u"/a/b/c"}) volume.ReadEntry(path);
    return 0;
}
