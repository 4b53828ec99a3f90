// libFuzzer target over a whole small volume: an empty 2 MiB NTFS volume that mkntfs makes once,
// with the input's patches written over it, opened with NtfsImage, listed in full, and
// read by path. Whatever the patches do, the reader must end, stay inside the memory the
// image can justify, and report damage as entry errors.
//
// An input is a list of patches: a region byte (0 the boot sector, 1 the first 64 MFT
// records, 2 the root's index area, else anywhere), a 2-byte offset within the region, a
// length byte and that many bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <unistd.h>
#include <string>
#include <vector>

#include <Hollin0106/NtfsImage.h>

#include "FuzzCheck.h"
#include "common/Utf16.h"

namespace {

std::vector<std::uint8_t> g_base;
std::string g_path;

std::uint64_t Field(std::size_t at, int width)
{
    std::uint64_t v = 0;
    for (int i = width - 1; i >= 0; --i) v = v << 8 | g_base[at + static_cast<std::size_t>(i)];
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* dir = std::getenv("TMPDIR");
    const std::string base = std::string(dir ? dir : "/tmp") + "/tagscope-fuzz-ntfs-" + std::to_string(::getpid());
    g_path = base + ".img";
    const std::string make = "truncate -s 2M '" + base + ".base' && PATH=$PATH:/usr/sbin mkntfs -F -q -Q -c 512 '" +
                             base + ".base' >/dev/null 2>&1";
    if (std::system(make.c_str()) != 0) {
        std::remove((base + ".base").c_str());
        std::fprintf(stderr, "fuzz_ntfs_image: mkntfs could not make the base volume\n");
        std::abort();
    }
    std::ifstream in(base + ".base", std::ios::binary);
    g_base.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    std::remove((base + ".base").c_str());
    std::atexit([] { std::remove(g_path.c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    std::vector<std::uint8_t> image = g_base;
    const std::uint64_t cluster = Field(11, 2) * Field(13, 1);
    const std::uint64_t mft = Field(48, 8) * cluster;
    const std::uint64_t regions[][2] = {{0, 512}, {mft, 64 * 1024}, {mft + 5 * 1024, 1024}, {0, image.size()}};
    for (std::size_t i = 0; i + 4 <= size;) {
        const auto& region = regions[std::min<std::size_t>(bytes[i], 3)];
        const std::uint64_t at = region[0] + (bytes[i + 1] | bytes[i + 2] << 8) % region[1];
        std::size_t n = bytes[i + 3];
        i += 4;
        n = std::min(n, size - i);
        for (std::size_t k = 0; k < n && at + k < image.size(); ++k) image[at + k] = bytes[i + k];
        i += n;
    }
    {
        std::ofstream out(g_path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    }
    Hollin0106::NtfsImage volume;
    if (!volume.Open(FromUtf8(g_path))) {
        Check(volume.ErrorNumber() != 0 && !volume.ErrorDescription().empty(), "a failed open says nothing");
        return 0;
    }
    Hollin0106::NtfsReparseScan scan = volume.ScanReparsePoints();
    std::size_t entries = 0;
    for (Hollin0106::NtfsReparseEntry e; scan.Next(e);) {
        Check(++entries <= volume.Volume().RecordCount * 1024, "more entries than the MFT can name");
        Check(e.Data.empty() == (e.Code == Hollin0106::setCreateFileFailed || e.Code == Hollin0106::setDeviceIOControlFailed),
              "an entry without data and without an error, or the other way round");
        Check(e.Data.size() <= 64 * 1024, "reparse data larger than NTFS allows");
    }
    Check(scan.Done() == scan.Total(), "a finished listing that did not reach its total");
    for (const char16_t* path : {u"/", u"/$Extend/$Reparse", u"/$MFT", u"/a/b/c"}) {
        const Hollin0106::NtfsReparseEntry e = volume.ReadEntry(path);
        Check(e.Code != Hollin0106::steSuccess || !e.Data.empty(), "success without data");
    }
    return 0;
}
