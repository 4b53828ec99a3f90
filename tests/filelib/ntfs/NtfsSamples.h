// Good NTFS structures built byte by byte for the decoder tests: a boot
// sector, an MFT record with its update sequence, an index node, MBR sectors. Each
// builder follows the documented layout the decoders read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/fixtures/Bytes.h"

namespace ntfssample {

using Bytes = std::vector<std::uint8_t>;

using testbytes::PutLE;

// A boot sector: 512-byte sectors, `sectorsPerCluster` as stored at 13, records and index
// blocks as stored at 64 and 68.
inline Bytes BootSectorBytes(std::uint8_t sectorsPerCluster = 8, std::uint8_t record = 0xF6, std::uint8_t index = 1,
                        std::uint16_t bytesPerSector = 512)
{
    Bytes b(512, 0);
    const char oem[] = "NTFS    ";
    for (int i = 0; i < 8; ++i) b[3 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(oem[i]);
    PutLE(b, 11, bytesPerSector, 2);
    b[13] = sectorsPerCluster;
    PutLE(b, 40, 16383, 8);
    PutLE(b, 48, 4, 8);
    PutLE(b, 56, 8, 8);
    b[64] = record;
    b[68] = index;
    PutLE(b, 72, 0x1234567890ABCDEFull, 8);
    PutLE(b, 510, 0xAA55, 2);
    return b;
}

// Applies an update sequence to `record` (size a multiple of 512) with the array at
// `usaOffset`: saves the last two bytes of each stride and puts the sequence number there.
inline void Protect(Bytes& record, std::size_t usaOffset, std::uint16_t usn = 0x0102)
{
    const std::size_t strides = record.size() / 512;
    PutLE(record, 4, usaOffset, 2);
    PutLE(record, 6, strides + 1, 2);
    PutLE(record, usaOffset, usn, 2);
    for (std::size_t i = 0; i < strides; ++i) {
        const std::size_t end = (i + 1) * 512 - 2;
        record[usaOffset + 2 + 2 * i] = record[end];
        record[usaOffset + 3 + 2 * i] = record[end + 1];
        PutLE(record, end, usn, 2);
    }
}

// A $FILE_NAME value.
inline Bytes FileNameValue(const std::u16string& name, std::uint64_t parent, std::uint8_t nameSpace = 1)
{
    Bytes v(66 + 2 * name.size(), 0);
    PutLE(v, 0, parent, 8);
    PutLE(v, 56, 0x20, 4);
    v[64] = static_cast<std::uint8_t>(name.size());
    v[65] = nameSpace;
    for (std::size_t i = 0; i < name.size(); ++i) PutLE(v, 66 + 2 * i, name[i], 2);
    return v;
}

// A resident attribute of `type` holding `value`, 8-byte aligned.
inline Bytes ResidentAttribute(std::uint32_t type, const Bytes& value)
{
    const std::size_t length = (24 + value.size() + 7) / 8 * 8;
    Bytes a(length, 0);
    PutLE(a, 0, type, 4);
    PutLE(a, 4, length, 4);
    PutLE(a, 16, value.size(), 4);
    PutLE(a, 20, 24, 2);
    std::copy(value.begin(), value.end(), a.begin() + 24);
    return a;
}

// A non-resident attribute of `type` over clusters [vcn 0, lastVcn] with mapping pairs.
inline Bytes NonResidentAttribute(std::uint32_t type, const Bytes& pairs, std::uint64_t lastVcn, std::uint64_t size)
{
    const std::size_t length = (64 + pairs.size() + 1 + 7) / 8 * 8;
    Bytes a(length, 0);
    PutLE(a, 0, type, 4);
    PutLE(a, 4, length, 4);
    a[8] = 1;
    PutLE(a, 24, lastVcn, 8);
    PutLE(a, 32, 64, 2);
    PutLE(a, 40, (lastVcn + 1) * 4096, 8);
    PutLE(a, 48, size, 8);
    PutLE(a, 56, size, 8);
    std::copy(pairs.begin(), pairs.end(), a.begin() + 64);
    return a;
}

// A 1 KiB MFT record in use holding `attributes`, with its update sequence applied.
inline Bytes FileRecordBytes(const std::vector<Bytes>& attributes)
{
    Bytes r(1024, 0);
    r[0] = 'F', r[1] = 'I', r[2] = 'L', r[3] = 'E';
    PutLE(r, 16, 3, 2);   // sequence
    PutLE(r, 18, 1, 2);   // links
    PutLE(r, 20, 56, 2);  // first attribute
    PutLE(r, 22, 1, 2);   // in use
    PutLE(r, 28, 1024, 4);
    std::size_t at = 56;
    for (const Bytes& a : attributes) {
        std::copy(a.begin(), a.end(), r.begin() + static_cast<std::ptrdiff_t>(at));
        at += a.size();
    }
    PutLE(r, at, 0xFFFFFFFF, 4);
    PutLE(r, 24, at + 8, 4);
    Protect(r, 48);
    return r;
}

// A $I30 index entry naming `name` in file `reference`; with a sub-node VCN when given.
inline Bytes FileNameEntry(const std::u16string& name, std::uint64_t reference, std::int64_t subnode = -1)
{
    const Bytes key = FileNameValue(name, 5);
    const std::size_t length = (16 + key.size() + 7) / 8 * 8 + (subnode >= 0 ? 8 : 0);
    Bytes e(length, 0);
    PutLE(e, 0, reference, 8);
    PutLE(e, 8, length, 2);
    PutLE(e, 10, key.size(), 2);
    PutLE(e, 12, subnode >= 0 ? 1 : 0, 2);
    std::copy(key.begin(), key.end(), e.begin() + 16);
    if (subnode >= 0) PutLE(e, length - 8, static_cast<std::uint64_t>(subnode), 8);
    return e;
}

// The last entry of a node, with a sub-node VCN when given.
inline Bytes LastEntry(std::int64_t subnode = -1)
{
    Bytes e(subnode >= 0 ? 24 : 16, 0);
    PutLE(e, 8, e.size(), 2);
    PutLE(e, 12, 2 | (subnode >= 0 ? 1 : 0), 2);
    if (subnode >= 0) PutLE(e, 16, static_cast<std::uint64_t>(subnode), 8);
    return e;
}

// An index node: the 16-byte node header and the entries.
inline Bytes IndexNode(const std::vector<Bytes>& entries)
{
    Bytes n(16, 0);
    for (const Bytes& e : entries) n.insert(n.end(), e.begin(), e.end());
    PutLE(n, 0, 16, 4);
    PutLE(n, 4, n.size(), 4);
    PutLE(n, 8, n.size(), 4);
    return n;
}

// An MBR sector with up to four (type, first LBA, sectors) entries.
struct MbrSlot {
    std::uint8_t type;
    std::uint32_t first;
    std::uint32_t sectors;
};
inline Bytes MbrSector(const std::vector<MbrSlot>& slots)
{
    Bytes b(512, 0);
    for (std::size_t i = 0; i < slots.size(); ++i) {
        b[446 + 16 * i + 4] = slots[i].type;
        PutLE(b, 446 + 16 * i + 8, slots[i].first, 4);
        PutLE(b, 446 + 16 * i + 12, slots[i].sectors, 4);
    }
    PutLE(b, 510, 0xAA55, 2);
    return b;
}

}  // namespace ntfssample
