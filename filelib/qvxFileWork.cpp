// The file steps of qvxFSO's writers and readers.
#include "filelib/qvxFileWork.h"

#include <algorithm>
#include <limits>

#include "filelib/CFileAttributesReset.h"
#include "platform/Files.h"

using namespace Hollin0106;

namespace qvxFileWork {

namespace {

// Reads go in pieces this large: big enough for few system calls, small enough to
// stay in the cache while a reader converts them.
constexpr std::size_t kReadPiece = std::size_t{1} << 18;

// Writes every piece of `source` to the open file, then closes it.
void WriteTo(platform::File& file, const std::u16string& path, const ByteSource& source)
{
    for (auto piece = source(); !piece.empty(); piece = source())
        Check(platform::WriteFile(file, piece.data(), piece.size()), path);
    Check(file.Close(), path);
}

// Every writer opens its file while the hidden and system attributes are off, and puts
// them back after the file is closed (on the failure path too, when `reset` goes).
// ntfs-3g shows an empty file with the system attribute as a FIFO (its Interix
// convention): such a file, left so by an earlier write of no bytes or cut to length 0
// here, is a regular file again while the attribute is off, and content written
// before the attribute returns keeps it one.
void WriteAll(const std::u16string& path, platform::FileOpenMode mode, const ByteSource& source)
{
    CFileAttributesReset reset;
    reset.ResetAttributes(path);
    platform::File file;
    Check(platform::OpenFile(path, mode, file), path);
    WriteTo(file, path, source);
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
    WriteAll(FileName, platform::FileOpenMode::CreateTruncate, source);
}

void AppendBytes(const std::u16string& FileName, const ByteSource& source)
{
    WriteAll(FileName, platform::FileOpenMode::Append, source);
}

bool OverwriteBytes(const std::u16string& FileName, const ByteSource& source, bool RaiseErrors)
{
    CFileAttributesReset reset;
    reset.ResetAttributes(FileName);
    platform::File file;
    if (const std::error_code ec = platform::OpenFile(FileName, platform::FileOpenMode::TruncateExisting, file)) {
        if (esWin32ErrorToVBAErrorIO(ec.value(), FileName) != errnum::FileNotFound) Check(ec, FileName);
        return Guarded(RaiseErrors, [&] { AppendBytes(FileName, source); });
    }
    // The file cut to length 0 is written through the same open: it keeps its identity,
    // and nothing can take its place in between.
    return Guarded(RaiseErrors, [&] { WriteTo(file, FileName, source); });
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
    if (length > std::numeric_limits<std::size_t>::max() / 2) throw std::bad_alloc();
    std::vector<std::uint8_t> data(static_cast<std::size_t>(length));
    std::size_t got = 0;
    Check(platform::ReadFile(file, data.data(), data.size(), got), FileName);
    data.resize(got);
    // The size told at the open may be short (/proc and sysfs files say 0): a full read
    // goes on to the end of the file.
    if (got == length) {
        std::vector<std::uint8_t> piece(kReadPiece / 4);
        do {
            Check(platform::ReadFile(file, piece.data(), piece.size(), got), FileName);
            data.insert(data.end(), piece.begin(), piece.begin() + static_cast<std::ptrdiff_t>(got));
        } while (got == piece.size());
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
    // Read to the end of the file, not to the length taken at the open: /proc and sysfs
    // files say 0 and hold more, and a file that shrank meanwhile gives what it holds.
    constexpr std::uint64_t kLeast = 4096;
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::clamp<std::uint64_t>(length, kLeast, kReadPiece)));
    for (std::size_t got = buffer.size(); got == buffer.size();) {
        Check(platform::ReadFile(file, buffer.data(), buffer.size(), got), FileName);
        if (got > 0) piece(std::span<const std::uint8_t>(buffer.data(), got));
    }
    Check(file.Close(), FileName);
}

}  // namespace qvxFileWork
