// The file steps of qvxFSO's writers and readers.
#include "filelib/qvxFileWork.h"

#include <algorithm>
#include <limits>

#include "filelib/CFileAttributesReset.h"

using namespace Hollin0106;

namespace qvxFileWork {

namespace {

// Reads go in pieces this large: big enough for few system calls, small enough to
// stay in the cache while a reader converts them.
constexpr std::size_t kReadPiece = std::size_t{1} << 18;

void WriteAll(const std::u16string& path, platform::FileOpenMode mode, const ByteSource& source)
{
    platform::File file;
    Check(platform::OpenFile(path, mode, file), path);
    for (auto piece = source(); !piece.empty(); piece = source())
        Check(platform::WriteFile(file, piece.data(), piece.size()), path);
    Check(file.Close(), path);
}

}  // namespace

ByteSource WholeArray(std::span<const std::uint8_t> bytes)
{
    return [bytes, given = false]() mutable -> std::span<const std::uint8_t> {
        if (given) return {};
        given = true;
        return bytes;
    };
}

void PutBytes(const std::u16string& FileName, const ByteSource& source)
{
    // The attributes go back when `reset` goes, on the failure path too, and only
    // after the write: ntfs-3g shows a system file of length 0 as a FIFO (its Interix
    // emulation), which the write could not open.
    CFileAttributesReset reset;
    reset.ResetAttributes(FileName);
    {
        platform::File file;
        Check(platform::OpenFile(FileName, platform::FileOpenMode::CreateTruncate, file), FileName);
        Check(file.Close(), FileName);
    }
    WriteAll(FileName, platform::FileOpenMode::OpenOrCreate, source);
}

void AppendBytes(const std::u16string& FileName, const ByteSource& source)
{
    WriteAll(FileName, platform::FileOpenMode::Append, source);
}

void TruncateExisting(const std::u16string& FileName)
{
    platform::File file;
    if (const std::error_code ec = platform::OpenFile(FileName, platform::FileOpenMode::TruncateExisting, file)) {
        const std::int32_t number = esWin32ErrorToVBAErrorIO(ec.value(), FileName);
        if (number != errnum::FileNotFound) throw AutomationError(number, u"qvxFSO");
    }
}

platform::File OpenToRead(const std::u16string& FileName, std::uint64_t& length)
{
    if (!esIsFileExist(FileName)) throw AutomationError(errnum::FileNotFound, u"qvxFSO");
    platform::File file;
    Check(platform::OpenFile(FileName, platform::FileOpenMode::Read, file), FileName);
    Check(platform::FileSize(file, length), FileName);
    return file;
}

std::vector<std::uint8_t> ReadWhole(const std::u16string& FileName)
{
    std::uint64_t length = 0;
    platform::File file = OpenToRead(FileName, length);
    std::vector<std::uint8_t> data;
    if (length > 0) {
        if (length > std::numeric_limits<std::size_t>::max() / 2) throw std::bad_alloc();
        data.resize(static_cast<std::size_t>(length));
        std::size_t got = 0;
        Check(platform::ReadFile(file, data.data(), data.size(), got), FileName);
        data.resize(got);
    }
    Check(file.Close(), FileName);
    return data;
}

void ReadPieces(const std::u16string& FileName, const std::function<void(std::uint64_t)>& begin,
                const std::function<void(std::span<const std::uint8_t>)>& piece)
{
    std::uint64_t length = 0;
    platform::File file = OpenToRead(FileName, length);
    begin(length);
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min<std::uint64_t>(length, kReadPiece)));
    // The length taken at the open is what is read; a file that shrank meanwhile gives
    // what it still holds.
    std::uint64_t left = length;
    while (left > 0) {
        std::size_t got = 0;
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(left, buffer.size()));
        Check(platform::ReadFile(file, buffer.data(), want, got), FileName);
        if (got == 0) break;
        piece(std::span<const std::uint8_t>(buffer.data(), got));
        left -= got;
    }
    Check(file.Close(), FileName);
}

}  // namespace qvxFileWork
